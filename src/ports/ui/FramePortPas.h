#pragma once
// Passive port: port, point and modem settings, and the TS, TI, TU and array tables.
#include "ports/ui/ReaddrFrame.h"

class QSpinBox;

namespace vlm {

class TDataPort;

class TFramePortPas : public TReaddrFrame {
  Q_OBJECT
 public:
  explicit TFramePortPas(QWidget* parent);
  void Edit(TObj* obj) override;

 private:
  TIntAccess SendFlag(int bit);
  void ModulationChanged();
  TSoftPort* soft_ = nullptr;
  TDataPort* port_ = nullptr;
  QSpinBox* f1_;
};

}  // namespace vlm
