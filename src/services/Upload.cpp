#include "services/Upload.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "common/DataFolder.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "link/ExchangeLog.h"
#include "link/FileTransfer.h"
#include "services/ServiceNames.h"
#include "common/PathText.h"

namespace vlm {
namespace fs = std::filesystem;

uint64_t SegmentCount(uint64_t size) { return (size + kBlockShort - 1) / kBlockShort; }

std::string UploadMismatchText(const uint8_t* original, size_t originalCount, const uint8_t* readBack,
                               size_t readCount) {
  const std::string text = "Ошибка в загруженном файле.\rОриг=" + HexDump(original, std::min<size_t>(originalCount, 25)) +
                           "\r" + "Файл=" + HexDump(readBack, std::min<size_t>(readCount, 25)) + "\r";
  return Utf8Left(text, 255);
}

void TUpload::Settle() {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(SettleMs);
  while (std::chrono::steady_clock::now() < until) {
    observer_.Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool TUpload::Load(const fs::path& pcPath) {
  std::string bytes;
  std::error_code ec;
  if (!fs::is_regular_file(pcPath, ec) || !ReadWholeFile(pcPath, bytes) || bytes.size() > UINT32_MAX) {
    ShowError("Не удаётся прочитать файл " + PathToUtf8(pcPath));
    return false;
  }
  observer_.Log("Открыт файл " + PathToUtf8(pcPath));
  observer_.Log("Размер файла: " + std::to_string(bytes.size()));
  const uint64_t segments = SegmentCount(bytes.size());
  observer_.Log("Количество сегментов: " + std::to_string(segments));
  TLinkSession session(link_);
  if (!session.Opened() && link_.LastOpenFailure()) {
    const std::string why = LinkOpenFailureText(link_.LastOpenFailure(), link_.Settings);
    observer_.Log(why);
    ShowError(why);
    return false;
  }
  observer_.Log("Открыт порт связи.");
  const std::string name = ControllerFileName(FileNameUtf8(pcPath));
  // A file that landed in whatever folder was current would pass its check there and still not
  // be where the controller looks for it.
  if (!ChangeDir(link_, "c:\\")) {
    ShowError("Ошибка перехода в корневой каталог. Повторите загрузку.");
    observer_.Log("Ошибка перехода в корневой каталог.");
    return false;
  }
  observer_.Log("Выход в корневой каталог.");
  observer_.Log("Загрузка файла...");
  observer_.Progress(0, segments);
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  // An empty file goes as one empty block: otherwise it would never be created.
  // Read back below segment by segment, as the log tells; the link's own check would read it twice.
  const bool written = WriteControllerFile(
      link_, name, data, [&](uint64_t done, uint64_t) { observer_.Progress(SegmentCount(done), segments); },
      TWriteCheck::Never);
  if (!written) {
    ShowError("Ошибка записи. Повторите загрузку.");
    observer_.Log("Ошибка записи.");
    return false;
  }
  observer_.Log("Загружено байтов: " + std::to_string(bytes.size()));
  Settle();
  observer_.Log("Проверка загруженного файла...");
  observer_.Progress(0, segments);
  if (!Verify(name, bytes)) return false;
  observer_.Log(kUploadOk);
  return true;
}

bool TUpload::Verify(const std::string& name, const std::string& bytes) {
  const uint64_t segments = SegmentCount(bytes.size());
  std::vector<uint8_t> back;
  TReadOptions options;
  options.showReadError = false;
  options.progress = [&](uint64_t done, uint64_t) { observer_.Progress(SegmentCount(done), segments); };
  if (!ReadControllerFile(link_, name, back, options)) {
    ShowError("Ошибка считывания. Повторите загрузку.");
    observer_.Log("Ошибка считывания.");
    return false;
  }
  // Segment by segment, so a difference is told as the segment it lies in.
  for (uint64_t i = 0; i < std::max<uint64_t>(segments, back.size() > bytes.size() ? 1 : 0); ++i) {
    const size_t offset = size_t(i * kBlockShort);
    const size_t length = std::min<size_t>(kBlockShort, bytes.size() - std::min(offset, bytes.size()));
    const size_t got = std::min<size_t>(kBlockShort, back.size() - std::min(offset, back.size()));
    const auto* original = reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
    const bool last = i + 1 >= segments;
    const bool sizesDiffer = last && back.size() != bytes.size();
    if (got != length || sizesDiffer || !std::equal(original, original + length, back.begin() + long(offset))) {
      ShowError(UploadMismatchText(original, length, back.data() + std::min(offset, back.size()), got));
      observer_.Log("Ошибка проверки сегмента загруженного файла.");
      observer_.Log(" Позиция сегмента: " + std::to_string(offset));
      return false;
    }
  }
  observer_.Progress(segments, segments);
  return true;
}

}  // namespace vlm
