#pragma once
// One diagnostic object of the controller: its 16-byte header, its name/format string, its value
// and, for folders, the objects found in it. Objects are created by the scan and owned by their
// folder; the root is owned by whoever scanned it.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/DateTime.h"
#include "diag/DiagFormat.h"
#include "diag/DiagMemory.h"

namespace vlm {

enum : uint8_t { kDiagMagic = 0x77 };
enum : uint8_t { kFlagHint = 0x01, kFlagConstant = 0x02, kFlagHelpContext = 0x40, kFlagChildren = 0x80 };

struct TDiagHeader {
  static constexpr size_t kSize = 16;
  uint8_t Magic = 0;
  uint8_t Kind = 0;
  TFarPtr NamePtr = 0;
  TFarPtr DataPtr = 0;
  uint8_t ImageIndex = 0;
  uint8_t Flags = 0;
  uint32_t HintPtr = 0;  // or the folder's help context (flag bit 6)

  static TDiagHeader FromBytes(const std::array<uint8_t, kSize>& bytes);
};

// What the objects of one window share: the memory they read through, the clock and the dice
// of the name re-reads.
class TDiagContext {
 public:
  explicit TDiagContext(TDiagMemory& memory, uint32_t seed = 5489u) : Memory(memory), random_(seed) {}
  TDiagMemory& Memory;
  std::function<TDateTime()> Clock = [] { return Now(); };
  // 0..9: how many refreshes a name is taken as it was before it is read again.
  uint8_t NextCountdown() { return uint8_t(random_() % 10); }

 private:
  std::mt19937 random_;
};

class TDiagObj {
 public:
  static constexpr size_t kChangeLogLines = 1000;

  // Reads the header at address; a failed read leaves a zero header, another magic keeps the
  // bytes read but reads nothing else.
  TDiagObj(TDiagContext& context, TFarPtr address, TDiagObj* parent = nullptr);
  // An error row: what the scan found instead of an object, shown by name and never read.
  static std::unique_ptr<TDiagObj> ErrorRow(TDiagContext& context, TDiagObj* parent, std::string text);

  TFarPtr Address = 0;
  bool Changed = false;
  int32_t ChangeCount = 0;
  TDateTime ChangeTime = 0;
  TDiagHeader Header;
  std::vector<std::unique_ptr<TDiagObj>> Parameters;
  std::vector<std::unique_ptr<TDiagObj>> Nodes;  // folders and views found in a folder, in order
  bool ReadEnabled = false;
  int16_t TopRow = 1, SelectedRow = 1;
  bool HighlightEnabled = false;
  std::unique_ptr<std::deque<std::string>> ChangeLog;
  std::string FormatText;  // as read, UTF-8
  std::string Name;
  bool HasFormat = false;
  std::string PathPrefix;
  bool Scanned = false;
  std::string Value;
  bool HasValue = false;
  std::vector<std::string> EnumTexts;
  uint8_t FormatCountdown = 0;
  std::vector<TFormatField> Fields;
  uint8_t DataLength = 0;
  size_t DataBytes = 0;
  // Set for the rows a scan makes of what it could not take as an object.
  bool IsError = false;
  bool HasPlaceholder = false;  // a folder that says it has children before it was opened
  TFarPtr CharsSeenAt = 0;      // where the characters of a pointer kind were last (read ahead there)

  TDiagObj* Parent() const { return parent_; }
  uint8_t Kind() const { return Header.Kind; }
  bool Valid() const { return Header.Magic == kDiagMagic; }
  bool IsConstant() const { return (Header.Flags & kFlagConstant) != 0; }
  bool IsFolder() const { return Valid() && Header.Kind == 1; }
  bool HasHint() const { return (Header.Flags & kFlagHint) != 0; }
  // The folder's own help context (flag bit 6), else 0.
  uint32_t HelpContext() const { return (Header.Flags & kFlagHelpContext) ? Header.HintPtr : 0; }

  // Reads the name/format string again every few calls (FormatCountdown); true when it was
  // taken as a whole.
  bool ReadFormat();
  // Reads the value unless the object is read once and was read; Changed tells whether it moved.
  void ReadValue();
  // Value text of the data now in the controller; empty when a read fails.
  std::string ReadValueText();
  // The hint string, converted; empty when there is none.
  std::string HintText();

  // The area ReadFormat (when it reads) and ReadValue will read first, for reading the areas
  // of many objects ahead in one batch (TDiagMemory::Prefetch).
  void AddFormatArea(std::vector<TDiagMemory::TArea>& areas) const;
  void AddValueArea(std::vector<TDiagMemory::TArea>& areas) const;

  // Starts the change log with the current value (the watch list asks for it).
  void EnsureChangeLog();
  // "yyyy.mm.dd hh:nn:ss.zzz | "
  static std::string Stamp(TDateTime time);

 private:
  TDiagObj(TDiagContext& context, TDiagObj* parent) : context_(context), parent_(parent) {}
  void ApplyNameFormat(const std::string& text);
  TDiagContext& context_;
  TDiagObj* parent_;
};

// Read ahead, in batches, what ReadFormat or ReadValue of each object will read; the caller
// keeps a TDiagPrefetch for as long as the reads that follow should use it.
void PrefetchFormats(TDiagContext& context, std::span<TDiagObj* const> objects);
void PrefetchValues(TDiagContext& context, std::span<TDiagObj* const> objects);

}  // namespace vlm
