#include "services/FileExchange.h"

#include "common/Format.h"
#include "common/Prompt.h"
#include "services/ControllerPath.h"
#include "services/FileCompare.h"
#include "services/ServiceNames.h"

namespace vlm {
namespace fs = std::filesystem;
namespace {

// A controller that never says its listing ended (or repeats one entry for ever) is cut off here.
constexpr int kMaxListRequests = 65536;
constexpr size_t kMaxListEntries = 65536;

}  // namespace

TFileExchange::TFileExchange(TControllerLink& link, IServiceObserver& observer)
    : ControllerPath(kControllerRoot), link_(link), observer_(observer) {}

void TFileExchange::ChangeControllerDir(const std::string& path) {
  ControllerPath = path;
  {
    TLinkSession session(link_);
    ChangeDir(link_, path);
  }
  ReadControllerDir();
}

void TFileExchange::ReadControllerDir() {
  items_.clear();
  TLinkSession session(link_);
  if (!session.Opened() && link_.LastOpenFailure()) {
    observer_.Point(TPoint::Bad);
    observer_.State(LinkOpenFailureText(link_.LastOpenFailure(), link_.Settings));
    return;
  }
  link_.File.PathMask = ListMask(ControllerPath);
  const int attempts = std::max(1, link_.Settings.Attempts);
  bool first = true, blockMode = true;
  int triesLeft = attempts;
  int64_t files = 0, bytes = 0;
  for (int request = 0; request < kMaxListRequests && items_.size() < kMaxListEntries; ++request) {
    std::vector<TDirEntry> got;
    bool ok = false, complete = false;
    if (blockMode) {
      ok = ListDirBlock(link_, first, got, complete);
      // A controller without block listings is asked entry by entry for the rest of this listing.
      if (!ok) blockMode = false;
    } else {
      TDirEntry entry;
      ok = FindMask(link_, first, &entry);
      if (ok) got.push_back(std::move(entry));
    }
    if (!ok) {
      // In single mode the end of the directory arrives this way too (code 18 of find-next).
      observer_.Point(TPoint::Bad);
      if (--triesLeft <= 0) break;
      continue;
    }
    first = false;
    observer_.Point(TPoint::Good);
    for (const auto& entry : got) {
      if (entry.Name == ".") continue;
      items_.push_back(MakeFileInfo(entry));
      ++files;
      bytes += entry.Size;
    }
    observer_.Pump();
    observer_.State(Format("Файлов: %d, байтов: %d", {files, bytes}));
    if (blockMode && complete) break;
    triesLeft = attempts;
  }
  SortFileInfos(items_, SortColumn);
}

void TFileExchange::Sort(int column) {
  SortColumn = column;
  SortFileInfos(items_, column);
}

std::string TFileExchange::Enter(const TFileInfo& directory) {
  if (!directory.IsDirectory()) return {};
  if (directory.Name == "..") {
    const auto parent = ParentPath(ControllerPath);
    if (!parent) return {};
    ChangeControllerDir(parent->Path);
    return parent->Left;
  }
  ChangeControllerDir(ChildPath(ControllerPath, directory.Name));
  return "..";
}

bool TFileExchange::Delete(const TFileInfo& focused) {
  {
    TLinkSession session(link_);
    link_.File.FileName = focused.Name;
    TDirEntry entry;
    if (!FindFile(link_, true, &entry) || entry.IsDirectory()) return false;
    if (AskYesNo(focused.Name + "\r\rВы действительно хотите удалить файл?") == TAnswer::Yes &&
        DeleteRemoteFile(link_))
      observer_.State("Файл " + focused.Name + " удалён.");
  }
  ReadControllerDir();
  return true;
}

bool TFileExchange::Compare(const std::vector<TFileInfo>& selected) {
  if (selected.empty()) return false;
  Stop.Requested = false;
  TLinkSession session(link_);
  const int count = int(selected.size());
  int index = 1;
  for (const auto& item : selected) {
    // The PC copy carries the same name; a name the PC cannot hold has no copy to compare with.
    const auto pcName = PcFileNameFor(item.Name);
    if (!pcName && !item.IsDirectory()) {
      observer_.State("Сравнение " + item.Name + " невозможно: такое имя недопустимо для файла на ЭВМ.");
      observer_.Point(TPoint::Bad);
      return false;
    }
    const fs::path pcPath = PcDir / pcName.value_or(std::string());
    const TCompareOutcome outcome = CompareControllerFile(link_, observer_, Stop, item.Name, pcPath, index, count);
    if (outcome == TCompareOutcome::Directory) continue;
    if (outcome != TCompareOutcome::Equal) return false;
    observer_.Progress(0, 1);
    ++index;
    if (Stop.Requested) return false;
  }
  return true;
}

}  // namespace vlm
