#pragma once
// Frame of the active port: its poll steps poll a point or request TI.
#include <QWidget>

#include "ports/ui/FrameKind.h"
#include "ports/ui/PollRing.h"

class QLabel;
class QPushButton;

namespace vlm {

class TPortActive;

class TFramePortActive : public TFramePortItems {
  Q_OBJECT
 public:
  TFramePortActive(const TPortKind& kind, QWidget* parent);
  int Apply() override;
  TPollRing* Ring() const { return ring_; }

 protected:
  void Edited() override;

 private:
  void AddStep(uint8_t value);
  void RingChanged();
  TPollRing* ring_;
  QLabel* labelCount_;
  QPushButton* buttonDelete_;
};

}  // namespace vlm
