#pragma once
// The controller: which cards take each base address and interrupt line, and the port links.
#include "shell/ui/Frame.h"

class QTableWidget;

namespace vlm {

class TController;

class TFrameController : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameController(QWidget* parent);
  void Edit(TObj* obj) override;
 private:
  TController* controller_ = nullptr;
  QTableWidget *gridAddr_, *gridIrq_, *gridLinks_;
};

}  // namespace vlm
