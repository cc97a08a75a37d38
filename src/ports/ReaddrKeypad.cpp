#include "ports/ReaddrKeypad.h"

#include <cstdio>
#include <cstdlib>

namespace vlm {

std::string TReaddrKeypad::HexText() const {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%x", value_);
  return buf;
}

void TReaddrKeypad::SetHex(bool hex) {
  hex_ = hex;
  digits_ = value_ == 0 ? "" : (hex ? HexText() : DecText());
}

bool TReaddrKeypad::AppendDigit(char digit) {
  const bool isDec = digit >= '0' && digit <= '9';
  const bool isHex = hex_ && ((digit >= 'a' && digit <= 'f') || (digit >= 'A' && digit <= 'F'));
  if (!isDec && !isHex) return false;
  const std::string next = digits_ + static_cast<char>(digit | (isHex ? 0x20 : 0));
  if (hex_) {
    if (next.size() > 4) return false;
  } else if (next.size() > 5 || std::strtoul(next.c_str(), nullptr, 10) > 65534) {
    return false;
  }
  digits_ = next;
  SetFromDigits();
  return true;
}

void TReaddrKeypad::Backspace() {
  if (!digits_.empty()) digits_.pop_back();
  SetFromDigits();
}

void TReaddrKeypad::Add(int delta) {
  value_ = static_cast<uint16_t>(value_ + delta);
  digits_ = value_ == 0 ? "" : (hex_ ? HexText() : DecText());
}

void TReaddrKeypad::SetFromDigits() {
  value_ = digits_.empty() ? 0 : static_cast<uint16_t>(std::strtoul(digits_.c_str(), nullptr, hex_ ? 16 : 10));
}

}  // namespace vlm
