#pragma once
// РПТ80 transmit port: modem settings, the receiver's place and the TS and TI tables (241 rows
// each, sorted by local address on store).
#include "ports/ui/ReaddrFrame.h"

namespace vlm {


class TFramePortRPT80T : public TReaddrPortFrame {
  Q_OBJECT
 public:
  explicit TFramePortRPT80T(QWidget* parent);
};

}  // namespace vlm
