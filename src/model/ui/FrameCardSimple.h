#pragma once
// Cards with one base address and a note: PVS and UNIO (one frame, two notes).
#include "shell/ui/Frame.h"

namespace vlm {

class TCard;
class TUseList;

// One address list 0..15 and a note.
class TFrameCardSimple : public TFrame {
  Q_OBJECT
 public:
  TFrameCardSimple(int helpContext, const QString& note, QWidget* parent);
  void Edit(TObj* obj) override;
  void RefreshList();
 private:
  TCard* card_ = nullptr;
  TUseList* listAddr_;
};

class TFramePVS : public TFrameCardSimple {
  Q_OBJECT
 public:
  explicit TFramePVS(QWidget* parent);
};

class TFrameUNIO : public TFrameCardSimple {
  Q_OBJECT
 public:
  explicit TFrameUNIO(QWidget* parent);
};

}  // namespace vlm
