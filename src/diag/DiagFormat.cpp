#include "diag/DiagFormat.h"

#include <algorithm>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/TextCodec.h"

namespace vlm {
namespace {

constexpr std::string_view kLetters = "bdefgnpsux";

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  for (;;) {
    const size_t at = text.find(separator);
    parts.emplace_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// Takes the next field's format from the front of rest: up to and including the first
// conversion letter after the first "%".
TFormatField TakeField(std::string& rest) {
  TFormatField field;
  const size_t percent = rest.find('%');
  if (percent == std::string::npos) return field;
  const size_t letter = rest.find_first_of(kLetters, percent + 1);
  if (letter == std::string::npos) return field;
  field.Letter = rest[letter];
  field.FormatText = rest.substr(0, letter + 1);
  rest.erase(0, letter + 1);
  return field;
}

uint32_t UnsignedOf(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (size_t i = 0; i < std::min<size_t>(bytes.size(), 4); ++i) value |= uint32_t(bytes[i]) << (8 * i);
  return value;
}

// The text of one field, or nothing when the letter and length do not go together.
bool FieldText(const TFormatField& field, std::span<const uint8_t> bytes, std::string& text) {
  try {
    switch (field.Letter) {
      case 'b': case 'd': case 'u': case 'x':
        text = Format(field.FormatText, {UnsignedOf(bytes)});
        return true;
      case 'e': case 'f': case 'g': case 'n':
        if (bytes.size() == 4) text = Format(field.FormatText, {double(SingleFromBytes(bytes.first<4>()))});
        else if (bytes.size() == 6) text = Format(field.FormatText, {Real48ToDouble(bytes.first<6>())});
        else return false;
        return true;
      case 's': {
        std::string raw;
        if (bytes.size() == 1) raw.assign(1, char(bytes[0]));
        else if (!bytes.empty()) raw.assign(bytes.begin() + 1, bytes.begin() + 1 + std::min<size_t>(bytes[0], bytes.size() - 1));
        text = Format(field.FormatText, {Cp1251ToUtf8(raw)});
        return true;
      }
      default:
        return false;
    }
  } catch (const EFormatError&) {
    // The format text comes from the controller: one that does not fit its value is its fault.
    return false;
  }
}

}  // namespace

std::string FieldErrorText(char letter, unsigned length) {
  std::string text = " [!Ошибка!ФорматныйСимвол:";
  if (letter) text += letter;
  return text + " ДлинаДанных:" + std::to_string(length) + "]";
}

TNameFormat ParseNameFormat(std::string_view text) {
  TNameFormat result;
  const size_t first = text.find(';');
  if (first == std::string_view::npos) {
    result.Name = std::string(text);
    return result;
  }
  const size_t second = text.find(';', first + 1);
  if (second == std::string_view::npos) {
    result.Name = std::string(text.substr(0, first)) + " отсутстует второй разделитель \";\"";
    result.Complete = false;
    return result;
  }
  result.Name = std::string(text.substr(0, first));
  const std::string_view lengths = text.substr(first + 1, second - first - 1);
  std::string_view formats = text.substr(second + 1);
  if (const size_t enumAt = formats.find(';'); enumAt != std::string_view::npos) {
    result.EnumTexts = Split(formats.substr(enumAt + 1), ';');
    formats = formats.substr(0, enumAt);
  }
  std::string rest(formats);
  for (char digit : lengths) {
    TFormatField field = TakeField(rest);
    // A length that is not a digit counts as its character code less '0', cut to a byte, as the
    // controller's own tools did; 0..9 are the sane values.
    field.DataLength = uint8_t(digit - '0');
    result.DataLength = uint8_t(result.DataLength + field.DataLength);
    result.DataBytes += field.DataLength;
    result.Fields.push_back(std::move(field));
  }
  if (!result.Fields.empty()) result.Fields.back().FormatText += rest;
  return result;
}

std::string FormatFields(const std::vector<TFormatField>& fields, const std::vector<std::string>& enumTexts,
                         std::span<const uint8_t> data) {
  std::string value;
  size_t offset = 0;
  for (const TFormatField& field : fields) {
    // A field running past the bytes read (lengths whose sum passed 255) is shown as an error
    // rather than read from beyond the data.
    std::string text;
    if (offset + field.DataLength > data.size() || !FieldText(field, data.subspan(offset, field.DataLength), text))
      return FieldErrorText(field.Letter, field.DataLength);
    value += text;
    offset += field.DataLength;
  }
  if (!enumTexts.empty() && !fields.empty()) {
    const uint32_t index = UnsignedOf(data.first(std::min<size_t>(fields[0].DataLength, data.size())));
    value += " (" + (index < enumTexts.size() ? enumTexts[index] : std::string("???")) + ")";
  }
  return ExpandTabs(value);
}

std::string ExpandTabs(std::string_view text) {
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < text.size();) {
    size_t length = 1;  // bytes of this UTF-8 character
    while (i + length < text.size() && (uint8_t(text[i + length]) & 0xC0) == 0x80) ++length;
    if (column >= 255) break;
    if (text[i] == '\t') {
      do out += ' ';
      while (++column % 8 != 0 && column < 255);
    } else {
      out.append(text.substr(i, length));
      ++column;
    }
    i += length;
  }
  return out;
}

}  // namespace vlm
