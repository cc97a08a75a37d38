#pragma once
// МКТ3 transmit port: modem settings of the transmitter and its TS and TI tables (64 rows each,
// sorted by local address on store).
#include "ports/ui/ReaddrFrame.h"

namespace vlm {

class TDataPort;

class TFramePortMKT3T : public TReaddrFrame {
  Q_OBJECT
 public:
  explicit TFramePortMKT3T(QWidget* parent);
  void Edit(TObj* obj) override;

 private:
  TSoftPort* soft_ = nullptr;
  TDataPort* port_ = nullptr;
};

}  // namespace vlm
