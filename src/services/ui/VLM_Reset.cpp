#include "services/ui/VLM_Reset.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QTimer>

#include "link/Velmor_PC.h"
#include "services/ui/WindowObserver.h"
#include "shell/ui/AppInfo.h"

namespace vlm {

TResetButton::TResetButton(QWidget* parent) : QWidget(parent) {
  setObjectName("Image1");
  setFixedSize(kSize, kSize);
  setMouseTracking(true);
}

void TResetButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF disc(4, 4, kSize - 8, kSize - 8);
  painter.setPen(QPen(QColor(60, 60, 60), 6));
  painter.setBrush(QColor(150, 150, 150));
  painter.drawEllipse(disc);
  QRadialGradient red(disc.center() - QPointF(20, 20), kSize / 2.0);
  red.setColorAt(0, QColor(255, 120, 120));
  red.setColorAt(0.6, QColor(220, 0, 0));
  red.setColorAt(1, QColor(120, 0, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(red);
  painter.drawEllipse(disc.adjusted(14, 14, -14, -14));
}

void TResetButton::mouseMoveEvent(QMouseEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) return;
  auto* area = parentWidget();
  const QPoint at = event->position().toPoint();
  const TPlace moved = FleeFromPointer({x(), y()}, width(), height(), at.x(), at.y(), area->width(), area->height());
  move(moved.Left, moved.Top);
}

void TResetButton::mousePressEvent(QMouseEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) emit Pressed();
}

TFormReset::TFormReset(TControllerLink& link, bool& closeReset, QWidget* parent)
    : QDialog(parent), link_(link), closeReset_(closeReset) {
  setObjectName("FormReset");
  setFixedSize(400, 400);
  auto* text = new QLabel("Щёлкните по красной кнопке при нажатой клавише <Ctrl>", this);
  text->setObjectName("Label1");
  text->setTextFormat(Qt::PlainText);
  text->setGeometry(10, 8, 380, 20);
  text->setAlignment(Qt::AlignCenter);
  image_ = new TResetButton(this);
  image_->move((400 - TResetButton::kSize) / 2, (400 - TResetButton::kSize) / 2);
  connect(image_, &TResetButton::Pressed, this, [this] { Image1MouseDown(); });
  checkClose_ = new QCheckBox("Закрыть окно после выдачи команды", this);
  checkClose_->setObjectName("CheckBoxClose");
  checkClose_->setGeometry(10, 340, 380, 20);
  connect(checkClose_, &QCheckBox::toggled, this, [this](bool on) { closeReset_ = on; });
  labelStatus_ = new QLabel(this);
  labelStatus_->setObjectName("LabelStatus");
  labelStatus_->setGeometry(10, 362, 380, 34);  // two lines: a failure says why
  labelStatus_->setWordWrap(true);
  timer_ = new QTimer(this);
  timer_->setObjectName("TimerStatus");
  timer_->setInterval(50);
  connect(timer_, &QTimer::timeout, this, [this] { TimerStatusTimer(); });
  InstallHelpKey(this, kHelpReset, &Help);
}

void TFormReset::showEvent(QShowEvent* event) {
  setWindowTitle(kAppTitle + " - Перезагрузка  IP=" + QString::fromStdString(IPToStr(link_.Settings.DestIP)));
  checkClose_->setChecked(closeReset_);
  QDialog::showEvent(event);
}

void TFormReset::Image1MouseDown() {
  sent_ = false;
  if (!RunExclusive(busy_, [&] { sent_ = SendReset(link_); })) return;
  // A command that did not go out is said so in red, and the window stays for another try.
  countdown_.Start(sent_ ? ResetStatusText(link_.Settings.DestIP) : ResetFailedText(link_));
  labelStatus_->setStyleSheet(sent_ ? QString() : QString("color: red"));
  labelStatus_->setText(QString::fromStdString(countdown_.Text()));
  timer_->start();
}

void TFormReset::TimerStatusTimer() {
  const bool running = countdown_.Tick();
  labelStatus_->setText(QString::fromStdString(countdown_.Text()));
  if (running) return;
  timer_->stop();
  if (closeReset_ && sent_) accept();
}

}  // namespace vlm
