#include "services/FileCompare.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "common/Format.h"
#include "common/Prompt.h"
#include "common/DataFolder.h"
#include "link/FileRead.h"
#include "common/PathText.h"

namespace vlm {
namespace fs = std::filesystem;
namespace {

// Files of different lengths differ even when one is the beginning of the other.
std::string SizeDifferenceText(const std::string& name, uint64_t pcSize, uint64_t controllerSize) {
  return "Ошибка при сравнении файлов.\r\rФайл: " + name + "\r\r" + "Размер файла в ЭВМ: " + std::to_string(pcSize) +
         "  в ВЕЛМОР: " + std::to_string(controllerSize);
}

}  // namespace

std::string CompareDifferenceText(const std::string& name, uint64_t position, uint8_t pcByte, uint8_t controllerByte) {
  return "Ошибка при сравнении файлов.\r\rФайл: " + name + "\r\r" + "Позиция данных в файле, начиная с 0: " +
         std::to_string(position) + "\r\r" + "Данные в ЭВМ: " + std::to_string(pcByte) +
         "  Данные в ВЕЛМОР: " + std::to_string(controllerByte);
}

TCompareOutcome CompareControllerFile(TControllerLink& link, IServiceObserver& observer, const TStopFlag& stop,
                                      const std::string& name, const fs::path& pcPath, int index, int count) {
  TDirEntry entry;
  if (!FindControllerFile(link, name, entry)) {
    observer.Point(TPoint::Bad);
    return TCompareOutcome::Failed;
  }
  observer.Point(TPoint::Good);
  if (entry.IsDirectory()) return TCompareOutcome::Directory;
  const uint32_t size = entry.Size;
  const uint64_t blocks = (uint64_t(size) + kBlockShort - 1) / kBlockShort;
  observer.Progress(0, blocks);
  observer.State("Сравнение: " + name);
  std::string pcBytes;
  std::error_code ec;
  if (!fs::is_regular_file(pcPath, ec) || !ReadWholeFile(pcPath, pcBytes)) {
    ShowError("Ошибка при сравнении файлов.\r\rФайл: " + name + "\r\rНе удаётся открыть файл " + PathToUtf8(pcPath));
    observer.Point(TPoint::Bad);
    return TCompareOutcome::Failed;
  }
  int64_t shownPercent = -1;
  auto lastPump = std::chrono::steady_clock::now();
  TReadOptions options;
  options.found = &entry;
  options.point = [&](bool answered) { observer.Point(answered ? TPoint::Good : TPoint::Bad); };
  options.stopRequested = [&] { return stop.Requested; };
  options.progress = [&](uint64_t done, uint64_t) {
    observer.Progress((done + kBlockShort - 1) / kBlockShort, blocks);
    if (const int64_t percent = int64_t(done * 100 / std::max<uint64_t>(1, size)); percent != shownPercent) {
      shownPercent = percent;
      observer.State(Format("Сравнение: (%d/%d) %s %d%%", {index, count, name, percent}));
    }
    if (std::chrono::steady_clock::now() - lastPump >= std::chrono::milliseconds(100)) {
      observer.Pump();  // the stop button
      lastPump = std::chrono::steady_clock::now();
    }
  };
  std::vector<uint8_t> controllerBytes;
  if (!ReadControllerFile(link, name, controllerBytes, options)) {
    observer.Point(TPoint::Bad);
    if (link.LastFailure != TLinkFailure::Stopped) return TCompareOutcome::Failed;
    observer.State("Сравнение " + name + " отменено.");
    return TCompareOutcome::Stopped;
  }
  const size_t common = std::min(controllerBytes.size(), pcBytes.size());
  const auto differ = std::mismatch(controllerBytes.begin(), controllerBytes.begin() + long(common),
                                    reinterpret_cast<const uint8_t*>(pcBytes.data()));
  if (differ.first != controllerBytes.begin() + long(common)) {
    const auto at = size_t(differ.first - controllerBytes.begin());
    ShowError(CompareDifferenceText(name, at, uint8_t(pcBytes[at]), controllerBytes[at]));
    observer.Point(TPoint::Bad);
    return TCompareOutcome::Different;
  }
  if (pcBytes.size() != controllerBytes.size()) {
    ShowError(SizeDifferenceText(name, pcBytes.size(), controllerBytes.size()));
    observer.Point(TPoint::Bad);
    return TCompareOutcome::Different;
  }
  observer.State("Сравнение " + name + " завершено успешно.");
  observer.Deselect(name);
  return TCompareOutcome::Equal;
}

}  // namespace vlm
