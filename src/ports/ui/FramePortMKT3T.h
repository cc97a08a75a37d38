#pragma once
// МКТ3 transmit port: modem settings of the transmitter and its TS and TI tables (64 rows each,
// sorted by local address on store).
#include "ports/ui/ReaddrFrame.h"

namespace vlm {


class TFramePortMKT3T : public TReaddrPortFrame {
  Q_OBJECT
 public:
  explicit TFramePortMKT3T(QWidget* parent);
};

}  // namespace vlm
