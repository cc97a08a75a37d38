#include "diag/DiagSession.h"

#include <algorithm>
#include <charconv>

#include "common/Numbers.h"
#include "diag/DiagKinds.h"

namespace vlm {

bool TDiagSession::Scan() {
  CurrentObject = nullptr;
  LoggedObject = nullptr;
  Watch.clear();
  readThisTick_.clear();
  headerCursor_ = 0;
  return ReadDiagRoot(context_, Root);
}

bool TDiagSession::Open(TDiagObj& obj, const TScanProgress& progress) {
  CurrentObject = &obj;
  if (obj.Scanned || !obj.IsFolder()) return true;
  // Rows of the folder's old scan may sit in the watch list.
  ForEachChild(obj, [this](TDiagObj& child) {
    if (const int i = WatchIndex(&child); i >= 0) RemoveWatch(size_t(i));
    if (LoggedObject == &child) LoggedObject = nullptr;
  });
  return ScanFolder(context_, obj, progress);
}

bool TDiagSession::ReadThisTick(const TDiagObj* obj) const {
  return std::find(readThisTick_.begin(), readThisTick_.end(), obj) != readThisTick_.end();
}

void TDiagSession::Refresh(TDiagObj& obj) {
  obj.ReadValue();
  readThisTick_.push_back(&obj);
  if (obj.Changed && &obj == LoggedObject && Journal) Journal(TDiagObj::Stamp(obj.ChangeTime) + obj.Value);
}

void TDiagSession::RefreshRows(size_t first, size_t count) {
  if (!CurrentObject || !CurrentObject->IsFolder()) return;
  auto& rows = CurrentObject->Parameters;
  std::vector<TDiagObj*> shown;
  for (size_t i = first; i < std::min(rows.size(), first + count); ++i) shown.push_back(rows[i].get());
  // The names due and the values in one go; a second batch only for values whose place a name
  // just read has changed (or first told).
  const TDiagPrefetch ahead(context_.Memory);
  std::vector<TDiagMemory::TArea> areas;
  for (const TDiagObj* row : shown) {
    row->AddFormatArea(areas);
    if (!row->Name.empty()) row->AddValueArea(areas);
  }
  context_.Memory.Prefetch(areas);
  for (TDiagObj* row : shown) row->ReadFormat();
  PrefetchValues(context_, shown);
  for (TDiagObj* row : shown) Refresh(*row);
}

void TDiagSession::RefreshWatch() {
  std::vector<TDiagObj*> due;
  for (TDiagObj* obj : Watch)
    if (!ReadThisTick(obj)) due.push_back(obj);
  const TDiagPrefetch ahead(context_.Memory);
  std::vector<TDiagObj*> nameless;
  for (TDiagObj* obj : due)
    if (obj->Name.empty()) nameless.push_back(obj);
  PrefetchFormats(context_, nameless);
  for (TDiagObj* obj : nameless) obj->ReadFormat();
  PrefetchValues(context_, due);
  for (TDiagObj* obj : due) Refresh(*obj);
}

void TDiagSession::RefreshHeaders(const std::vector<TDiagObj*>& visibleNodes,
                                  const std::function<void(TDiagObj&)>& iconChanged) {
  if (visibleNodes.empty()) return;
  // The headers this tick takes, read ahead in one batch.
  std::vector<TDiagMemory::TArea> areas;
  for (size_t step = 0, cursor = headerCursor_; step < visibleNodes.size() && areas.size() < kHeadersPerTick; ++step) {
    cursor = (cursor + 1) % visibleNodes.size();
    if (!visibleNodes[cursor]->IsConstant()) areas.push_back({visibleNodes[cursor]->Address, TDiagHeader::kSize});
  }
  const TDiagPrefetch ahead(context_.Memory);
  context_.Memory.Prefetch(areas);
  size_t headers = 0;
  for (size_t step = 0; step < visibleNodes.size() && headers < kHeadersPerTick; ++step) {
    headerCursor_ = (headerCursor_ + 1) % visibleNodes.size();
    TDiagObj& obj = *visibleNodes[headerCursor_];
    if (obj.IsConstant()) continue;
    std::array<uint8_t, TDiagHeader::kSize> bytes{};
    ++headers;
    if (!context_.Memory.ReadDiagMemory(obj.Address, bytes)) return;
    const TDiagHeader fresh = TDiagHeader::FromBytes(bytes);
    if (fresh.Magic != kDiagMagic) return;
    if (fresh.ImageIndex != obj.Header.ImageIndex) {
      obj.Header.ImageIndex = fresh.ImageIndex;
      if (iconChanged) iconChanged(obj);
    }
  }
}

int TDiagSession::WatchIndex(const TDiagObj* obj) const {
  const auto it = std::find(Watch.begin(), Watch.end(), obj);
  return it == Watch.end() ? -1 : int(it - Watch.begin());
}

size_t TDiagSession::AddWatch(TDiagObj& obj) {
  if (const int i = WatchIndex(&obj); i >= 0) return size_t(i);
  obj.PathPrefix = PathPrefixOf(obj);
  Watch.push_back(&obj);
  obj.EnsureChangeLog();
  return Watch.size() - 1;
}

void TDiagSession::RemoveWatch(size_t index) {
  if (index < Watch.size()) Watch.erase(Watch.begin() + long(index));
}

std::string TDiagSession::PathPrefixOf(const TDiagObj& obj) const {
  std::string prefix;
  if (CurrentObject) {
    const auto& rows = CurrentObject->Parameters;
    const auto at = std::find_if(rows.begin(), rows.end(), [&obj](const auto& row) { return row.get() == &obj; });
    for (auto it = at; it != rows.begin();) {
      --it;
      if ((*it)->Kind() == kDiagHeading && !(*it)->IsError) {
        prefix = (*it)->Name + ".";
        break;
      }
    }
  }
  for (const TDiagObj* node = CurrentObject; node; node = node->Parent()) {
    if (node->Name == "Процессор" || node == Root.get()) break;
    prefix = node->Name + "." + prefix;
  }
  return prefix;
}

TStepResult TDiagSession::StepValue(TDiagObj& obj, char key) {
  const int delta = key == '+' ? 10 : key == '=' ? 1 : key == '-' ? -1 : key == '_' ? -10 : 0;
  const size_t width = obj.Kind() == 2 ? 1 : obj.Kind() == 4 || obj.Kind() == 5 ? 2 : obj.Kind() == 6 ? 4 : 0;
  if (delta == 0 || width == 0 || obj.Header.DataPtr == 0 || obj.IsConstant() || obj.IsError || !obj.Valid())
    return TStepResult::NotEditable;
  int64_t value = 0;
  const auto* end = obj.Value.data() + obj.Value.size();
  if (obj.Value.empty() || std::from_chars(obj.Value.data(), end, value).ptr != end) return TStepResult::NotNumber;
  uint8_t bytes[4];
  PutU32(bytes, uint32_t(value + delta));
  const bool written = context_.Memory.WriteDiagMemory(obj.Header.DataPtr, std::span<const uint8_t>(bytes, width));
  obj.ReadEnabled = true;
  Refresh(obj);
  return written ? TStepResult::Written : TStepResult::WriteFailed;
}

std::vector<std::string> TDiagSession::ChangeLogLines(const TDiagObj& obj) const {
  std::vector<std::string> lines{obj.Name};
  if (obj.ChangeLog) lines.insert(lines.end(), obj.ChangeLog->begin(), obj.ChangeLog->end());
  return lines;
}

std::string TDiagSession::ChangeLogFileText(const TDiagObj& obj) {
  auto line = [](std::string text) {
    // At most 255 characters a line, cut on a character boundary.
    if (text.size() > 255) {
      size_t chars = 0, i = 0;
      for (; i < text.size(); ++i)
        if ((uint8_t(text[i]) & 0xC0) != 0x80 && ++chars > 255) break;
      text.resize(i);
    }
    return text + "\r\n";
  };
  std::string text = line(obj.PathPrefix + obj.Name);
  if (obj.ChangeLog)
    for (const auto& l : *obj.ChangeLog) text += line(l);
  return text;
}

std::string TDiagSession::ProposedLogName(const TDiagObj& obj) { return obj.PathPrefix + obj.Name + ".log"; }

std::string TDiagSession::ClipboardTable() const {
  std::string text;
  if (CurrentObject)
    for (const auto& row : CurrentObject->Parameters) text += row->Name + "\t" + row->Value + "\r";
  return text;
}

void TDiagSession::SelectLogged(TDiagObj& obj) {
  LoggedObject = &obj;
  if (Journal) {
    Journal(obj.Name);
    Journal(TDiagObj::Stamp(context_.Clock()) + obj.Value);
  }
}

}  // namespace vlm
