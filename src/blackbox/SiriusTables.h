#pragma once
// Function tables of the SIRIUS family (SIRIUS frames and lamp boards), module type names and
// error names. The stream analyzer reads the same tables for its function nodes.
#include <cstdint>
#include <string_view>

namespace vlm {

// Kinds of a function, as the analyzer groups them.
enum : uint8_t {
  kSiriusKindOther = 6,
  kSiriusKindTelecontrol = 10,
  kSiriusKindTelesignal = 11,
  kSiriusKindTelemetering = 12,
  kSiriusKindReceipt = 13,
  kSiriusKindModemTest = 14,
  kSiriusKindDataBase = 15,
};

// Colour of undefined codes (red on dark grey); also the colour of SIRIUS frame errors.
constexpr uint8_t kSiriusColourUndefined = 4;

struct TSiriusFn {
  std::string_view name;  // 5 characters
  uint8_t colour;
  uint8_t kind;
  std::string_view description;
};

const TSiriusFn& SiriusBaseFn(uint8_t code);
// The table of a frame's direction: 0 frames from the КП, 1 frames from the ПУ.
const TSiriusFn& SiriusDirFn(uint8_t direction, uint8_t code);

std::string_view SiriusModuleName(uint8_t moduleType);

}  // namespace vlm
