#include "services/ui/VLM_ServFilesView.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include "services/FileView.h"
#include "shell/ui/AppInfo.h"
#include "shell/HelpTopics.h"

namespace vlm {

TFormFilesView::TFormFilesView(TControllerLink& link, QWidget* parent)
    : QWidget(parent, Qt::Window), link_(link) {
  setObjectName("FormFilesView");
  setProperty("helpContext", HelpContextOf("TFormFilesView"));  // F1 while it is the active window
  resize(640, 480);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("Memo1");
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  memo_->setStyleSheet("QPlainTextEdit { background: #000080; color: #C0C0C0; }");
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->installEventFilter(this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBar1");
  progress_->setTextVisible(false);
  layout->addWidget(memo_);
  layout->addWidget(progress_);
  observer_.ProgressBar = progress_;
}

void TFormFilesView::ShowFile(const std::string& name) {
  setWindowTitle(kAppTitle + " - Просмотр файла " + QString::fromStdString(name));
  memo_->clear();
  show();
  raise();
  std::string text;
  RunGuarded([&] {
    if (ReadFileForView(link_, observer_, name, text)) memo_->setPlainText(QString::fromStdString(text));
  });
}

bool TFormFilesView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == memo_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    hide();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vlm
