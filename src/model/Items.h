#pragma once
// Kinds described as data: one table of items per object kind (id, width, field, default,
// editor range, caption). The image writer writes the table in order, the reader finds each item
// by id and keeps the default when it is absent, constructors take their defaults from it and the
// frame binding builds label + control + range from it. A fix to one item is one line.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <type_traits>

#include "model/VLM_Obj.h"

namespace vlm {

enum class TItemType : uint8_t {
  Unsigned,  // little-endian, width 1, 2 or 4
  Signed,    // little-endian two's complement, width 1, 2 or 4
  Text,      // short string in the controller's code page; width 0 = length + 1, else padded
  Bytes,     // fixed block of width bytes (maps, per-measurement arrays)
};

struct TItem {
  uint8_t id;
  uint16_t width;
  TItemType type;
  const char* field;    // field name in code, e.g. "Speed"
  int64_t def;          // numbers: the constructor default; Bytes: the value of every byte
  int64_t min, max;     // editor range (numbers)
  const char* caption;  // editor label; "" when the item has no editor
  const char* page = "";  // frame page that shows the editor ("" = the first or only page)
  int64_t (*get)(const TObj&) = nullptr;
  void (*set)(TObj&, int64_t) = nullptr;
  std::string (*getText)(const TObj&) = nullptr;
  void (*setText)(TObj&, const std::string&) = nullptr;
  std::span<uint8_t> (*bytes)(TObj&) = nullptr;
};

namespace detail {
template <auto Member>
struct MemberOf;
template <class C, class T, T C::*M>
struct MemberOf<M> {
  using Class = C;
  using Type = T;
};
template <class T>
struct IsByteArray : std::false_type {};
template <size_t N>
struct IsByteArray<std::array<uint8_t, N>> : std::true_type {};
}  // namespace detail

// Item<&TComPort::Speed>(6, 4, "Speed", 9600, 1200, 200000, "Скорость обмена, бит/с")
template <auto Member>
constexpr TItem Item(uint8_t id, uint16_t width, const char* field, int64_t def, int64_t min,
                     int64_t max, const char* caption = "", const char* page = "") {
  using C = typename detail::MemberOf<Member>::Class;
  using T = typename detail::MemberOf<Member>::Type;
  TItem item{id, width, TItemType::Unsigned, field, def, min, max, caption, page};
  if constexpr (std::is_same_v<T, std::string>) {
    item.type = TItemType::Text;
    item.getText = [](const TObj& o) { return static_cast<const C&>(o).*Member; };
    item.setText = [](TObj& o, const std::string& v) { static_cast<C&>(o).*Member = v; };
  } else if constexpr (detail::IsByteArray<T>::value) {
    item.type = TItemType::Bytes;
    item.bytes = [](TObj& o) { return std::span<uint8_t>(static_cast<C&>(o).*Member); };
  } else {
    static_assert(std::is_integral_v<T> || std::is_enum_v<T>, "item fields are numbers, text or bytes");
    if constexpr (std::is_signed_v<T>) item.type = TItemType::Signed;
    item.get = [](const TObj& o) { return static_cast<int64_t>(static_cast<const C&>(o).*Member); };
    item.set = [](TObj& o, int64_t v) { static_cast<C&>(o).*Member = static_cast<T>(v); };
  }
  return item;
}

// Finds the description of an item id in a table (nullptr when absent).
const TItem* FindItemDesc(std::span<const TItem> items, uint8_t id);
// Sets every field of the table to its default.
void SetDefaults(TObj& obj, std::span<const TItem> items);
// Writes the items of the table in table order.
void WriteItems(TConfig& cfg, const TObj& obj, std::span<const TItem> items);
// Reads every item of the table that is present; absent ones keep their value.
void ReadItems(const TConfig& cfg, TObj& obj, std::span<const TItem> items);
void WriteOneItem(TConfig& cfg, const TObj& obj, const TItem& item);
// Returns whether the item was present.
bool ReadOneItem(const TConfig& cfg, TObj& obj, const TItem& item);

}  // namespace vlm
