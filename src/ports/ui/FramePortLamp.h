#pragma once
// Board port: port settings, the TS, junction TS and TI tables; the TS and TI grids reopen at the
// rows they were left at, and a board address used twice refuses the store.
#include "ports/ui/ReaddrFrame.h"

namespace vlm {

class TPortL;

class TFramePortLamp : public TReaddrFrame {
  Q_OBJECT
 public:
  explicit TFramePortLamp(QWidget* parent);
  void Edit(TObj* obj) override;
  int Apply() override;

 protected:
  bool CheckTable(TReaddrPage& page, const TOwnerStore& store) override;

 private:
  void ScrollToTopRows();
  TSoftPort* soft_ = nullptr;
  TPortL* port_ = nullptr;
  TReaddrPage* ts_;
  TReaddrPage* ti_;
};

}  // namespace vlm
