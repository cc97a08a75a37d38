#pragma once
// The value logic of the cell keypad: one 16-bit value typed in decimal or hexadecimal digits.
#include <cstdint>
#include <string>

namespace vlm {

class TReaddrKeypad {
 public:
  explicit TReaddrKeypad(uint16_t value = 0) : value_(value), digits_(value ? std::to_string(value) : "") {}

  uint16_t Value() const { return value_; }
  bool Hex() const { return hex_; }
  // Switching the mode keeps the value and shows it in the new digits.
  void SetHex(bool hex);
  // A digit key ('0'..'9', 'a'..'f' in hex mode); false (a beep) when it is refused: more than
  // five decimal digits or a value above 65534, more than four hex digits.
  bool AppendDigit(char digit);
  void Backspace();
  void Add(int delta);  // +1 / -1, the 16-bit value wraps
  std::string DecText() const { return std::to_string(value_); }
  std::string HexText() const;

 private:
  void SetFromDigits();
  uint16_t value_;
  std::string digits_;  // what was typed in the current mode
  bool hex_ = false;
};

}  // namespace vlm
