#pragma once
// The link indicator: one coloured pixel per exchange on a small raster that fills row by row
// and scrolls up one row when full. Points may come from a second thread (the oscilloscope
// receiver); the ring is guarded by a mutex so neither writer loses or tears an entry, and the
// 200 ms drawing tick drains it on the GUI thread.
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

class QTimer;

namespace vlm {

// Windows colour values of the points (blue in the high byte).
namespace PointColor {
constexpr uint32_t Green = 0x008000, Red = 0x0000FF, Lime = 0x00FF00, Yellow = 0x00FFFF,
                   Magenta = 0xFF00FF, Purple = 0x800080;
}

// Ring of 256 colours with byte indices: more than 256 points between two ticks overwrite the
// oldest undrawn ones, as the indicator always did.
class TIndicatorRing {
 public:
  void Add(uint32_t colour);
  // Removes and returns the undrawn colours, oldest first.
  std::vector<uint32_t> Drain();

 private:
  std::mutex mutex_;
  std::array<uint32_t, 256> ring_{};
  uint8_t writeIndex_ = 0;
  uint8_t readIndex_ = 0;
  bool full_ = false;  // the write index has lapped the read index
};

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
