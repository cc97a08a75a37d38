// The main window's ways of moving the configuration: .cfg files, the controller, backups.
#include <QFileDialog>
#include <QFileInfo>

#include "app/MainForm.h"
#include "common/DataFolder.h"
#include "common/Prompt.h"
#include "link/FileTransfer.h"
#include "link/ServiceRequests.h"
#include "model/Config.h"
#include "shell/AppContext.h"
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

QString BackupFileName(const std::string& place, TDateTime when) {
  QString clean;
  for (QChar c : QString::fromStdString(place))
    if (!QStringLiteral("\"*+/:<>?\\|").contains(c) && c.unicode() >= 0x20) clean += c;
  return QString::fromStdString(FormatDateTime("yyyy_mm_dd hh_nn_ss ", when)) + clean + ".cfg";
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
  ctx_.Image.Load({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  station_->ReadConfig(ctx_.Image);
}

void TFormVLM::OpenFile(const QString& path) {
  {
    TFlagScope reading(reading_);
    ResetTree(false);
    const QFileInfo info(path);
    ctx_.Main.RecentDirectory = info.absolutePath().toStdString();
    configFileName_ = path;
    // The size is checked before a byte is read: the image buffer holds no more.
    if (info.size() > static_cast<qint64>(kImageCapacity)) {
      ShowError("Слишком большой файл: " + std::to_string(info.size()) + "\r" + path.toStdString());
      Abort();
    }
    std::string bytes;
    if (!ReadWholeFile(path.toStdString(), bytes)) {
      ShowError("Не удалось прочитать файл " + path.toStdString());
      Abort();
    }
    LoadImageBytes(bytes);
  }
  ExpandAfterRead();
  readFrom_ = path;
  UpdateLabels();
}

void TFormVLM::SaveFile(const QString& chosen) {
  const QString path = WithCfgExtension(chosen);
  ctx_.Main.RecentDirectory = QFileInfo(path).absolutePath().toStdString();
  configFileName_ = path;
  station_->WriteConfig(ctx_.Image);
  const auto image = ctx_.Image.Image();
  if (!WriteFileAtomically(path.toStdString(), {reinterpret_cast<const char*>(image.data()), image.size()})) {
    ShowError("Не удалось записать файл " + path.toStdString());
    Abort();
  }
  writtenTo_ = path;
  UpdateLabels();
}

// Finds "c:\vlm.cfg" for its size and reads it in blocks, one indicator point each.
void TFormVLM::ReadControllerImage(std::vector<uint8_t>& bytes) {
  TControllerLink& link = ctx_.Link;
  TLinkSession session(link);
  link.File.FileName = kControllerFile;
  TDirEntry entry;
  if (!FindFile(link, true, &entry)) {
    indicator_->AddPoint(PointColor::Red);
    ShowError("Файл конфигурации не найден в контроллере.");
    Abort();
  }
  indicator_->AddPoint(PointColor::Lime);
  if (entry.Size > kImageCapacity) {
    ShowError("Слишком большой файл: " + std::to_string(entry.Size) + "\r" + kControllerFile);
    Abort();
  }
  const bool ok = ReadControllerFile(link, kControllerFile, bytes,
                                     [this](uint64_t, uint64_t) { indicator_->AddPoint(PointColor::Green); });
  if (!ok || bytes.size() > kImageCapacity) {
    indicator_->AddPoint(PointColor::Red);
    ShowError("Ошибка при чтении файла конфигурации из контроллера.");
    Abort();
  }
}

void TFormVLM::ReadFromController(bool byButton) {
  {
    TFlagScope busy(busy_);
    TFlagScope reading(reading_);
    ResetTree(false);
    std::vector<uint8_t> bytes;
    ReadControllerImage(bytes);
    LoadImageBytes(std::string(bytes.begin(), bytes.end()));
  }
  ExpandAfterRead();
  if (byButton) {
    readFrom_ = "контроллера";
    writtenTo_.clear();
  }
  UpdateLabels();
}

void TFormVLM::WriteToController(bool byButton) {
  if (ApplyFrame() != 0) return;
  // Built first, so that the question can say what the controller holds now and how it differs.
  station_->WriteConfig(ctx_.Image);
  std::string note;
  if (!CompareBeforeWrite(note)) return;
  if (AskYesNo(note + "Запись новой конфигурации в контроллер уничтожит прежнюю.\r\rПродолжить?") != TAnswer::Yes)
    return;
  {
    TFlagScope busy(busy_);
    TLinkSession session(ctx_.Link);
    // The controller boots from this file: it is read back and compared before the write counts.
    const bool ok = WriteControllerFile(ctx_.Link, kControllerFile, ctx_.Image.Image(),
                                        [this](uint64_t, uint64_t) { indicator_->AddPoint(PointColor::Green); },
                                        TWriteCheck::Always);
    if (!ok) {
      indicator_->AddPoint(PointColor::Red);
      ShowError(ctx_.Link.LastFailure == TLinkFailure::Mismatch
                    ? "Файл конфигурации, прочитанный из контроллера, не совпадает с записанным."
                    : "Ошибка при записи файла конфигурации в контроллер.");
      Abort();
    }
    if (AfterWrite) AfterWrite();
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
  const QString name = BackupFileName(station_->Place, Now());
  if (!WriteFileAtomically(folder / name.toStdString(), {reinterpret_cast<const char*>(image.data()), image.size()}))
    ShowError("Не удалось записать резервную копию " + (folder / name.toStdString()).string());
}

}  // namespace vlm
