#pragma once
// The program's name and version as its files and windows show them.
#include <string_view>

namespace vlm {

inline constexpr std::string_view kProgramTitle = "Конфигуратор ВЕЛМОР";
inline constexpr std::string_view kProgramVersion = "Версия: 4.1.9";
// Follows the version in the headers of the data files the program writes.
inline constexpr std::string_view kProgramSite = "Velmor SCADA";

}  // namespace vlm
