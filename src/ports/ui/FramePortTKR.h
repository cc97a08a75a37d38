#pragma once
// Frame of the TK RES port: its poll steps are a kind of request for a chosen point, or a pause.
#include <QWidget>
#include <vector>

#include "ports/ui/FrameKind.h"
#include "ports/ui/PollRing.h"

class QLabel;
class QPushButton;

namespace vlm {

class TFramePortTKR : public TFramePortItems {
  Q_OBJECT
 public:
  TFramePortTKR(const TPortKind& kind, QWidget* parent);
  TPollRing* Ring() const { return ring_; }

 protected:
  void Edited() override;

 private:
  void ChoosePoint(int point);
  void AddStep(uint8_t kind);
  void RingChanged();
  TPollRing* ring_;
  QLabel *labelCount_, *labelPoint_;
  QPushButton* buttonDelete_;
  std::vector<QPushButton*> pointButtons_;
};

}  // namespace vlm
