// Copying controller files to the PC folder.
#include <chrono>
#include <fstream>

#include "common/Format.h"
#include "common/Prompt.h"
#include "services/FileExchange.h"
#include "services/FileTime.h"
#include "services/ServiceNames.h"

namespace vlm {
namespace fs = std::filesystem;
namespace {

// Beside the real name until complete, so a stopped or failed copy never leaves a truncated file
// under the real name and an older copy survives until the new one is whole.
constexpr const char* kPartSuffix = ".vlmpart";

struct TFlagGuard {
  bool& flag;
  explicit TFlagGuard(bool& f) : flag(f) { flag = true; }
  ~TFlagGuard() { flag = false; }
};

}  // namespace

bool TFileExchange::CopyToPC(const std::vector<TFileInfo>& selected) {
  if (copying_) return false;
  TFlagGuard busy(copying_);
  Stop.Requested = false;
  TLinkSession session(link_);
  if (selected.empty()) {
    observer_.State("Перед нажатием кнопки выберите файл(ы) на правой панели.");
    return false;
  }
  if (!session.Opened() && link_.LastOpenFailure()) {
    observer_.State(LinkOpenFailureText(link_.LastOpenFailure(), link_.Settings));
    return false;
  }
  const auto start = std::chrono::steady_clock::now();
  const int count = int(selected.size());
  int index = 1;
  int64_t copied = 0;
  longReads_ = true;
  std::vector<std::string> refused;
  bool completed = true;
  for (const auto& item : selected) {
    const std::string& name = item.Name;
    observer_.State(Format("Копирование %s: проверка...", {name}));
    if (IsSystemFile(name)) {
      observer_.State(Format("Копирование %s отменено: системные файлы не копируются.", {name}));
      observer_.Deselect(name);
      observer_.Point(TPoint::Bad);
      completed = false;
      break;
    }
    // Checked before the controller is asked: a hostile name must not end the whole operation.
    const auto pcName = PcFileNameFor(name);
    if (!pcName && !item.IsDirectory()) {
      observer_.State(Format("Копирование %s отменено: такое имя недопустимо для файла на ЭВМ.", {name}));
      observer_.Point(TPoint::Bad);
      refused.push_back(name);
      continue;
    }
    TDirEntry entry;
    if (!FindControllerFile(link_, name, entry)) {
      // Silence is not absence: the search was repeated as often as a block is.
      const bool silent = link_.LastFailure != TLinkFailure::DosError;
      observer_.State(Format(silent ? "Копирование %s отменено: контроллер не отвечает." : "Копирование %s отменено: файл не найден.", {name}));
      observer_.Point(TPoint::Bad);
      completed = false;
      break;
    }
    observer_.Point(TPoint::Good);
    if (entry.IsDirectory()) {
      observer_.State(Format("Копирование %s отменено: копирование каталогов не поддерживается.", {name}));
      continue;
    }
    if (!pcName) {  // listed as a file, found as one: the listing was not to be trusted
      refused.push_back(name);
      continue;
    }
    if (!CopyOne(name, *pcName, entry, index, count)) {
      completed = false;
      break;
    }
    copied += entry.Size;
    ++index;
    observer_.Progress(0, 1);
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    observer_.State(Format("Копирование %s завершено (файлов: %d, байтов: %d, время: %d с).",
                           {name, count, copied, std::max<int64_t>(1, elapsed.count())}));
    observer_.Deselect(name);
    if (Stop.Requested) {
      completed = false;
      break;
    }
  }
  if (!refused.empty()) {
    std::string list;
    for (const auto& name : refused) list += "\r" + name;
    ShowError("Файлы с именами, недопустимыми на ЭВМ, не скопированы:" + list);
  }
  return completed && refused.empty();
}

bool TFileExchange::CopyOne(const std::string& name, const std::string& pcName, const TDirEntry& entry, int index,
                            int count) {
  const fs::path target = PcDir / pcName;
  fs::path part = target;
  part += kPartSuffix;
  std::ofstream out(part, std::ios::binary | std::ios::trunc);
  if (!out) {
    observer_.State(Format("Копирование %s отменено: не удаётся создать файл на ЭВМ.", {name}));
    observer_.Point(TPoint::Bad);
    return false;
  }
  const uint32_t size = entry.Size;
  const uint64_t step = uint64_t(size) / uint64_t(std::max(1, ProgressWidth)) * 2;
  observer_.Progress(0, size);
  observer_.State(Format("Копирование: (%d/%d) %s", {index, count, name}));
  uint64_t shown = 0;
  TReadOptions options;
  options.found = &entry;
  options.longBlocks = longReads_;
  options.showReadError = false;
  options.point = [this](bool answered) { observer_.Point(answered ? TPoint::Good : TPoint::Bad); };
  options.stopRequested = [this] { return Stop.Requested; };
  options.progress = [&](uint64_t done, uint64_t) {
    if (done - std::min(done, shown) <= step && done < size) return;
    shown = done;
    observer_.Progress(shown, size);
    observer_.State(Format("Копирование: (%d/%d) %s %d%%", {index, count, name, int64_t(shown * 100.0 / size + 0.5)}));
    observer_.Pump();  // the stop button
  };
  std::vector<uint8_t> bytes;
  TReadReport report;
  std::string failure;
  if (!ReadControllerFile(link_, name, bytes, options, &report)) {
    if (link_.LastFailure == TLinkFailure::Stopped) failure = Format("Копирование %s отменено пользователем.", {name});
    else failure = Format("Копирование %s отменено из-за ошибки при чтении.", {name}) + " " + ReadFailureCause(link_);
    while (!failure.empty() && (failure.back() == '\r' || failure.back() == ' ')) failure.pop_back();
    observer_.Point(TPoint::Bad);
  } else {
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) failure = Format("Копирование %s отменено: ошибка записи файла на ЭВМ.", {name});
  }
  if (!report.longBlocks && report.passes > 0) longReads_ = false;
  out.close();
  std::error_code ec;
  if (failure.empty() && !out) failure = Format("Копирование %s отменено: ошибка записи файла на ЭВМ.", {name});
  if (failure.empty()) {
    SetFileDosTime(part, entry.DateTime);
    fs::rename(part, target, ec);
    if (ec) failure = Format("Копирование %s отменено: не удаётся записать файл на ЭВМ.", {name});
  }
  if (failure.empty()) return true;
  fs::remove(part, ec);
  observer_.State(failure);
  return false;
}

}  // namespace vlm
