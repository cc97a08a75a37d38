#include "services/ui/VLM_ServAuto.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "services/Autoexec.h"
#include "shell/ui/AppInfo.h"

namespace vlm {
namespace {

QLabel* Panel(const char* name, QWidget* parent) {
  auto* panel = new QLabel(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setMinimumWidth(140);
  panel->setAlignment(Qt::AlignCenter);
  return panel;
}

// The editor's text as typed: toPlainText would turn no-break spaces (DOS 866 byte FFh) into
// blanks, and a file read and written back unchanged must keep its bytes.
QString EditorText(const QPlainTextEdit* memo) {
  QString text = memo->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, u'\n');
  text.replace(QChar::LineSeparator, u'\n');
  return text;
}

}  // namespace

TFormAuto::TFormAuto(TControllerLink& link, QWidget* parent) : QDialog(parent), link_(link) {
  setObjectName("FormAuto");
  setWindowTitle(kAppTitle + " - Правка autoexec.bat");
  resize(600, 420);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto button = [&](const char* name, const char* caption, QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(UiText(std::string(caption)));
    b->setIcon(style()->standardIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    top->addWidget(b);
    return b;
  };
  connect(button("ButtonRead", "Прочитать из\rконтроллера", QStyle::SP_ArrowDown), &QToolButton::clicked, this,
          [this] { ButtonReadClick(); });
  connect(button("ButtonSave", "Записать в  \rконтроллер", QStyle::SP_ArrowUp), &QToolButton::clicked, this,
          [this] { ButtonSaveClick(); });
  top->addStretch();
  panelSize_ = Panel("PanelSize", this);
  panelTime_ = Panel("PanelTime", this);
  top->addWidget(panelSize_);
  top->addWidget(panelTime_);
  layout->addLayout(top);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("MemoAuto");
  memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  memo_->setStyleSheet("QPlainTextEdit { background: #000080; color: white; }");
  memo_->viewport()->installEventFilter(this);
  layout->addWidget(memo_, 1);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBar1");
  progress_->setTextVisible(false);
  layout->addWidget(progress_);
  observer_.ProgressBar = progress_;
  InstallHelpKey(this, kHelpAutoexec, &Help);
}

void TFormAuto::ButtonReadClick() {
  if (busy_) return;
  memo_->clear();
  RunExclusive(busy_, [&] {
    TAutoexec autoexec(link_, observer_);
    TAutoexecFile file;
    if (!autoexec.Read(file)) return;
    panelSize_->setText(QString::number(file.Size));
    panelTime_->setText(QString::fromStdString(file.Time));
    memo_->setPlainText(QString::fromStdString(AutoexecToEditor(file.Bytes)));
  });
}

void TFormAuto::ButtonSaveClick() {
  bool reset = false;
  RunExclusive(busy_, [&] {
    TAutoexec autoexec(link_, observer_);
    reset = autoexec.WriteAndAskReset(EditorToAutoexec(EditorText(memo_).toStdString()));
  });
  if (reset && ShowReset) ShowReset();
}

void TFormAuto::MemoAutoClick() { progress_->setValue(0); }

bool TFormAuto::eventFilter(QObject* watched, QEvent* event) {
  if (watched == memo_->viewport() && event->type() == QEvent::MouseButtonPress) MemoAutoClick();
  return QDialog::eventFilter(watched, event);
}

}  // namespace vlm
