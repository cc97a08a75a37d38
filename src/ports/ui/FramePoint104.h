#pragma once
// Frame of the IEC 104 point: its address, port, gateway and time-outs, with a program-wide IP
// clipboard (">Копировать IP" / "<Вставить IP") to carry addresses from point to point.
#include <optional>

#include "ports/ui/FrameKind.h"

class QPushButton;

namespace vlm {

// The program-wide IP clipboard of the IEC 104 point frames.
std::optional<uint32_t>& IpClipboard();

class TFramePoint104 : public TFramePointItems {
  Q_OBJECT
 public:
  TFramePoint104(const TPointKind& kind, QWidget* parent);

 protected:
  void Edited() override;

 private:
  void ClipButtons(uint8_t id, const char* copyName, const char* pasteName);
  std::vector<QPushButton*> pasteButtons_;
};

}  // namespace vlm
