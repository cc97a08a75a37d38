#pragma once
// The station: the place name and the summary lists of processors and software ports.
#include "shell/ui/Frame.h"

class QTableWidget;

namespace vlm {

class TStation;

class TFrameStation : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameStation(QWidget* parent);
  void Edit(TObj* obj) override;
 private:
  void FillGrids();
  TStation* station_ = nullptr;
  QTableWidget *gridProc_, *gridPorts_;
};

}  // namespace vlm
