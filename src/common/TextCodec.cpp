#include "common/TextCodec.h"

#include <array>
#include <cstdint>

namespace vlm {
namespace {

// Unicode of CP1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F. Byte 0x98 has no letter in
// the code page; it maps to U+0098 so that any byte string survives a round trip.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char32_t Cp1251ToCodePoint(uint8_t b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410 + (b - 0xC0);
  return kCp1251High[b - 0x80];
}

int CodePointToCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
  for (size_t i = 0; i < kCp1251High.size(); ++i)
    if (kCp1251High[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at pos; returns its length, or 0 when the bytes there are not a
// valid, shortest-form sequence.
size_t DecodeUtf8(std::string_view s, size_t pos, char32_t& cp) {
  const auto b0 = static_cast<uint8_t>(s[pos]);
  size_t len;
  char32_t min;
  if (b0 < 0x80) { cp = b0; return 1; }
  if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; min = 0x80; }
  else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; min = 0x800; }
  else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; min = 0x10000; }
  else return 0;
  if (pos + len > s.size()) return 0;
  for (size_t i = 1; i < len; ++i) {
    const auto b = static_cast<uint8_t>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// Unicode of DOS 866 bytes 0xB0..0xDF (shades, box drawing, blocks) and 0xF0..0xFF; 0x80..0xAF
// are U+0410..U+043F and 0xE0..0xEF U+0440..U+044F.
constexpr std::array<char16_t, 48> kCp866Graphics = {
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
};
constexpr std::array<char16_t, 16> kCp866Tail = {
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

char32_t Cp866ToCodePoint(uint8_t b) {
  if (b < 0x80) return b;
  if (b < 0xB0) return 0x0410 + (b - 0x80);
  if (b < 0xE0) return kCp866Graphics[b - 0xB0];
  if (b < 0xF0) return 0x0440 + (b - 0xE0);
  return kCp866Tail[b - 0xF0];
}

int CodePointToCp866(char32_t cp) {
  for (int b = 0; b < 256; ++b)
    if (Cp866ToCodePoint(uint8_t(b)) == cp) return b;
  return -1;
}

// The controller's tables: Cyrillic letters and the Ukrainian/Belarusian letters move, every
// other byte stays as it is.
constexpr uint8_t kWinUkrainian[8] = {0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2};

uint8_t WinByteToDos(uint8_t b) {
  if (b >= 0xC0 && b <= 0xEF) return static_cast<uint8_t>(b - 0x40);
  if (b >= 0xF0) return static_cast<uint8_t>(b - 0x10);
  for (uint8_t i = 0; i < 8; ++i)
    if (kWinUkrainian[i] == b) return static_cast<uint8_t>(0xF0 + i);
  return b;
}

uint8_t DosByteToWin(uint8_t b) {
  if (b >= 0x80 && b <= 0xAF) return static_cast<uint8_t>(b + 0x40);
  if (b >= 0xE0 && b <= 0xEF) return static_cast<uint8_t>(b + 0x10);
  if (b >= 0xF0 && b <= 0xF7) return kWinUkrainian[b - 0xF0];
  return b;
}

template <typename F>
std::string MapBytes(std::string_view in, F f) {
  std::string out(in.size(), '\0');
  for (size_t i = 0; i < in.size(); ++i)
    out[i] = static_cast<char>(f(static_cast<uint8_t>(in[i])));
  return out;
}

}  // namespace

std::string Utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t cp;
    const size_t len = DecodeUtf8(utf8, pos, cp);
    if (len == 0) {  // not UTF-8 here: keep the byte as it is
      out += utf8[pos++];
      continue;
    }
    const int b = CodePointToCp1251(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
    pos += len;
  }
  return out;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (char c : cp1251) AppendUtf8(out, Cp1251ToCodePoint(static_cast<uint8_t>(c)));
  return out;
}

std::string WinToDos(std::string_view cp1251) { return MapBytes(cp1251, WinByteToDos); }
std::string DosToWin(std::string_view cp866) { return MapBytes(cp866, DosByteToWin); }
std::string Utf8ToDos(std::string_view utf8) { return WinToDos(Utf8ToCp1251(utf8)); }
std::string DosToUtf8(std::string_view cp866) { return Cp1251ToUtf8(DosToWin(cp866)); }

std::string OemTextToUtf8(std::string_view cp866) {
  std::string out;
  out.reserve(cp866.size() * 2);
  for (char c : cp866) AppendUtf8(out, Cp866ToCodePoint(static_cast<uint8_t>(c)));
  return out;
}

std::string Utf8ToOemText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t cp;
    const size_t len = DecodeUtf8(utf8, pos, cp);
    if (len == 0) {
      out += utf8[pos++];
      continue;
    }
    const int b = cp < 0x80 ? int(cp) : CodePointToCp866(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
    pos += len;
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t pos = 0; pos < bytes.size();) {
    char32_t cp;
    const size_t len = DecodeUtf8(bytes, pos, cp);
    if (len == 0) return false;
    pos += len;
  }
  return true;
}

std::string AnyToUtf8(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : Cp1251ToUtf8(bytes);
}

size_t Utf8Length(std::string_view utf8) {
  size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string Utf8Left(std::string_view utf8, size_t characters) {
  size_t end = 0;
  for (size_t seen = 0; end < utf8.size(); ++end) {
    if ((static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80 && seen++ == characters) break;
  }
  return std::string(utf8.substr(0, end));
}

}  // namespace vlm
