#include "blackbox/ui/FormTavikLog.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "blackbox/BoxTavikExport.h"
#include "common/DataFolder.h"
#include "common/Prompt.h"
#include "shell/ui/AppInfo.h"
#include "shell/HelpTopics.h"

namespace vlm {

TFormTavikLog::TFormTavikLog(QWidget* parent) : QDialog(parent) {
  setObjectName("FormTavikLog");
  setProperty("helpContext", HelpContextOf("TFormTavikLog"));  // F1 while it is the active window
  setWindowTitle("ТАВИК - Журнал событий");
  setMinimumSize(470, 150);
  resize(560, 360);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  editAppear_ = new QLineEdit(this);
  editAppear_->setObjectName("EditAppear");
  editAppear_->setReadOnly(true);
  editChanges_ = new QLineEdit(this);
  editChanges_->setObjectName("EditChanges");
  editChanges_->setReadOnly(true);
  panelFirst_ = new QLabel(this);
  panelFirst_->setObjectName("PanelFirst");
  panelLast_ = new QLabel(this);
  panelLast_->setObjectName("PanelLast");
  for (QLabel* panel : {panelFirst_, panelLast_}) panel->setFrameShape(QFrame::StyledPanel);
  form->addRow("Появлений", editAppear_);
  form->addRow("Изменений", editChanges_);
  form->addRow("Первое", panelFirst_);
  form->addRow("Последнее", panelLast_);
  layout->addLayout(form);
  layout->addWidget(new QLabel("Список изменений", this));
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("Memo");
  memo_->setReadOnly(true);
  memo_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(memo_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    QAction* csv = menu.addAction("Экспорт в CSV");
    if (menu.exec(memo_->mapToGlobal(at)) != csv) return;
    const QString path = QFileDialog::getSaveFileName(this, kAppTitle + " - Экспорт в CSV", "", "CSV (*.csv)");
    if (!path.isEmpty()) ExportCsv(path);
  });
  layout->addWidget(memo_, 1);
}

void TFormTavikLog::ShowLog(const TTavikLog& log) {
  log_ = log;
  setWindowTitle(QString::fromStdString(log.caption));
  editAppear_->setText(QString::number(log.appearances));
  editChanges_->setText(QString::number(log.changes));
  panelFirst_->setText(QString::fromStdString(log.first));
  panelLast_->setText(QString::fromStdString(log.last));
  QStringList lines;
  for (const std::string& line : log.lines) lines << QString::fromStdString(line);
  memo_->setPlainText(lines.join('\n'));
  if (QWidget* owner = parentWidget()) move(owner->geometry().center() - rect().center());
}

bool TFormTavikLog::ExportCsv(const QString& path) const {
  if (WriteFileAtomically(path.toStdU16String(), TavikLogCsv(log_))) return true;
  ShowError("Не удалось записать файл " + path.toStdString());
  return false;
}

}  // namespace vlm
