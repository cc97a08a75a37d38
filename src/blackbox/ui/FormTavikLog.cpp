#include "blackbox/ui/FormTavikLog.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "blackbox/BoxTavikExport.h"
#include "shell/ui/AppInfo.h"

namespace vlm {

TFormTavikLog::TFormTavikLog(QWidget* parent) : QDialog(parent) {
  setObjectName("FormTavikLog");
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
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const std::string csv = TavikLogCsv(log_);
  return file.write(csv.data(), qint64(csv.size())) == qint64(csv.size());
}

}  // namespace vlm
