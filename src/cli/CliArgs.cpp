#include "cli/CliArgs.h"

namespace vlm::cli {

bool ParseNumber(std::string_view text, unsigned max, unsigned& value) {
  int base = 10;
  if (text.size() > 2 && (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X")) {
    text.remove_prefix(2);
    base = 16;
  } else if (!text.empty() && text.front() == '$') {
    text.remove_prefix(1);
    base = 16;
  } else if (!text.empty() && (text.back() == 'h' || text.back() == 'H')) {
    text.remove_suffix(1);
    base = 16;
  }
  if (text.empty() || text.size() > 8) return false;
  unsigned long v = 0;
  for (const char ch : text) {
    const int digit = ch >= '0' && ch <= '9' ? ch - '0'
                      : base == 16 && ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                      : base == 16 && ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                                             : -1;
    if (digit < 0) return false;
    v = v * unsigned(base) + unsigned(digit);
  }
  if (v > max) return false;
  value = unsigned(v);
  return true;
}

bool ParseHexBytes(const std::vector<std::string>& args, size_t max, std::vector<uint8_t>& out) {
  out.clear();
  for (const std::string& arg : args) {
    for (size_t i = 0; i < arg.size();) {
      if (arg[i] == ' ' || arg[i] == ',' || arg[i] == ':') {
        ++i;
        continue;
      }
      unsigned byte = 0;
      if (i + 1 >= arg.size() || !ParseNumber(arg.substr(i, 2) + "h", 255, byte) || out.size() == max) return false;
      out.push_back(uint8_t(byte));
      i += 2;
    }
  }
  return true;
}

}  // namespace vlm::cli
