#include "model/Items.h"

#include <algorithm>
#include <vector>

#include "model/Config.h"

namespace vlm {

const TItem* FindItemDesc(std::span<const TItem> items, uint8_t id) {
  for (const TItem& item : items)
    if (item.id == id) return &item;
  return nullptr;
}

void SetDefaults(TObj& obj, std::span<const TItem> items) {
  for (const TItem& item : items) {
    if (item.set) item.set(obj, item.def);
    if (item.bytes) {
      auto bytes = item.bytes(obj);
      std::fill(bytes.begin(), bytes.end(), static_cast<uint8_t>(item.def));
    }
  }
}

void WriteOneItem(TConfig& cfg, const TObj& obj, const TItem& item) {
  switch (item.type) {
    case TItemType::Unsigned:
    case TItemType::Signed: {
      const uint64_t value = static_cast<uint64_t>(item.get(obj));
      uint8_t bytes[8];
      for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
      cfg.WriteItem(item.id, std::min<size_t>(item.width, 8), bytes);
      break;
    }
    case TItemType::Text:
      if (item.width == 0)
        cfg.WriteString(item.id, item.getText(obj));
      else
        cfg.WriteStringPadded(item.id, item.getText(obj), item.width);
      break;
    case TItemType::Bytes: {
      auto bytes = item.bytes(const_cast<TObj&>(obj));
      cfg.WriteItem(item.id, bytes.size(), bytes.data());
      break;
    }
  }
}

bool ReadOneItem(const TConfig& cfg, TObj& obj, const TItem& item) {
  switch (item.type) {
    case TItemType::Unsigned:
    case TItemType::Signed: {
      uint8_t bytes[8] = {};
      const size_t width = std::min<size_t>(item.width, 8);
      if (!cfg.ReadBytes(item.id, {bytes, width})) return false;
      uint64_t value = 0;
      for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
      if (item.type == TItemType::Signed && width < 8 && (value >> (8 * width - 1)) & 1)
        value |= ~uint64_t{0} << (8 * width);  // sign extension
      item.set(obj, static_cast<int64_t>(value));
      return true;
    }
    case TItemType::Text: {
      std::string text;
      if (!cfg.ReadString(item.id, text)) return false;
      item.setText(obj, text);
      return true;
    }
    case TItemType::Bytes:
      return cfg.ReadBytes(item.id, item.bytes(obj));
  }
  return false;
}

void WriteItems(TConfig& cfg, const TObj& obj, std::span<const TItem> items) {
  for (const TItem& item : items) WriteOneItem(cfg, obj, item);
}

void ReadItems(const TConfig& cfg, TObj& obj, std::span<const TItem> items) {
  for (const TItem& item : items) ReadOneItem(cfg, obj, item);
}

}  // namespace vlm
