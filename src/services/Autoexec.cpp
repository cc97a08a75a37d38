#include "services/Autoexec.h"

#include <fstream>

#include "common/DataFolder.h"
#include "common/DateTime.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "link/FileTransfer.h"
#include "services/Upload.h"
#include "common/PathText.h"

namespace vlm {
namespace {

constexpr const char* kReadTemp = "autoexec.bak";
constexpr const char* kRoot = "c:\\";

}  // namespace

std::string AutoexecToEditor(std::string_view dosBytes) {
  std::string text;
  for (size_t i = 0; i < dosBytes.size(); ++i) {
    if (dosBytes[i] == '\r') {
      text += '\n';
      if (i + 1 < dosBytes.size() && dosBytes[i + 1] == '\n') ++i;
    } else {
      text += dosBytes[i];
    }
  }
  return OemTextToUtf8(text);
}

std::string EditorToAutoexec(std::string_view text) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' || text[i] == '\r') lines += "\r\n";
    else lines += text[i];
  }
  return Utf8ToOemText(lines);
}

bool TAutoexec::Read(TAutoexecFile& file) {
  file = {};
  const auto tempPath = DataSubfolder("Bak") / kReadTemp;
  std::vector<uint8_t> bytes;
  {
    TLinkSession session(link_);
    if (!session.Opened() && link_.LastOpenFailure()) {
      ShowError(LinkOpenFailureText(link_.LastOpenFailure(), link_.Settings));
      return false;
    }
    ChangeDir(link_, kRoot);
    TReadOptions options;
    options.showReadError = false;
    options.progress = [&](uint64_t done, uint64_t total) { observer_.Progress(SegmentCount(done), SegmentCount(total)); };
    TReadReport report;
    if (!ReadControllerFile(link_, kAutoexecName, bytes, options, &report) || report.entry.IsDirectory()) {
      if (!report.found || report.entry.IsDirectory())
        ShowError("Ошибка поиска файла autoexec.bat.\r\r" + ReadFailureCause(link_) + "Попробуйте повторить загрузку.");
      else ShowError("Ошибка чтения.\r\r" + ReadFailureCause(link_) + "Попробуйте повторить загрузку.");
      return false;
    }
    file.Size = report.entry.Size;
    file.Time = FormatDateTime("dd.mm.yyyy hh:nn:ss", DosToDateTime(report.entry.DateTime));
  }
  file.Bytes.assign(bytes.begin(), bytes.end());
  if (!WriteFileAtomically(tempPath, file.Bytes)) {
    ShowError("Не удаётся записать файл " + PathToUtf8(tempPath));
    return false;
  }
  return true;
}

bool TAutoexec::Write(const std::string& dosBytes) {
  const auto tempPath = DataSubfolder("Bak") / kAutoexecName;
  std::string bytes;
  if (!WriteFileAtomically(tempPath, dosBytes) || !ReadWholeFile(tempPath, bytes)) {
    ShowError("Не удаётся записать файл " + PathToUtf8(tempPath));
    return false;
  }
  TLinkSession session(link_);
  if (!session.Opened() && link_.LastOpenFailure()) {
    ShowError(LinkOpenFailureText(link_.LastOpenFailure(), link_.Settings));
    return false;
  }
  // Written where the controller starts from, not into a folder the file exchange left current.
  if (!ChangeDir(link_, kRoot)) {
    ShowError("Ошибка записи.\r\rПопробуйте повторить загрузку.");
    return false;
  }
  const uint64_t segments = SegmentCount(bytes.size());
  observer_.Progress(0, segments);
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  const bool written = WriteControllerFile(link_, kAutoexecName, data, [&](uint64_t done, uint64_t) {
    observer_.Progress(SegmentCount(done), segments);
  });
  if (!written) ShowError("Ошибка записи.\r\rПопробуйте повторить загрузку.");
  return written;
}

bool TAutoexec::WriteAndAskReset(const std::string& dosBytes) {
  return Write(dosBytes) && AskYesNo("Файл загружен.\r\rПерезапустить контроллер?") == TAnswer::Yes;
}

}  // namespace vlm
