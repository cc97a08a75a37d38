#include "common/ShortString.h"

namespace vlm {

std::string MakeShortString(std::string_view bytes) {
  if (bytes.size() > 255) bytes = bytes.substr(0, 255);
  std::string out(1, static_cast<char>(bytes.size()));
  out.append(bytes);
  return out;
}

void AppendShortString(std::vector<uint8_t>& out, std::string_view bytes) {
  const std::string s = MakeShortString(bytes);
  out.insert(out.end(), s.begin(), s.end());
}

std::optional<std::string> ReadShortString(std::span<const uint8_t> data, size_t& pos) {
  if (pos >= data.size()) return std::nullopt;
  const size_t len = data[pos];
  if (data.size() - pos - 1 < len) return std::nullopt;
  std::string s(reinterpret_cast<const char*>(data.data() + pos + 1), len);
  pos += 1 + len;
  return s;
}

}  // namespace vlm
