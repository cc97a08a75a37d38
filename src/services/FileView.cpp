#include "services/FileView.h"

#include <fstream>

#include "common/DataFolder.h"
#include "common/Format.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "link/FileRead.h"
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
  std::vector<uint8_t> bytes;
  TReadReport report;
  {
    TLinkSession session(link);
    TReadOptions options;
    options.showReadError = false;
    options.progress = [&](uint64_t done, uint64_t total) {
      observer.Progress((done + kBlockShort - 1) / kBlockShort, (total + kBlockShort - 1) / kBlockShort);
    };
    const bool read = ReadControllerFile(link, name, bytes, options, &report);
    observer.Progress(0, 1);
    if (!read || report.entry.IsDirectory()) {
      if (!report.found || report.entry.IsDirectory())
        ShowError("Ошибка поиска файла.\r\rФайл: " + name + "\r\r" + ReadFailureCause(link) + "Попробуйте повторить загрузку.");
      else ShowError("Ошибка чтения.\r" + ReadFailureCause(link) + "Попробуйте повторить загрузку.");
      return false;
    }
  }
  // The copy in "Bak" is what the viewer shows.
  const std::string copy(bytes.begin(), bytes.end());
  if (!WriteFileAtomically(tempPath, copy)) {
    ShowError("Не удаётся записать файл " + PathToUtf8(tempPath));
    return false;
  }
  text = ViewText(copy);
  return true;
}

}  // namespace vlm
