#include "shell/ui/FleetBackupDlg.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/PathText.h"
#include "link/ServiceRequests.h"
#include "shell/ui/AppInfo.h"
#include "shell/HelpTopics.h"
#include "shell/ui/LinkWait.h"

namespace vlm {

namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QString FailureText(const TBackupResult& r) {
  if (!r.error.empty()) return Text(r.error);
  switch (r.failure) {
    case TLinkFailure::NoAnswer: return "нет ответа контроллера";
    case TLinkFailure::BadAnswer: return "ответ контроллера повреждён";
    case TLinkFailure::DosError: return Text("контроллер сообщает: " + DosErrorText(r.dosError));
    case TLinkFailure::Send: return "запрос не отправлен";
    case TLinkFailure::Disconnected: return "последовательный порт отключён";
    default: return "ошибка связи";
  }
}

}  // namespace

QString BackupResultText(const TBackupResult& r) {
  switch (r.outcome) {
    case TBackupOutcome::Saved:
      return (r.previous.empty() ? "сохранена: " : "изменилась, сохранена: ") + Text(FileNameUtf8(r.file));
    case TBackupOutcome::Identical: return "совпадает с копией " + Text(FileNameUtf8(r.file));
    case TBackupOutcome::Stopped: return "остановлено";
    case TBackupOutcome::Failed: break;
  }
  return "ошибка: " + FailureText(r);
}

TFormFleetBackup::TFormFleetBackup(std::vector<TBackupTarget> targets, std::filesystem::path folder, QWidget* parent)
    : QDialog(parent), targets_(std::move(targets)), folder_(std::move(folder)) {
  setObjectName("FormFleetBackup");
  setProperty("helpContext", HelpContextOf("TFormFleetBackup"));  // F1 while it is the active window
  setWindowTitle(kAppTitle + " - Резервные копии всех контроллеров");
  resize(760, 300);
  auto* layout = new QVBoxLayout(this);
  label_ = new QLabel(QString("Конфигурации контроллеров списка (%1) копируются в папку %2")
                          .arg(targets_.size())
                          .arg(Text(PathToUtf8(folder_))),
                      this);
  label_->setObjectName("LabelFolder");
  label_->setWordWrap(true);
  layout->addWidget(label_);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBarBackup");
  progress_->setRange(0, static_cast<int>(targets_.size()));
  progress_->setValue(0);
  layout->addWidget(progress_);
  grid_ = new QTableWidget(static_cast<int>(targets_.size()), 5, this);
  grid_->setObjectName("StringGridResults");
  grid_->setHorizontalHeaderLabels({"IP-адрес", "Место установки", "Размер", "Время, с", "Результат"});
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setColumnWidth(0, 110);
  grid_->setColumnWidth(1, 180);
  grid_->setColumnWidth(2, 60);
  grid_->setColumnWidth(3, 60);
  for (size_t i = 0; i < targets_.size(); ++i) {
    grid_->setItem(static_cast<int>(i), 0, new QTableWidgetItem(Text(targets_[i].address)));
    grid_->setItem(static_cast<int>(i), 1, new QTableWidgetItem(Text(targets_[i].place)));
    grid_->setItem(static_cast<int>(i), 4, new QTableWidgetItem("ожидает"));
  }
  layout->addWidget(grid_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  stopButton_ = new QPushButton("Остановить", this);
  stopButton_->setObjectName("ButtonStop");
  connect(stopButton_, &QPushButton::clicked, this, &TFormFleetBackup::ButtonStopClick);
  closeButton_ = new QPushButton("Закрыть", this);
  closeButton_->setObjectName("ButtonClose");
  closeButton_->setEnabled(false);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(stopButton_);
  buttons->addWidget(closeButton_);
  layout->addLayout(buttons);
}

void TFormFleetBackup::ButtonStopClick() {
  stop_ = true;
  stopButton_->setEnabled(false);
}

void TFormFleetBackup::ShowResult(const TBackupResult& r, size_t row) {
  const int i = static_cast<int>(row);
  const bool failed = r.outcome == TBackupOutcome::Failed || r.outcome == TBackupOutcome::Stopped;
  grid_->setItem(i, 2, new QTableWidgetItem(failed ? "-" : QString::number(r.size)));
  grid_->setItem(i, 3, new QTableWidgetItem(QString::number(r.seconds, 'f', 2)));
  auto* result = new QTableWidgetItem(BackupResultText(r));
  if (failed) result->setForeground(QColor(255, 0, 0));
  grid_->setItem(i, 4, result);
}

void TFormFleetBackup::Start() {
  results_.assign(targets_.size(), {});
  TBackupOptions options;
  options.folder = folder_;
  options.stop = &stop_;
  // One controller at a time on the window's thread: the link lets the window run while it waits.
  options.pump = PumpLinkWait;
  const TDateTime when = Now();
  const TBackupFolder folder(folder_);  // listed once for the whole run
  for (size_t i = 0; i < targets_.size(); ++i) {
    grid_->setItem(static_cast<int>(i), 4, new QTableWidgetItem("читается..."));
    QCoreApplication::processEvents();
    TBackupResult r;
    if (stop_) {
      r.place = targets_[i].place;
      r.address = targets_[i].address;
      r.outcome = TBackupOutcome::Stopped;
    } else {
      r = BackupController(targets_[i], options, when, folder);
    }
    results_[i] = r;
    ShowResult(r, i);
    progress_->setValue(static_cast<int>(i + 1));
  }
  const size_t failed = FailedCount(results_);
  label_->setText(QString("Готово: скопировано или совпадает %1 из %2, не удалось %3. Папка %4")
                      .arg(targets_.size() - failed)
                      .arg(targets_.size())
                      .arg(failed)
                      .arg(Text(PathToUtf8(folder_))));
  stopButton_->setEnabled(false);
  closeButton_->setEnabled(true);
}

}  // namespace vlm
