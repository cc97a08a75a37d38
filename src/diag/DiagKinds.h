#pragma once
// The kinds of diagnostic objects: how many bytes each reads at its data pointer and how it shows
// them. One table; the object and the tests read it.
#include <cstdint>
#include <span>
#include <string>

namespace vlm {

enum : uint8_t {
  kDiagHeading = 0,
  kDiagFolder = 1,
  kDiagText = 9,
  kDiagHexBlock = 23,
  kDiagCharsAt = 36,
  kDiagScope = 40,
  kDiagTablo = 42,
  kDiagTI = 43,
  kDiagTS = 44,
};

enum class TKindRead {
  None,     // no value (headings, folders, views, unknown kinds)
  Bytes,    // Length bytes at the data pointer
  Text,     // a length-prefixed string at the data pointer
  CharsAt,  // a far pointer at the data pointer to 32 characters
};

struct TDiagKind {
  uint8_t Kind;
  TKindRead Read;
  uint8_t Length;
  std::string (*Text)(std::span<const uint8_t> data);  // data holds Length bytes
};

// nullptr for a kind the program does not know.
const TDiagKind* FindDiagKind(uint8_t kind);

// Folders and the four views are tree nodes; everything else is a parameter row.
inline bool IsViewKind(uint8_t kind) { return kind == kDiagScope || kind == kDiagTablo || kind == kDiagTI || kind == kDiagTS; }
inline bool IsNodeKind(uint8_t kind) { return kind == kDiagFolder || IsViewKind(kind); }

// "??? Kind=" and the kind in decimal.
std::string UnknownKindText(uint8_t kind);
// The 32 characters of kind 36 between double quotes, control codes as blanks.
std::string QuotedChars(std::span<const uint8_t> chars);

}  // namespace vlm
