#pragma once
// Name and colour tables of the IEC 60870-5-101/104 decoders.
#include <cstdint>
#include <string_view>

namespace vlm::iec {

struct TNamedColour {
  std::string_view name;
  uint8_t colour;
};

// Link-layer function (bits 0-3 of the control field), by direction of the frame.
TNamedColour LinkFunction(bool fromControlledStation, unsigned function);
// Type identification: name and colour; unknown types "__???___???__" with colour 0.
TNamedColour TypeInfo(unsigned type);
std::string_view CauseName(unsigned cause);           // 0..63
std::string_view InitCauseName(unsigned cause);       // 0..127
std::string_view InterrogationName(unsigned qualifier);  // 0..255

}  // namespace vlm::iec
