#include "common/PathText.h"

namespace vlm {

std::filesystem::path PathFromUtf8(std::string_view text) {
  std::u8string u8(text.size(), u8'\0');
  for (std::size_t i = 0; i < text.size(); ++i) u8[i] = static_cast<char8_t>(text[i]);
  return std::filesystem::path(u8);
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::string FileNameUtf8(const std::filesystem::path& path) { return PathToUtf8(path.filename()); }

}  // namespace vlm
