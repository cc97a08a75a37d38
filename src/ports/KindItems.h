#pragma once
// A port or point kind described as data: one table per kind, in write order. The image writer
// walks the table, the reader looks every item up by id, and the editor frames take label, control
// name, range and choices from the same rows, so the three can never disagree about an item.
// Rows that are not plain items (shared port items, child points, TI groups, readdressing tables,
// poll sequences) are markers that the kind's own code answers.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

enum class TItemKind : uint8_t {
  Num,      // unsigned little-endian number of `width` bytes
  Int,      // signed little-endian number of `width` bytes
  Ip,       // unsigned 32, first octet in the most significant byte
  Text,     // short string: length byte + characters (DOS code page)
  Text256,  // short string padded with zeros to 256 bytes
  Blob,     // `width` raw bytes
  Marker,   // not an item: `id` is a TMarker the kind writes itself
};

enum class TMarker : uint8_t {
  Version = 1,  // item 101 with the kind's current version
  Shared,       // the shared port items 101, 106, (149), 107 with their reports
  ChildCount,   // item 108 with the number of child points (and the none-added report)
  Children,     // the child point containers
  RowCount,     // the row count item of table `arg`
  RowData,      // the rows item of table `arg`
  GroupCount,   // item 124: the number of used TI groups 1..255
  Groups,       // the used TI group containers
  Steps,        // items 109 and 110 of a poll sequence
};

struct TItemDef {
  uint8_t id = 0;          // item id, or the TMarker of a marker row
  uint16_t width = 1;      // payload bytes (Text: the maximum characters + 1)
  TItemKind kind = TItemKind::Num;
  int64_t def = 0;         // constructor default
  int64_t min = 0, max = 0;  // editor range in stored units (max 0: none given, take the width's)
  int64_t unit = 1;        // the editor shows stored / unit (ms edited in minutes: 60000)
  int64_t step = 1;        // editor step in shown units
  const char* caption = "";   // label in the frame
  const char* control = "";   // object name of the editor control
  const char* choices = "";   // radio/combo items "text=value|text=value", in order
  const char* zeroReport = "";  // report (after the caption) written when the value is 0
  uint8_t arg = 0;         // marker argument (table index)
  uint8_t occurrence = 0;  // which item of this id in the record (1: the second item 149)
  constexpr bool IsMarker() const { return kind == TItemKind::Marker; }
  constexpr TMarker Marker() const { return static_cast<TMarker>(id); }
};

// The editor range of an item: the given one, or the whole range of its width.
int64_t ItemMin(const TItemDef& def);
int64_t ItemMax(const TItemDef& def);

struct TChoice {
  std::string text;
  int64_t value;
};
std::vector<TChoice> ItemChoices(const TItemDef& def);

// Table rows written compactly: the helpers below keep the tables one line per item.
constexpr TItemDef Mark(TMarker marker, uint8_t arg = 0) {
  TItemDef d;
  d.id = static_cast<uint8_t>(marker);
  d.kind = TItemKind::Marker;
  d.arg = arg;
  return d;
}
constexpr TItemDef Num(uint8_t id, uint16_t width, int64_t def, int64_t min = 0, int64_t max = 0,
                       const char* caption = "", const char* control = "") {
  TItemDef d;
  d.id = id;
  d.width = width;
  d.def = def;
  d.min = min;
  d.max = max;
  d.caption = caption;
  d.control = control;
  return d;
}
constexpr TItemDef Flag(uint8_t id, int64_t def, const char* caption = "", const char* control = "") {
  return Num(id, 1, def, 0, 1, caption, control);
}
constexpr TItemDef Pick(uint8_t id, int64_t def, const char* choices, const char* caption = "",
                        const char* control = "") {
  TItemDef d = Num(id, 1, def, 0, 0, caption, control);
  d.choices = choices;
  return d;
}
constexpr TItemDef Scaled(TItemDef d, int64_t unit, int64_t step = 1) {
  d.unit = unit;
  d.step = step;
  return d;
}
constexpr TItemDef Signed(TItemDef d) {
  d.kind = TItemKind::Int;
  return d;
}
constexpr TItemDef ZeroReport(TItemDef d, const char* report) {
  d.zeroReport = report;
  return d;
}
constexpr TItemDef Second(TItemDef d) {
  d.occurrence = 1;
  return d;
}
constexpr TItemDef Ip(uint8_t id, const char* caption = "", const char* control = "") {
  TItemDef d = Num(id, 4, 0, 0, 0, caption, control);
  d.kind = TItemKind::Ip;
  return d;
}
constexpr TItemDef Text(uint8_t id, const char* caption = "", const char* control = "EditPlace") {
  TItemDef d = Num(id, 256, 0, 0, 0, caption, control);
  d.kind = TItemKind::Text;
  return d;
}
constexpr TItemDef Text256(uint8_t id, const char* caption = "", const char* control = "EditPlace") {
  TItemDef d = Text(id, caption, control);
  d.kind = TItemKind::Text256;
  return d;
}
constexpr TItemDef Blob(uint8_t id, uint16_t width, const char* caption = "") {
  TItemDef d = Num(id, width, 0, 0, 0, caption);
  d.kind = TItemKind::Blob;
  return d;
}

// The values of one object's plain items, kept in table order. Texts are UTF-8; blobs raw bytes.
class TItemValues {
 public:
  explicit TItemValues(std::span<const TItemDef> table);

  std::span<const TItemDef> Table() const { return table_; }
  const TItemDef* Find(uint8_t id) const;
  bool Has(uint8_t id) const { return Find(id) != nullptr; }

  int64_t Get(uint8_t id) const;
  // Stores the value cut to the item's width (the editors keep it in range).
  void Set(uint8_t id, int64_t value);
  const std::string& GetText(uint8_t id) const;
  void SetText(uint8_t id, std::string_view text);  // texts: at most 255 bytes once converted

  // Copies the listed items from another object of the same kind (templates).
  void CopyFrom(const TItemValues& other, std::span<const uint8_t> ids);

 private:
  size_t IndexOf(uint8_t id) const;
  std::span<const TItemDef> table_;
  std::vector<int64_t> nums_;
  std::vector<std::string> texts_;
};

// Stored bytes of one plain item (what WriteItem puts after the header).
std::vector<uint8_t> EncodeItem(const TItemDef& def, const TItemValues& values);
// Takes a found item's payload into the values; a payload shorter than the item keeps the missing
// high bytes zero (numbers) or stops at its end (texts).
void DecodeItem(const TItemDef& def, std::span<const uint8_t> payload, TItemValues& values);

}  // namespace vlm
