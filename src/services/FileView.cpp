#include "services/FileView.h"

#include <fstream>

#include "common/DataFolder.h"
#include "common/Format.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "services/BlockReader.h"
#include "common/PathText.h"

namespace vlm {
namespace {

constexpr const char* kViewTemp = "tempfile.bak";

std::string HexLines(std::string_view bytes) {
  std::string out;
  for (size_t line = 0; line < bytes.size(); line += 16) {
    const std::string_view row = bytes.substr(line, 16);
    out += Format("%.8X  ", {int64_t(line)});
    for (size_t i = 0; i < 16; ++i)
      out += i < row.size() ? Format("%.2X ", {int64_t(uint8_t(row[i]))}) : std::string("   ");
    std::string chars;
    for (const char c : row) chars += uint8_t(c) < 0x20 || c == 0x7F ? '.' : c;
    out += " " + OemTextToUtf8(chars) + "\n";
  }
  return out;
}

}  // namespace

bool LooksBinary(std::string_view bytes) {
  for (const char c : bytes) {
    const auto u = uint8_t(c);
    // Tab, line ends, form feed and the DOS end-of-file mark occur in text files.
    if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != 0x1A) return true;
  }
  return false;
}

std::string ViewText(std::string_view bytes) { return LooksBinary(bytes) ? HexLines(bytes) : OemTextToUtf8(bytes); }

bool ReadFileForView(TControllerLink& link, IServiceObserver& observer, const std::string& name, std::string& text) {
  text.clear();
  const auto tempPath = DataSubfolder("Bak") / kViewTemp;
  {
    TLinkSession session(link);
    link.File.FileName = name;
    TDirEntry entry;
    if (!FindFile(link, true, &entry) || entry.IsDirectory()) {
      ShowError("Ошибка поиска файла.\r\rФайл: " + name + "\r\r" + "Попробуйте повторить загрузку.");
      return false;
    }
    std::ofstream out(tempPath, std::ios::binary | std::ios::trunc);
    const uint64_t blocks = (uint64_t(entry.Size) + kBlockShort - 1) / kBlockShort;
    observer.Progress(0, blocks);
    TReadMode shortReads = TReadMode::Short;
    TBlockReader reader(link, name, entry.Size, shortReads);
    while (!reader.Done()) {
      if (!reader.Next()) {
        ShowError("Ошибка чтения.\rПопробуйте повторить загрузку.");
        observer.Progress(0, blocks);
        return false;
      }
      out.write(reinterpret_cast<const char*>(reader.Block().data()), std::streamsize(reader.Block().size()));
      observer.Progress((reader.Offset() + kBlockShort - 1) / kBlockShort, blocks);
      observer.Pump();
    }
    observer.Progress(0, blocks);
    if (!out.flush()) {
      ShowError("Не удаётся записать файл " + PathToUtf8(tempPath));
      return false;
    }
  }
  std::string bytes;
  if (!ReadWholeFile(tempPath, bytes)) {
    ShowError("Не удаётся прочитать файл " + PathToUtf8(tempPath));
    return false;
  }
  text = ViewText(bytes);
  return true;
}

}  // namespace vlm
