#include "shell/ui/Indicator.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "shell/ui/AppInfo.h"

namespace vlm {

namespace {
constexpr uint32_t kBackground = 0x331B0D;
constexpr int kDrawPeriodMs = 200;
}  // namespace

TIndicator::TIndicator(int width, int height, QWidget* parent)
    : QWidget(parent), image_(width, height, QImage::Format_RGB32) {
  setObjectName("Indicator");
  setFixedSize(width, height);
  image_.fill(WinColor(kBackground));
  setToolTip(UiText(QStringLiteral("Индикатор связи с контроллером.\rОдна точка - один обмен.\r"
                                   "Зелёный цвет - норма, красный - ошибка.\r"
                                   "Количество точек: %1х%2=%3.")
                        .arg(width)
                        .arg(height)
                        .arg(width * height)));
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &TIndicator::DrawPending);
  timer_->start(kDrawPeriodMs);
}

void TIndicator::DrawPending() {
  const std::vector<uint32_t> points = ring_.Drain();
  size_t i = 0;
  while (i < points.size()) {
    // One run of equal colours up to the right edge is drawn as one line.
    size_t end = i + 1;
    while (end < points.size() && points[end] == points[i] &&
           x_ + static_cast<int>(end - i) < image_.width())
      ++end;
    DrawRun(points[i], static_cast<int>(end - i));
    i = end;
  }
  if (!points.empty()) update();
}

void TIndicator::DrawRun(uint32_t colour, int length) {
  QPainter painter(&image_);
  painter.fillRect(x_, y_, length, 1, WinColor(colour));
  painter.end();
  x_ += length;
  if (x_ >= image_.width()) {
    x_ = 0;
    if (++y_ >= image_.height()) {
      y_ = image_.height() - 1;
      ScrollUp();
    }
  }
}

void TIndicator::ScrollUp() {
  const int rowBytes = static_cast<int>(image_.bytesPerLine());
  for (int row = 1; row < image_.height(); ++row)
    memcpy(image_.scanLine(row - 1), image_.constScanLine(row), rowBytes);
  QPainter painter(&image_);
  painter.fillRect(0, image_.height() - 1, image_.width(), 1, WinColor(kBackground));
}

void TIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

void TIndicator::mouseDoubleClickEvent(QMouseEvent* event) {
  emit DoubleClicked();
  event->accept();
}

}  // namespace vlm
