#include "ports/KindItems.h"

#include <algorithm>
#include <stdexcept>

#include "common/TextCodec.h"

namespace vlm {

namespace {

bool IsNumeric(TItemKind kind) {
  return kind == TItemKind::Num || kind == TItemKind::Int || kind == TItemKind::Ip;
}

uint64_t WidthMask(uint16_t width) {
  return width >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * width)) - 1;
}

int64_t Normalize(const TItemDef& def, int64_t value) {
  const uint64_t bits = static_cast<uint64_t>(value) & WidthMask(def.width);
  if (def.kind == TItemKind::Int && def.width < 8) {
    const uint64_t sign = uint64_t{1} << (8 * def.width - 1);
    if (bits & sign) return static_cast<int64_t>(bits | ~WidthMask(def.width));
  }
  return static_cast<int64_t>(bits);
}

}  // namespace

int64_t ItemMin(const TItemDef& def) {
  if (def.min != 0 || def.max != 0) return def.min;
  if (def.kind == TItemKind::Int) return -static_cast<int64_t>(WidthMask(def.width) / 2) - 1;
  return 0;
}

int64_t ItemMax(const TItemDef& def) {
  if (def.max != 0) return def.max;
  if (def.kind == TItemKind::Int) return static_cast<int64_t>(WidthMask(def.width) / 2);
  return static_cast<int64_t>(WidthMask(def.width));
}

std::vector<TChoice> ItemChoices(const TItemDef& def) {
  std::vector<TChoice> out;
  std::string_view rest = def.choices;
  while (!rest.empty()) {
    const size_t bar = rest.find('|');
    const std::string_view entry = rest.substr(0, bar);
    const size_t eq = entry.rfind('=');
    out.push_back({std::string(entry.substr(0, eq)), std::stoll(std::string(entry.substr(eq + 1)))});
    rest = bar == std::string_view::npos ? std::string_view{} : rest.substr(bar + 1);
  }
  return out;
}

TItemValues::TItemValues(std::span<const TItemDef> table)
    : table_(table), nums_(table.size()), texts_(table.size()) {
  for (size_t i = 0; i < table.size(); ++i) nums_[i] = table[i].def;
}

const TItemDef* TItemValues::Find(uint8_t id) const {
  for (const TItemDef& def : table_)
    if (!def.IsMarker() && def.id == id) return &def;
  return nullptr;
}

size_t TItemValues::IndexOf(uint8_t id) const {
  for (size_t i = 0; i < table_.size(); ++i)
    if (!table_[i].IsMarker() && table_[i].id == id) return i;
  // A kind asked for an item it does not have: a programming error, never outside data.
  throw std::logic_error("item " + std::to_string(id) + " is not in this kind's table");
}

int64_t TItemValues::Get(uint8_t id) const { return nums_[IndexOf(id)]; }

void TItemValues::Set(uint8_t id, int64_t value) {
  const size_t i = IndexOf(id);
  nums_[i] = Normalize(table_[i], value);
}

const std::string& TItemValues::GetText(uint8_t id) const { return texts_[IndexOf(id)]; }

void TItemValues::SetText(uint8_t id, std::string_view text) {
  const size_t i = IndexOf(id);
  if (table_[i].kind == TItemKind::Blob) {
    std::string bytes(text.substr(0, table_[i].width));
    bytes.resize(table_[i].width, '\0');
    texts_[i] = std::move(bytes);
    return;
  }
  // Cut by whole characters so the stored string never exceeds 255 bytes in the image: every
  // character becomes one byte there, so at most 255 characters are kept.
  std::string cut(text);
  size_t characters = 0;
  for (size_t pos = 0; pos < cut.size(); ++pos) {
    if ((static_cast<uint8_t>(cut[pos]) & 0xC0) == 0x80) continue;
    if (++characters > 255) {
      cut.resize(pos);
      break;
    }
  }
  while (Utf8ToDos(cut).size() > 255) {
    size_t last = cut.size() - 1;
    while (last > 0 && (static_cast<uint8_t>(cut[last]) & 0xC0) == 0x80) --last;
    cut.resize(last);
  }
  texts_[i] = std::move(cut);
}

void TItemValues::CopyFrom(const TItemValues& other, std::span<const uint8_t> ids) {
  for (uint8_t id : ids) {
    const size_t i = IndexOf(id);
    nums_[i] = other.nums_[other.IndexOf(id)];
    texts_[i] = other.texts_[other.IndexOf(id)];
  }
}

std::vector<uint8_t> EncodeItem(const TItemDef& def, const TItemValues& values) {
  std::vector<uint8_t> out;
  if (IsNumeric(def.kind)) {
    const uint64_t v = static_cast<uint64_t>(values.Get(def.id));
    for (uint16_t b = 0; b < def.width; ++b) out.push_back(static_cast<uint8_t>(v >> (8 * b)));
    return out;
  }
  const std::string& text = values.GetText(def.id);
  if (def.kind == TItemKind::Blob) {
    out.assign(text.begin(), text.end());
    out.resize(def.width, 0);
    return out;
  }
  const std::string dos = Utf8ToDos(text).substr(0, 255);
  out.push_back(static_cast<uint8_t>(dos.size()));
  out.insert(out.end(), dos.begin(), dos.end());
  if (def.kind == TItemKind::Text256) out.resize(256, 0);
  return out;
}

void DecodeItem(const TItemDef& def, std::span<const uint8_t> payload, TItemValues& values) {
  if (IsNumeric(def.kind)) {
    uint64_t v = 0;
    const size_t n = std::min<size_t>(def.width, payload.size());
    for (size_t b = 0; b < n; ++b) v |= static_cast<uint64_t>(payload[b]) << (8 * b);
    values.Set(def.id, static_cast<int64_t>(v));
    return;
  }
  if (def.kind == TItemKind::Blob) {
    values.SetText(def.id, std::string(payload.begin(), payload.end()));
    return;
  }
  if (payload.empty()) {
    values.SetText(def.id, "");
    return;
  }
  const size_t length = std::min<size_t>(payload[0], payload.size() - 1);
  values.SetText(def.id, DosToUtf8(std::string(payload.begin() + 1, payload.begin() + 1 + length)));
}

}  // namespace vlm
