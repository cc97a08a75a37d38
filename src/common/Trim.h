#pragma once
// Cutting blanks off the ends of a text; `blanks` lists the characters that count as blank.
#include <string_view>

namespace vlm {

std::string_view Trim(std::string_view text, std::string_view blanks = " \t");
std::string_view TrimRight(std::string_view text, std::string_view blanks = " \t");

}  // namespace vlm
