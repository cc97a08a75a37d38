#pragma once
// The tablo view (TFrameTablo): the mimic board's lamps in rows of ten board KPs, a 10 x 10 square
// a lamp, coloured by its state and whether it just changed.
#include <QImage>

#include "diag/DiagTablo.h"
#include "diag/ui/FrameDiagView.h"

class QLabel;
class QMenu;
class QProgressBar;
class QTimer;

namespace vlm {

class TFrameTablo : public TFrameDiagView {
  Q_OBJECT
 public:
  TFrameTablo(TDiagContext& context, QWidget* parent);
  void Start(TDiagObj& obj) override;
  void Stop() override;
  bool ScanTick() override;
  QImage Map() const override { return image_; }
  TTablo& Tablo() { return tablo_; }
  // The popup for the lamp at a map point, nullptr when there is none.
  QMenu* PopupAt(const QPoint& at);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void DrawLabels();
  TTablo tablo_;
  QImage image_;
  QLabel* picture_;
  QProgressBar* progress_;
  QTimer* timerScan_;
  QTimer* timerStart_;
  QMenu* menu_;
};

}  // namespace vlm
