#pragma once
// The name/format string of a diagnostic object ("name;lengths;formats[;enumeration...]") and the
// value text its fields make of the object's data bytes. Texts are UTF-8.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

struct TFormatField {
  char Letter = 0;          // conversion letter, 0 when none was found
  std::string FormatText;   // the format text of the field, conversion included
  uint8_t DataLength = 0;   // 0..9 bytes
};

struct TNameFormat {
  std::string Name;
  std::vector<TFormatField> Fields;
  uint8_t DataLength = 0;        // sum of the field lengths, byte arithmetic as the controller keeps it
  size_t DataBytes = 0;          // the true sum, what the fields really need
  std::vector<std::string> EnumTexts;
  bool Complete = true;          // false for a text with one separator only
};

TNameFormat ParseNameFormat(std::string_view text);

// Value text of the fields over data; the error text of the first field that cannot be shown.
std::string FormatFields(const std::vector<TFormatField>& fields, const std::vector<std::string>& enumTexts,
                         std::span<const uint8_t> data);

// " [!Ошибка!ФорматныйСимвол:e ДлинаДанных:2]"
std::string FieldErrorText(char letter, unsigned length);

// Tabs become blanks up to the next multiple of 8 columns; the result keeps at most 255 characters.
std::string ExpandTabs(std::string_view text);

}  // namespace vlm
