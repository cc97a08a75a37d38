#pragma once
// A COM port of a serial card: line settings, intervals, test output and the receive gap check.
#include "shell/ui/Frame.h"

class QComboBox;
class QLabel;
class QSpinBox;

namespace vlm {

class TComPort;
class TSoftPortLink;

class TFrameComPort : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameComPort(QWidget* parent);
  void Edit(TObj* obj) override;
  void Recalculate();
 private:
  TComPort* port_ = nullptr;
  QComboBox *comboInterface_, *comboSpeed_, *comboParity_, *comboFifo_;
  QSpinBox *spinStop_, *spinGap_;
  QLabel *labelFrame_, *panelGap_;
  TSoftPortLink* link_;
};

}  // namespace vlm
