#pragma once
// The tablo view (TFrameTablo): the mimic board's lamps in rows of ten board KPs, a 10 x 10 square
// a lamp, coloured by its state and whether it just changed.
#include "diag/DiagTablo.h"
#include "diag/ui/FrameDiagView.h"


namespace vlm {

class TFrameTablo : public TFrameDiagView {
  Q_OBJECT
 public:
  TFrameTablo(TDiagContext& context, QWidget* parent);
  void Start(TDiagObj& obj) override;
  void Stop() override;
  bool ScanTick() override;
  TTablo& Tablo() { return tablo_; }
  QMenu* PopupAt(const QPoint& at) override;

 private:
  void DrawLabels();
  TTablo tablo_;
  QMenu* menu_;
};

}  // namespace vlm
