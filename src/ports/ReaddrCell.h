#pragma once
// Conversion of readdressing table cells (texts the engineer types) to the bytes of a stored row
// and back, per column data kind.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vlm {

enum class TDataKind : uint8_t {
  Byte = 0,          // decimal integer, 1 byte
  Word = 1,          // decimal integer, 2 bytes little-endian
  Real48 = 2,        // decimal fraction, 6-byte real
  Single = 3,        // decimal fraction, IEEE single
  BitsMsbFirst = 4,  // "1 8": number n sets bit 7 - (n - 1)
  BitsLsbFirst = 5,  // "1 8": number n sets bit n - 1
  Flag = 6,          // "0" or "1"
};

enum class TSortKind : uint8_t { None = 0, Local = 1, External = 2 };

struct TReaddrColumn {
  std::string title;
  TDataKind kind = TDataKind::Byte;
  std::string validChars = "0123456789";
  uint16_t minimum = 1;
  uint16_t maximum = 255;
  TSortKind sortRole = TSortKind::None;
  // A reference column the owner computes: nothing is typed into it, stored from it, or counted
  // when deciding whether a row is empty.
  bool shownOnly = false;
};

// Accepted-character sets the owners use; every column also takes backspace, Enter, '*', '+', '='.
std::string DigitChars();
std::string BinaryChars();
std::string BitListChars();        // "1".."8" and the blank
std::string FractionChars();       // digits, '-', the decimal separator
std::string FractionExpChars();    // the same plus 'E'
bool IsAcceptedChar(const TReaddrColumn& column, char c);

size_t KindWidth(TDataKind kind);

// Display text of the bytes of one cell (bytes.size() >= KindWidth(kind)).
std::string CellFromBytes(TDataKind kind, std::span<const uint8_t> bytes);

enum class TCellError { None, Conversion, Range };

struct TCellResult {
  TCellError error = TCellError::None;
  int rangeMin = 0, rangeMax = 0;  // the range named in a range error
};

// Writes KindWidth(kind) bytes into out (zeros when the text is refused).
TCellResult BytesFromCell(const TReaddrColumn& column, std::string_view text, std::span<uint8_t> out);

// The error box text for a refused cell: title, row and column (1-based, as shown), cell text.
std::string CellErrorText(std::string_view title, int row, int column, std::string_view text,
                          const TCellResult& result);

// Integer text as the table reads it: optional blanks, optional sign, decimal digits ("$" hex too).
bool ParseTableInt(std::string_view text, long& value);

}  // namespace vlm
