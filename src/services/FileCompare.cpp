#include "services/FileCompare.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

#include "common/Format.h"
#include "common/Prompt.h"
#include "services/BlockReader.h"
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
  link.File.FileName = name;
  TDirEntry entry;
  if (!FindFile(link, true, &entry)) {
    observer.Point(TPoint::Bad);
    return TCompareOutcome::Failed;
  }
  observer.Point(TPoint::Good);
  if (entry.IsDirectory()) return TCompareOutcome::Directory;
  const uint32_t size = entry.Size;
  const uint64_t blocks = (uint64_t(size) + kBlockShort - 1) / kBlockShort;
  observer.Progress(0, blocks);
  observer.State("Сравнение: " + name);
  std::ifstream pc(pcPath, std::ios::binary);
  std::error_code ec;
  const uint64_t pcSize = fs::is_regular_file(pcPath, ec) ? fs::file_size(pcPath, ec) : 0;
  if (!pc || ec) {
    ShowError("Ошибка при сравнении файлов.\r\rФайл: " + name + "\r\rНе удаётся открыть файл " + PathToUtf8(pcPath));
    observer.Point(TPoint::Bad);
    return TCompareOutcome::Failed;
  }
  TReadMode shortReads = TReadMode::Short;
  TBlockReader reader(link, name, size, shortReads);
  std::vector<uint8_t> pcBytes(kBlockShort);
  int64_t shownPercent = -1;
  auto lastPump = std::chrono::steady_clock::now();
  while (!reader.Done()) {
    const uint64_t offset = reader.Offset();
    if (!reader.Next()) {
      observer.Point(TPoint::Bad);
      return TCompareOutcome::Failed;
    }
    const auto block = reader.Block();
    pc.seekg(std::streamoff(offset));
    pc.read(reinterpret_cast<char*>(pcBytes.data()), std::streamsize(block.size()));
    const size_t pcGot = pc ? block.size() : size_t(pc.gcount());
    pc.clear();
    const auto differ = std::mismatch(block.begin(), block.begin() + long(pcGot), pcBytes.begin());
    if (differ.first != block.begin() + long(pcGot)) {
      const auto at = size_t(differ.first - block.begin());
      ShowError(CompareDifferenceText(name, offset + at, pcBytes[at], block[at]));
      observer.Point(TPoint::Bad);
      return TCompareOutcome::Different;
    }
    if (pcGot < block.size()) {
      ShowError(SizeDifferenceText(name, pcSize, size));
      observer.Point(TPoint::Bad);
      return TCompareOutcome::Different;
    }
    observer.Point(TPoint::Good);
    const uint64_t done = (reader.Offset() + kBlockShort - 1) / kBlockShort;
    observer.Progress(done, blocks);
    if (const int64_t percent = int64_t(offset / kBlockShort * 100 / blocks); percent != shownPercent) {
      shownPercent = percent;
      observer.State(Format("Сравнение: (%d/%d) %s %d%%", {index, count, name, percent}));
    }
    if (std::chrono::steady_clock::now() - lastPump >= std::chrono::milliseconds(100)) {
      observer.Pump();
      lastPump = std::chrono::steady_clock::now();
    }
    if (stop.Requested) {
      observer.State("Сравнение " + name + " отменено.");
      observer.Point(TPoint::Bad);
      return TCompareOutcome::Stopped;
    }
  }
  if (pcSize != size) {
    ShowError(SizeDifferenceText(name, pcSize, size));
    observer.Point(TPoint::Bad);
    return TCompareOutcome::Different;
  }
  observer.State("Сравнение " + name + " завершено успешно.");
  observer.Deselect(name);
  return TCompareOutcome::Equal;
}

}  // namespace vlm
