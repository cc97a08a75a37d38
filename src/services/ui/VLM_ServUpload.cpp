#include "services/ui/VLM_ServUpload.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include "common/Prompt.h"
#include "services/ServiceNames.h"
#include "services/Upload.h"
#include "shell/ui/AppInfo.h"

namespace vlm {

TFormUpload::TFormUpload(TControllerLink& link, QWidget* parent) : QDialog(parent), link_(link) {
  setObjectName("FormUpload");
  setWindowTitle(kAppTitle + " - Загрузка файла");
  resize(520, 380);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Файл на ЭВМ:", this), 0, 0);
  editPc_ = new QLineEdit(this);
  editPc_->setObjectName("EditProgPC");
  grid->addWidget(editPc_, 0, 1);
  auto* search = new QPushButton("...", this);
  search->setObjectName("ButtonProgSearch");
  search->setFixedWidth(32);
  connect(search, &QPushButton::clicked, this, [this] { ButtonProgSearchClick(); });
  grid->addWidget(search, 0, 2);
  grid->addWidget(new QLabel("Файл в контроллере:", this), 1, 0);
  editController_ = new QLineEdit(this);
  editController_->setObjectName("EditProgController");
  editController_->setReadOnly(true);
  grid->addWidget(editController_, 1, 1);
  auto* load = new QToolButton(this);
  load->setObjectName("ButtonLoad");
  load->setText("Загрузить!");
  load->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
  load->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(load, &QToolButton::clicked, this, [this] { ButtonLoadClick(); });
  grid->addWidget(load, 1, 2);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("Memo1");
  memo_->setReadOnly(true);
  memo_->setStyleSheet("QPlainTextEdit { background: #000080; color: white; }");
  grid->addWidget(memo_, 2, 0, 1, 3);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBar1");
  progress_->setTextVisible(false);
  grid->addWidget(progress_, 3, 0, 1, 3);
  grid->setRowStretch(2, 1);
  observer_.LogMemo = memo_;
  observer_.ProgressBar = progress_;
  InstallHelpKey(this, kHelpUpload, &Help);
}

void TFormUpload::ButtonProgSearchClick() {
  const QString path = QFileDialog::getOpenFileName(this, kAppTitle + " - Выбор файла", path_,
                                                    "Программы (*.exe);;Все файлы (*.*)");
  if (!path.isEmpty()) ChooseFile(path);
}

void TFormUpload::ChooseFile(const QString& path) {
  path_ = path;
  editPc_->setText(QDir::toNativeSeparators(path));
  editController_->setText("c:\\" + QString::fromStdString(ControllerFileName(QFileInfo(path).fileName().toStdString())));
  memo_->appendPlainText("Выбран файл " + QDir::toNativeSeparators(path));
}

void TFormUpload::ButtonLoadClick() {
  // A path typed into the box counts as chosen.
  if (!editPc_->text().isEmpty() && QDir::fromNativeSeparators(editPc_->text()) != path_)
    ChooseFile(QDir::fromNativeSeparators(editPc_->text()));
  if (path_.isEmpty()) {
    ShowError("Выберите файл для загрузки в контроллер.");
    return;
  }
  RunExclusive(busy_, [&] {
    TUpload upload(link_, observer_);
    upload.SettleMs = settleMs_;
    upload.Load(path_.toStdString());
  });
}

}  // namespace vlm
