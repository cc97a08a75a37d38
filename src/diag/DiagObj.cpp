#include "diag/DiagObj.h"

#include "common/Numbers.h"
#include "common/TextCodec.h"
#include "diag/DiagKinds.h"

namespace vlm {

TDiagHeader TDiagHeader::FromBytes(const std::array<uint8_t, kSize>& b) {
  TDiagHeader h;
  h.Magic = b[0];
  h.Kind = b[1];
  h.NamePtr = GetU32(&b[2]);
  h.DataPtr = GetU32(&b[6]);
  h.ImageIndex = b[10];
  h.Flags = b[11];
  h.HintPtr = GetU32(&b[12]);
  return h;
}

TDiagObj::TDiagObj(TDiagContext& context, TFarPtr address, TDiagObj* parent) : TDiagObj(context, parent) {
  Address = address;
  std::array<uint8_t, TDiagHeader::kSize> bytes{};
  if (!context_.Memory.ReadDiagMemory(address, bytes)) return;
  Header = TDiagHeader::FromBytes(bytes);
  if (!Valid()) return;
  ReadEnabled = !IsConstant();
  if (Header.Kind == kDiagHeading) {
    ReadEnabled = false;
    Header.Flags |= kFlagConstant;
  }
  if (IsNodeKind(Header.Kind)) ReadFormat();
  HighlightEnabled = ReadEnabled;
}

std::unique_ptr<TDiagObj> TDiagObj::ErrorRow(TDiagContext& context, TDiagObj* parent, std::string text) {
  std::unique_ptr<TDiagObj> row(new TDiagObj(context, parent));
  row->IsError = true;
  row->Name = std::move(text);
  row->HasFormat = true;
  row->Header.Flags = kFlagConstant;
  return row;
}

void TDiagObj::ApplyNameFormat(const std::string& text) {
  TNameFormat parsed = ParseNameFormat(text);
  Name = std::move(parsed.Name);
  Fields = std::move(parsed.Fields);
  DataLength = parsed.DataLength;
  DataBytes = parsed.DataBytes;
  EnumTexts = std::move(parsed.EnumTexts);
}

bool TDiagObj::ReadFormat() {
  if (IsError) return true;
  if (Header.NamePtr == 0) {
    Name = "\"nil\"";
    return true;
  }
  if (FormatCountdown > 0) {
    --FormatCountdown;
    return true;
  }
  FormatCountdown = context_.NextCountdown();
  const auto raw = context_.Memory.ReadText(Header.NamePtr);
  if (!raw) {
    // A pointer that cannot be followed (reserved area, a string leaving its segment) will not
    // get better: the row says so instead of asking again at every refresh.
    if (!context_.Memory.Refusal().empty()) Name = "[!Ошибка! " + context_.Memory.Refusal() + "]";
    HasFormat = false;
    return false;
  }
  FormatText = DosToUtf8(*raw);
  if (FormatText.empty()) {
    HasFormat = false;
    return false;
  }
  HasFormat = true;
  if (Header.Kind == kDiagHeading) ChangeTime = context_.Clock();
  ApplyNameFormat(FormatText);
  return FormatText.find(';') == std::string::npos || ParseNameFormat(FormatText).Complete;
}

std::string TDiagObj::ReadValueText() {
  TDiagMemory& memory = context_.Memory;
  if (!Fields.empty()) {
    std::vector<uint8_t> data(DataLength);
    if (!memory.ReadDiagMemory(Header.DataPtr, data)) return {};
    return FormatFields(Fields, EnumTexts, data);
  }
  const TDiagKind* kind = FindDiagKind(Header.Kind);
  if (!kind) return UnknownKindText(Header.Kind);
  switch (kind->Read) {
    case TKindRead::None:
      return {};
    case TKindRead::Bytes: {
      std::vector<uint8_t> data(kind->Length);
      if (!memory.ReadDiagMemory(Header.DataPtr, data)) return {};
      return kind->Text(data);
    }
    case TKindRead::Text: {
      const auto raw = memory.ReadText(Header.DataPtr);
      return raw ? kind->Text(std::span(reinterpret_cast<const uint8_t*>(raw->data()), raw->size())) : std::string();
    }
    case TKindRead::CharsAt: {
      uint8_t pointer[4];
      if (!memory.ReadDiagMemory(Header.DataPtr, pointer)) return "\"";
      const TFarPtr at = GetU32(pointer);
      CharsSeenAt = at;
      std::vector<uint8_t> chars(kind->Length);
      if (at == 0 || !memory.ReadDiagMemory(at, chars)) return "\"";
      return kind->Text(chars);
    }
  }
  return {};
}

void TDiagObj::ReadValue() {
  if (IsError || !Valid()) {
    Changed = false;
    return;
  }
  if (Name.empty()) ReadFormat();
  if (!ReadEnabled && !Value.empty()) {
    Changed = false;
    return;
  }
  std::string text = ReadValueText();
  if (text.empty()) {
    HasValue = false;
    Changed = false;
    return;
  }
  HasValue = true;
  if (text == Value) {
    Changed = false;
    return;
  }
  Changed = !Value.empty();
  Value = std::move(text);
  ++ChangeCount;
  ChangeTime = context_.Clock();
  if (ChangeLog) {
    ChangeLog->push_back(Stamp(ChangeTime) + Value);
    while (ChangeLog->size() > kChangeLogLines) ChangeLog->pop_front();
  }
}

std::string TDiagObj::HintText() {
  if (!HasHint() || Header.HintPtr == 0) return {};
  const auto raw = context_.Memory.ReadText(Header.HintPtr);
  return raw ? DosToUtf8(*raw) : std::string();
}

void TDiagObj::AddFormatArea(std::vector<TDiagMemory::TArea>& areas) const {
  if (!IsError && Header.NamePtr != 0 && FormatCountdown == 0) areas.push_back(TextHeadArea(Header.NamePtr));
}

void TDiagObj::AddValueArea(std::vector<TDiagMemory::TArea>& areas) const {
  if (IsError || !Valid() || (!ReadEnabled && !Value.empty())) return;
  if (!Fields.empty()) {
    areas.push_back({Header.DataPtr, DataLength});
    return;
  }
  const TDiagKind* kind = FindDiagKind(Header.Kind);
  if (!kind) return;
  switch (kind->Read) {
    case TKindRead::None: break;
    case TKindRead::Bytes: areas.push_back({Header.DataPtr, kind->Length}); break;
    case TKindRead::Text: areas.push_back(TextHeadArea(Header.DataPtr)); break;
    case TKindRead::CharsAt:
      areas.push_back({Header.DataPtr, 4});
      // The pointer seldom moves: its characters come in the same batch where they were.
      if (CharsSeenAt != 0) areas.push_back({CharsSeenAt, kind->Length});
      break;
  }
}

void PrefetchFormats(TDiagContext& context, std::span<TDiagObj* const> objects) {
  std::vector<TDiagMemory::TArea> areas;
  for (const TDiagObj* obj : objects) obj->AddFormatArea(areas);
  context.Memory.Prefetch(areas);
}

void PrefetchValues(TDiagContext& context, std::span<TDiagObj* const> objects) {
  std::vector<TDiagMemory::TArea> areas;
  for (const TDiagObj* obj : objects) obj->AddValueArea(areas);
  context.Memory.Prefetch(areas);
}

void TDiagObj::EnsureChangeLog() {
  if (ChangeLog) return;
  ChangeLog = std::make_unique<std::deque<std::string>>();
  ChangeLog->push_back(Value);
}

std::string TDiagObj::Stamp(TDateTime time) { return FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", time) + " | "; }

}  // namespace vlm
