#include "services/Autoexec.h"

#include <fstream>

#include "common/DataFolder.h"
#include "common/DateTime.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "link/FileTransfer.h"
#include "services/BlockReader.h"
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
  {
    TLinkSession session(link_);
    ChangeDir(link_, kRoot);
    link_.File.FileName = kAutoexecName;
    TDirEntry entry;
    if (!FindFile(link_, true, &entry) || entry.IsDirectory()) {
      ShowError("Ошибка поиска файла autoexec.bat.\r\rПопробуйте повторить загрузку.");
      return false;
    }
    file.Size = entry.Size;
    file.Time = FormatDateTime("dd.mm.yyyy hh:nn:ss", DosToDateTime(entry.DateTime));
    const uint64_t segments = SegmentCount(entry.Size);
    observer_.Progress(0, segments);
    std::ofstream out(tempPath, std::ios::binary | std::ios::trunc);
    TReadMode shortReads = TReadMode::Short;
    TBlockReader reader(link_, kAutoexecName, entry.Size, shortReads);
    while (!reader.Done()) {
      if (!reader.Next()) {
        ShowError("Ошибка чтения.\r\rПопробуйте повторить загрузку.");
        return false;
      }
      out.write(reinterpret_cast<const char*>(reader.Block().data()), std::streamsize(reader.Block().size()));
      observer_.Progress(SegmentCount(reader.Offset()), segments);
    }
    if (!out.flush()) {
      ShowError("Не удаётся записать файл " + PathToUtf8(tempPath));
      return false;
    }
  }
  if (!ReadWholeFile(tempPath, file.Bytes)) {
    ShowError("Не удаётся прочитать файл " + PathToUtf8(tempPath));
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
