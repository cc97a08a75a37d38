#pragma once
// Passive port: port, point and modem settings, and the TS, TI, TU and array tables.
#include "ports/ui/ReaddrFrame.h"

class QSpinBox;

namespace vlm {

class TFramePortPas : public TReaddrPortFrame {
  Q_OBJECT
 public:
  explicit TFramePortPas(QWidget* parent);

 protected:
  void Edited() override { ModulationChanged(); }

 private:
  TIntAccess SendFlag(int bit);
  void ModulationChanged();
  QSpinBox* f1_;
};

}  // namespace vlm
