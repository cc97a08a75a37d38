#include "diag/ui/FormDiagDebug.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/DataFolder.h"
#include "common/TextCodec.h"
#include "diag/ui/DiagIcons.h"
#include "link/Velmor_PC.h"
#include "shell/HelpTopics.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/LinkWait.h"

namespace vlm {

TFormDiagDebug::TFormDiagDebug(TDiagMemory& memory, TControllerLink& link, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(memory), link_(link) {
  setObjectName("FormDiagDebug");
  setProperty("helpContext", HelpContextOf("TFormDiagDebug"));  // F1 while it is the active window
  setWindowTitle("DiagDebug");
  resize(520, 420);
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto tool = [&](const char* name, int icon, std::function<void()> run) {
    auto* b = new QToolButton;
    b->setObjectName(name);
    b->setIcon(DiagToolIcon(icon));
    b->setAutoRaise(true);
    connect(b, &QToolButton::clicked, this, [run] { run(); });
    bar->addWidget(b);
    return b;
  };
  tool("ImageLoad", 5, [this] {
    const QString path = QFileDialog::getOpenFileName(this, "DiagDebug", QString::fromStdString(DataFolder().string()));
    if (!path.isEmpty()) LoadFile(path);
  });
  tool("ImageSave", 6, [this] {
    const QString path = QFileDialog::getSaveFileName(this, "DiagDebug", QString::fromStdString(DataFolder().string()));
    if (!path.isEmpty()) SaveFile(path);
  });
  play_ = tool("ImagePlay", 7, [this] { ImagePlayClick(); });
  play_->setCheckable(true);
  spin_ = new QSpinBox;
  spin_->setObjectName("SpinEdit1");
  spin_->setRange(10, 100000);
  spin_->setValue(1000);
  spin_->installEventFilter(this);
  bar->addWidget(spin_);
  labelN_ = new QLabel;
  labelN_->setObjectName("LabelN");
  bar->addWidget(labelN_, 1);
  layout->addLayout(bar);
  auto* line = new QHBoxLayout;
  edit_ = new QLineEdit;
  edit_->setObjectName("Edit1");
  line->addWidget(edit_, 1);
  auto* write = new QPushButton("Выдать");
  write->setObjectName("ButtonWrite");
  connect(write, &QPushButton::clicked, this, [this] { ButtonWriteClick(); });
  line->addWidget(write);
  auto* add = new QPushButton("Добавить v");
  add->setObjectName("ButtonAdd");
  connect(add, &QPushButton::clicked, this, [this] { ButtonAddClick(); });
  line->addWidget(add);
  layout->addLayout(line);
  memo_ = new QPlainTextEdit;
  memo_->setObjectName("Memo1");
  memo_->setFont(FixedPitchFont(13));
  connect(memo_, &QPlainTextEdit::cursorPositionChanged, this, [this] { Memo1Click(); });
  layout->addWidget(memo_, 1);
  timer_ = new QTimer(this);
  timer_->setObjectName("Timer1");
  ConnectLinkTimer(timer_, this, [this] { Timer1Timer(); });
  connect(spin_, &QSpinBox::valueChanged, this, [this](int ms) { timer_->setInterval(ms); });
  timer_->setInterval(spin_->value());
}

void TFormDiagDebug::OpenAt(TFarPtr address) {
  model_.Target = address;
  show();
  raise();
  activateWindow();
}

void TFormDiagDebug::SyncLines() {
  model_.Lines.clear();
  for (const QString& l : memo_->toPlainText().split('\n')) model_.Lines.push_back(l.toStdString());
}

void TFormDiagDebug::ButtonWriteClick() {
  model_.Edit = edit_->text().toStdString();
  TDiagLinkUse open(link_);
  model_.WriteEdit();
}

void TFormDiagDebug::ButtonAddClick() { memo_->appendPlainText(edit_->text()); }

void TFormDiagDebug::Memo1Click() {
  if (!timer_->isActive()) edit_->setText(memo_->textCursor().block().text());
}

void TFormDiagDebug::LoadFile(const QString& path) {
  timer_->stop();
  std::string bytes;
  if (!ReadWholeFile(path.toStdU16String(), bytes)) return;
  memo_->setPlainText(QString::fromStdString(AnyToUtf8(bytes)).remove('\r'));
  setWindowTitle("DiagDebug " + path);
  model_.ReplayIndex = 0;
  play_->setChecked(true);
  timer_->start();
}

bool TFormDiagDebug::SaveFile(const QString& path) const {
  std::string text = Utf8ToCp1251(memo_->toPlainText().toStdString());
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return WriteFileAtomically(path.toStdU16String(), crlf + "\r\n");
}

void TFormDiagDebug::ImagePlayClick() {
  if (timer_->isActive()) timer_->stop();
  else timer_->start();
  play_->setChecked(timer_->isActive());
}

bool TFormDiagDebug::Playing() const { return timer_->isActive(); }

void TFormDiagDebug::Timer1Timer() {
  SyncLines();
  TDiagLinkUse open(link_);
  if (!model_.ReplayTick()) return;
  edit_->setText(QString::fromStdString(model_.Edit));
  labelN_->setText(QString::fromStdString(model_.Position));
  QTextCursor cursor(memo_->document()->findBlockByNumber(model_.SelectedLine));
  cursor.select(QTextCursor::LineUnderCursor);
  const QSignalBlocker block(memo_);
  memo_->setTextCursor(cursor);
}

// Entering the interval field stops the replay; Enter there starts it again.
bool TFormDiagDebug::eventFilter(QObject* watched, QEvent* event) {
  if (watched == spin_ && event->type() == QEvent::FocusIn) {
    timer_->stop();
    play_->setChecked(false);
  }
  if (watched == spin_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      timer_->start(spin_->value());
      play_->setChecked(true);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFormDiagDebug::closeEvent(QCloseEvent* event) {
  timer_->stop();
  play_->setChecked(false);
  QWidget::closeEvent(event);
}

}  // namespace vlm
