#pragma once
// Modbus device: address and exchange settings, and the TS and TI polling tables with the IEC 104
// address each row's first value takes; overlapping Modbus ranges are reported but kept.
#include "ports/ui/ReaddrFrame.h"

namespace vlm {

class TFramePointModbus : public TReaddrPointFrame {
  Q_OBJECT
 public:
  explicit TFramePointModbus(QWidget* parent);

 protected:
  bool CheckTable(TReaddrPage& page, const TOwnerStore& store) override;

 private:
  void FollowReference(TReaddrPage* page, TModbusTable table);
};

}  // namespace vlm
