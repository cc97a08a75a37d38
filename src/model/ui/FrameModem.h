#pragma once
// A modem port: nothing to set, only the software port that drives it.
#include "shell/ui/Frame.h"

namespace vlm {

class TSoftPortLink;

class TFrameModem : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameModem(QWidget* parent);
  void Edit(TObj* obj) override;
 private:
  TSoftPortLink* link_;
};

}  // namespace vlm
