#pragma once
// Board port: port settings, the TS, junction TS and TI tables; the TS and TI grids reopen at the
// rows they were left at, and a board address used twice refuses the store.
#include "ports/ui/ReaddrFrame.h"

namespace vlm {

class TPortL;

class TFramePortLamp : public TReaddrPortFrame {
  Q_OBJECT
 public:
  explicit TFramePortLamp(QWidget* parent);
  int Apply() override;

 protected:
  void Edited() override;
  bool CheckTable(TReaddrPage& page, const TOwnerStore& store) override;

 private:
  TPortL* Board() const;
  void ScrollToTopRows();
  TReaddrPage* ts_;
  TReaddrPage* ti_;
};

}  // namespace vlm
