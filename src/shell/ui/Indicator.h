#pragma once
// The link indicator: one coloured pixel per exchange on a small raster that fills row by row
// and scrolls up one row when full. The 200 ms drawing tick drains the points of the ring on the
// GUI thread.
#include <QImage>
#include <QWidget>
#include <cstdint>

#include "shell/IndicatorRing.h"

class QTimer;

namespace vlm {

class TIndicator : public QWidget {
  Q_OBJECT
 public:
  TIndicator(int width, int height, QWidget* parent = nullptr);
  // Thread-safe; drawing happens on the next tick.
  void AddPoint(uint32_t colour) { ring_.Add(colour); }
  // Draws what is pending now (the timer does this every 200 ms).
  void DrawPending();
  const QImage& Image() const { return image_; }
  QSize sizeHint() const override { return image_.size(); }

 signals:
  void DoubleClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void DrawRun(uint32_t colour, int length);
  void ScrollUp();
  TIndicatorRing ring_;
  QImage image_;
  int x_ = 0, y_ = 0;
  QTimer* timer_;
};

}  // namespace vlm
