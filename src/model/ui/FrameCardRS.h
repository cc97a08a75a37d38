#pragma once
// Serial cards (5554, 5558, PPI): base address, interrupt line and oscillator frequency.
#include "shell/ui/Frame.h"

namespace vlm {

class TCardRS;
class TUseList;

class TFrameCardRS : public TFrame {
  Q_OBJECT
 public:
  TFrameCardRS(int helpContext, QWidget* parent);
  void Edit(TObj* obj) override;
  void RefreshLists();
 private:
  TCardRS* card_ = nullptr;
  TUseList *listAddr_, *listIrq_;
};

}  // namespace vlm
