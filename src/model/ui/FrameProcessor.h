#pragma once
// The processor: its number and IP address (mask and gateway kept, not shown).
#include <cstdint>

#include "shell/ui/Frame.h"

namespace vlm {

class TProcessor;

class TFrameProcessor : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameProcessor(QWidget* parent);
  void Edit(TObj* obj) override;
 private:
  void AddAddressRow(const QString& label, const char* prefix, uint32_t TProcessor::*field, bool visible);
  TProcessor* processor_ = nullptr;
};

}  // namespace vlm
