// The main window's ways of moving the configuration: .cfg files, the controller, backups.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <memory>

#include "app/MainForm.h"
#include "common/DataFolder.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "link/FileTransfer.h"
#include "link/ServiceRequests.h"
#include "model/Config.h"
#include "model/ConfigTree.h"
#include "model/Kinds.h"
#include "ports/OwnerTableChecks.h"
#include "shell/AppContext.h"
#include "shell/FleetBackup.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/Indicator.h"

namespace vlm {

namespace {

const QString kFilter = "Файлы конфигурации (*.cfg);;Все файлы (*.*)";
constexpr const char* kControllerFile = "c:\\vlm.cfg";

// Clears a flag when the operation ends, also by an abort.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;
 private:
  bool& flag_;
};

}  // namespace

QString WithCfgExtension(const QString& path) {
  return QFileInfo(path).suffix().isEmpty() && !path.endsWith('.') ? path + ".cfg" : path;
}

QString TFormVLM::AskOpenPath() {
  return QFileDialog::getOpenFileName(this, kAppTitle + " - Открыть файл конфигурации",
                                      QString::fromStdString(ctx_.Main.RecentDirectory), kFilter);
}

QString TFormVLM::AskSavePath() {
  return QFileDialog::getSaveFileName(this, kAppTitle + " - Сохранить файл конфигурации",
                                      QString::fromStdString(ctx_.Main.RecentDirectory), kFilter);
}

void TFormVLM::LoadImageBytes(const std::string& bytes) {
  const std::span<const uint8_t> image(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  // A damaged image is found on a scratch tree: its message comes and the edited tree stays.
  {
    TTree scratch;
    TConfig cfg;
    cfg.Load(image);
    NewEmptyStation(scratch)->ReadConfig(cfg);
  }
  TFlagScope reading(reading_);
  ResetTree(false);
  try {
    ctx_.Image.Load(image);
    station_->ReadConfig(ctx_.Image);
  } catch (const EAbort&) {
    readFrom_.clear();  // the tree shows no source any more
    labelRead_->clear();
    throw;
  }
  // Rows past a table's capacity were left out: said once, before anything is stored again.
  if (!ctx_.Image.ReadNotes.empty()) {
    std::string text = "Конфигурация считана не полностью:";
    for (const std::string& note : ctx_.Image.ReadNotes) text += "\r\r" + note;
    ShowError(text + "\r\rПри сохранении или записи в контроллер эти записи будут потеряны.");
  }
}

void TFormVLM::OpenFile(const QString& path) {
  const QFileInfo info(path);
  ctx_.Main.RecentDirectory = info.absolutePath().toStdString();
  configFileName_ = path;
  // The size is checked before a byte is read: the image buffer holds no more.
  if (info.size() > static_cast<qint64>(kImageCapacity)) {
    ShowError("Слишком большой файл: " + std::to_string(info.size()) + "\r" + path.toStdString());
    Abort();
  }
  QFile file(path);
  QByteArray bytes;
  if (!info.isDir() && file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  if (info.isDir() || !file.isOpen() || file.error() != QFileDevice::NoError) {
    ShowError("Не удалось прочитать файл " + path.toStdString() +
              (file.errorString().isEmpty() || info.isDir() ? "" : "\r" + file.errorString().toStdString()));
    Abort();
  }
  LoadImageBytes(bytes.toStdString());
  ExpandAfterRead();
  readFrom_ = path;
  UpdateLabels();
  MarkSaved();
}

void TFormVLM::SaveFile(const QString& chosen) {
  const QString path = WithCfgExtension(chosen);
  ctx_.Main.RecentDirectory = QFileInfo(path).absolutePath().toStdString();
  configFileName_ = path;
  station_->WriteConfig(ctx_.Image);
  const auto image = ctx_.Image.Image();
  if (!WriteFileAtomically(path.toStdU16String(), {reinterpret_cast<const char*>(image.data()), image.size()})) {
    ShowError("Не удалось записать файл " + path.toStdString());
    Abort();
  }
  writtenTo_ = path;
  UpdateLabels();
  MarkSaved();
}

void TFormVLM::MarkSaved() { savedImage_ = QuietImage(*station_); }

bool TFormVLM::MayDiscardChanges() {
  if (ApplyFrame() != 0) return false;  // the frame keeps its edits to be mended
  if (QuietImage(*station_) == savedImage_) return true;
  switch (AskYesNo("Конфигурация изменена и не сохранена.\r\rСохранить изменения в файле?", true)) {
    case TAnswer::Yes: {
      const QString path = AskSavePath();
      if (path.isEmpty()) return false;
      SaveFile(path);  // a failed write aborts: the configuration stays on screen
      return true;
    }
    case TAnswer::No:
      return true;
    default:
      return false;
  }
}

namespace {
// Gathers the link's own messages of a failed read, so that the engineer gets one box that
// says what failed and why instead of the link's box followed by the window's.
class TGatherErrors : public IPrompt {
 public:
  TGatherErrors() : outer_(Prompt()), guard_(*this) {}
  void ShowError(const std::string& text) override { text_ += (text_.empty() ? "" : "\r") + text; }
  TAnswer AskYesNo(const std::string& text, bool withCancel) override { return outer_.AskYesNo(text, withCancel); }
  // The window's text and under it what the link said.
  std::string With(const std::string& text) const { return text_.empty() ? text : text + "\r\r" + text_; }

 private:
  IPrompt& outer_;
  PromptGuard guard_;
  std::string text_;
};

// A read that failed, carried out of the link session so that its box comes after the link is
// closed and the window free again.
struct TReadFailed {
  std::string text;
};
}  // namespace

// Finds "c:\vlm.cfg" for its size and reads it in blocks, one indicator point each.
void TFormVLM::ReadControllerImage(std::vector<uint8_t>& bytes) {
  TControllerLink& link = ctx_.Link;
  auto gathered = std::make_unique<TGatherErrors>();
  auto fail = [&](const std::string& text) {
    const std::string message = gathered->With(text);
    gathered.reset();
    throw TReadFailed{message};
  };
  TLinkSession session(link);
  if (!session.Opened() && link.LastOpenFailure()) fail(LinkOpenFailureText(link.LastOpenFailure(), link.Settings));
  TDirEntry entry;
  if (!FindControllerFile(link, kControllerFile, entry)) {
    indicator_->AddPoint(PointColor::Red);
    // A silent controller is not one without a configuration.
    if (link.LastFailure == TLinkFailure::DosError) fail("Файл конфигурации не найден в контроллере.");
    fail("Ошибка при чтении файла конфигурации из контроллера.\r" + ReadFailureCause(link));
  }
  indicator_->AddPoint(PointColor::Lime);
  if (entry.Size > kImageCapacity) fail("Слишком большой файл: " + std::to_string(entry.Size) + "\r" + kControllerFile);
  TReadOptions options;
  options.found = &entry;
  options.showReadError = false;
  options.point = [this](bool answered) { indicator_->AddPoint(answered ? PointColor::Green : PointColor::Red); };
  if (!ReadControllerFile(link, kControllerFile, bytes, options) || bytes.size() > kImageCapacity) {
    indicator_->AddPoint(PointColor::Red);
    fail("Ошибка при чтении файла конфигурации из контроллера.\r" + ReadFailureCause(link));
  }
}

void TFormVLM::ReadFromController(bool byButton) {
  std::vector<uint8_t> bytes;
  std::string failure;
  {
    TFlagScope busy(busy_);
    try {
      ReadControllerImage(bytes);
    } catch (const TReadFailed& f) {
      failure = f.text;
    }
  }
  if (!failure.empty()) {
    ShowError(failure);
    Abort();
  }
  // The tree is replaced only by an image that reads: a failed read leaves the edits alone.
  LoadImageBytes(std::string(bytes.begin(), bytes.end()));
  ExpandAfterRead();
  if (byButton) {
    readFrom_ = "контроллера";
    writtenTo_.clear();
  }
  UpdateLabels();
  MarkSaved();
}

void TFormVLM::WriteToController(bool byButton) {
  if (ApplyFrame() != 0) return;
  // The checks of every table frame, also of frames never opened, in one question.
  if (const auto problems = CheckOwnerTables(tree_); !problems.empty()) {
    std::string text = "В конфигурации найдены ошибки:";
    for (const TTableReport& p : problems) text += "\r\r" + p.text;
    if (AskYesNo(text + "\r\rПродолжить запись в контроллер?") != TAnswer::Yes) return;
  }
  // Built first, so that the question can say what the controller holds now and how it differs.
  station_->WriteConfig(ctx_.Image);
  std::string note;
  if (!CompareBeforeWrite(note)) return;
  if (AskYesNo(note + "Запись новой конфигурации в контроллер уничтожит прежнюю.\r\rПродолжить?") != TAnswer::Yes)
    return;
  std::filesystem::path kept;
  for (bool keep = true;; keep = false) {
    bool ok = false;
    {
      TFlagScope busy(busy_);
      TLinkSession session(ctx_.Link);
      // The controller boots from this file: it is read back and compared before the write counts.
      ok = WriteControllerFile(ctx_.Link, kControllerFile, ctx_.Image.Image(),
                               [this](uint64_t, uint64_t) { indicator_->AddPoint(PointColor::Green); },
                               TWriteCheck::Always);
      if (!ok) indicator_->AddPoint(PointColor::Red);
      else if (AfterWrite) AfterWrite();
    }
    if (ok) break;
    // The boxes come once the link is released, never from inside its wait.
    if (ctx_.Link.LastOpenFailure()) {
      ShowError(LinkOpenFailureText(ctx_.Link.LastOpenFailure(), ctx_.Link.Settings));
      Abort();
    }
    // What the controller held before is kept once, however often the write is tried again.
    if (keep) kept = KeepPreWriteCopy(preWrite_, IPToStr(ctx_.Link.Settings.DestIP), Now());
    const std::string failed = ctx_.Link.LastFailure == TLinkFailure::Mismatch
                                   ? "Файл конфигурации, прочитанный из контроллера, не совпадает с записанным."
                                   : "Ошибка при записи файла конфигурации в контроллер.";
    if (AskYesNo(failed + "\r\r" + IncompleteConfigText(kept) + "\r\rЗаписать конфигурацию в контроллер ещё раз?") !=
        TAnswer::Yes)
      Abort();
  }
  if (ctx_.Main.BackupEnable) MakeBackup();
  if (byButton) {
    writtenTo_ = "контроллер";
    UpdateLabels();
  }
}

void TFormVLM::MakeBackup() {
  std::filesystem::path folder;
  try {
    folder = DataSubfolder("Cfg");
  } catch (const std::exception&) {
    return;  // no folder, no backup
  }
  if (!std::filesystem::is_directory(folder)) return;
  const auto image = ctx_.Image.Image();
  const QString name = QString::fromStdString(BackupFileName(station_->Place, Now()));
  const std::filesystem::path path = folder / PathFromUtf8(name.toStdString());
  if (!WriteFileAtomically(path, {reinterpret_cast<const char*>(image.data()), image.size()}))
    ShowError("Не удалось записать резервную копию " + PathToUtf8(path));
}

}  // namespace vlm
