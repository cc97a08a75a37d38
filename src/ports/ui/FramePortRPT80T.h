#pragma once
// РПТ80 transmit port: modem settings, the receiver's place and the TS and TI tables (241 rows
// each, sorted by local address on store).
#include "ports/ui/ReaddrFrame.h"

namespace vlm {

class TDataPort;

class TFramePortRPT80T : public TReaddrFrame {
  Q_OBJECT
 public:
  explicit TFramePortRPT80T(QWidget* parent);
  void Edit(TObj* obj) override;

 private:
  TSoftPort* soft_ = nullptr;
  TDataPort* port_ = nullptr;
};

}  // namespace vlm
