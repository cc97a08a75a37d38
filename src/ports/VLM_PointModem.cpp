#include "ports/VLM_PointModem.h"

namespace vlm {

namespace {
constexpr uint8_t kControlPeriod = 198;
constexpr uint8_t kGranitProtocol = 16;
}  // namespace

std::string TPointSIRIUS::CurrentTypeName() const {
  return Values.Get(151) == 1 ? "Станция КП" : "КП";
}

// Records before version 3 kept the control request period in 2 bytes, and a record without it
// has no period at all.
void TPointSIRIUS::BeforeRead() { Values.Set(kControlPeriod, 0); }

uint16_t TPointSIRIUS::StoredWidth(const TItemDef& def) const {
  return def.id == kControlPeriod && Version <= 2 ? 2 : def.width;
}

std::string TPointTKR::CurrentTypeName() const {
  switch (Values.Get(151)) {
    case 1: return "\"КП-1\"";
    case 2: return "\"КП-2\"";
    case 3: return "\"Имитатор\"";
    default: return "Неверный тип КП";
  }
}

// The ГРАНИТ protocol code is fixed; whatever an image stored is replaced.
void TPointGranit::AfterRead() { Values.Set(112, kGranitProtocol); }

}  // namespace vlm
