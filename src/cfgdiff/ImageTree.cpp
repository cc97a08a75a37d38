#include "cfgdiff/ImageTree.h"

#include <algorithm>
#include <map>

#include "common/Format.h"
#include "common/TextCodec.h"
#include "model/ConfigTree.h"
#include "model/Kinds.h"
#include "model/Items.h"
#include "ports/PointKind.h"
#include "ports/PortKind.h"

namespace vlm {

namespace {

constexpr uint8_t kGroupContainer = 200;
constexpr uint8_t kStationContainer = 148;

uint64_t LittleEndian(std::span<const uint8_t> bytes) {
  uint64_t value = 0;
  for (size_t i = std::min<size_t>(bytes.size(), 8); i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

// Groups the records of [begin, end) into containers, as the structure check walked them.
void Collect(const TConfig& cfg, TImageBox& into) {
  std::vector<TImageBox*> stack{&into};
  std::vector<size_t> ends{cfg.ConfigSize - 2};
  std::vector<std::map<uint8_t, int>> seen(1);
  ForEachRecord(cfg, [&](const TRecordInfo& r) {
    while (static_cast<int>(stack.size()) > r.depth + 1) {
      stack.pop_back();
      seen.pop_back();
    }
    TImageBox& box = *stack.back();
    TImageRecord record;
    record.tag = r.tag;
    record.id = r.id;
    if (r.tag == kTagContainer) {
      record.box = std::make_unique<TImageBox>();
      record.box->id = r.id;
      record.box->parent = &box;
      TImageBox* inner = record.box.get();
      box.records.push_back(std::move(record));
      stack.push_back(inner);
      seen.emplace_back();
    } else {
      record.payload = r.payload;
      record.occurrence = seen.back()[r.id]++;
      box.records.push_back(std::move(record));
    }
  });
}

std::vector<TImageBox*> Boxes(TImageBox& box) {
  std::vector<TImageBox*> out;
  for (TImageRecord& r : box.records)
    if (r.box) out.push_back(r.box.get());
  return out;
}

// Containers of objects follow their nodes in order, except that a controller writes its cards
// before its processor, whose node comes first; TI groups are no nodes.
void Attach(TImageBox& box, TTreeNode& node) {
  box.node = &node;
  std::vector<TImageBox*> inner;
  for (TImageBox* b : Boxes(box))
    if (b->id != kGroupContainer) inner.push_back(b);
  std::vector<TTreeNode*> children;
  for (const auto& child : node.Children()) children.push_back(child.get());
  if (dynamic_cast<TController*>(node.Object()) && !children.empty())
    std::rotate(children.begin(), children.begin() + 1, children.end());
  for (size_t i = 0; i < inner.size() && i < children.size(); ++i) Attach(*inner[i], *children[i]);
}

struct TModelCaption {
  const char* className;  // "" = any
  uint8_t id;
  const char* caption;
  TShowAs as;
  bool childCount = false;
};

// Items of the hand-written model objects, named as their frames name them.
constexpr TModelCaption kModelCaptions[] = {
    {"TStation", 149, "Место установки", TShowAs::Text},
    {"TStation", 147, "Число контроллеров", TShowAs::Number, true},
    {"TController", 105, "Номер процессора", TShowAs::Number},
    {"TController", 103, "Число плат", TShowAs::Number, true},
    {"TProcessor", 105, "Номер процессора", TShowAs::Number},
    {"TProcessor", 1, "IP адрес", TShowAs::Ip},
    {"TProcessor", 186, "Маска подсети", TShowAs::Ip},
    {"TProcessor", 187, "Основной шлюз", TShowAs::Ip},
    {"TProcessor", 104, "Число программных портов", TShowAs::Number, true},
    {"", 101, "Версия записи", TShowAs::Number},
    {"", 1, "Базовый адрес", TShowAs::Number},
    {"", 9, "Линия запроса прерывания", TShowAs::Number},
    {"", 115, "Частота генератора, Гц", TShowAs::Number},
    {"", 5, "Номер порта", TShowAs::Number},
};

struct TGroupCaption {
  uint8_t id;
  const char* caption;
  uint16_t width;
};
constexpr TGroupCaption kGroupCaptions[] = {
    {101, "Версия записи", 1}, {128, "Номер группы", 1}, {129, "Опрос", 1},
    {130, "Период опроса, мс", 4}, {212, "Маска измерений", 1}, {213, "Дельта", 0},
};

struct TOwnerOf {
  const char* className;
  size_t table;
  TOwnerTableId id;
};
// Which grid shows which table of a kind (the frames' table pages).
constexpr TOwnerOf kOwners[] = {
    {"TPortPassive", 0, TOwnerTableId::PasTs},  {"TPortPassive", 1, TOwnerTableId::PasTi},
    {"TPortPassive", 2, TOwnerTableId::PasTu},  {"TPortPassive", 3, TOwnerTableId::PasArrays},
    {"TPortL", 0, TOwnerTableId::LampTs},       {"TPortL", 1, TOwnerTableId::LampTi},
    {"TPortL", 2, TOwnerTableId::LampJunction}, {"TPortMKT3T", 0, TOwnerTableId::Mkt3Ts},
    {"TPortMKT3T", 1, TOwnerTableId::Mkt3Ti},   {"TPortRPT80T", 0, TOwnerTableId::Rpt80Ts},
    {"TPortRPT80T", 1, TOwnerTableId::Rpt80Ti}, {"TPointPC4", 0, TOwnerTableId::Pc4Ti},
    {"TPointPC4", 1, TOwnerTableId::Pc4Ts},     {"TPointModbus", 0, TOwnerTableId::ModbusTs},
    {"TPointModbus", 1, TOwnerTableId::ModbusTi},
};

TItemShow Shown(const char* caption, TShowAs as, uint16_t width) {
  TItemShow show;
  show.caption = caption;
  show.as = as;
  show.width = width;
  return show;
}

TItemShow FromDef(const TItemDef& def) {
  TItemShow show;
  show.caption = def.caption;
  show.width = def.width;
  show.unit = def.unit;
  show.choices = def.choices;
  switch (def.kind) {
    case TItemKind::Num: show.as = TShowAs::Number; break;
    case TItemKind::Int: show.as = TShowAs::Signed; break;
    case TItemKind::Ip: show.as = TShowAs::Ip; break;
    case TItemKind::Text: show.as = TShowAs::Text; break;
    case TItemKind::Text256: show.as = TShowAs::Text256; break;
    default: show.as = TShowAs::Bytes; break;
  }
  return show;
}

// Items and tables of a port or point kind.
bool DescribeKindItem(std::span<const TItemDef> items, std::span<const TRowTableDef> tables,
                      const char* className, uint8_t id, int occurrence, TItemShow& show) {
  for (size_t t = 0; t < tables.size(); ++t) {
    if (tables[t].rowsId != id && tables[t].countId != id) continue;
    show.caption = tables[t].title;
    show.table = &tables[t];
    if (tables[t].countId == id) {
      show.as = TShowAs::Number;
      show.width = tables[t].countWidth;
      show.isRowCount = true;
      show.caption += ": число строк";
      return true;
    }
    show.as = TShowAs::Rows;
    for (const TOwnerOf& o : kOwners)
      if (std::string_view(o.className) == className && o.table == t) show.owner = o.id;
    return true;
  }
  for (const TItemDef& def : items)
    if (!def.IsMarker() && def.id == id && def.occurrence == occurrence) {
      show = FromDef(def);
      return true;
    }
  return false;
}

}  // namespace

std::string HexBytes(std::span<const uint8_t> bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (uint8_t b : bytes) {
    if (!text.empty()) text += ' ';
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

const TImageRecord* TImageBox::FindItem(uint8_t itemId, int occurrence) const {
  for (const TImageRecord& r : records)
    if (!r.box && r.id == itemId && r.occurrence == occurrence) return &r;
  return nullptr;
}

std::optional<int64_t> TImageBox::Number(uint8_t itemId) const {
  const TImageRecord* r = FindItem(itemId);
  if (!r) return std::nullopt;
  return static_cast<int64_t>(LittleEndian(r->payload));
}

std::string TImageBox::Title() const {
  if (node) return node->Text();
  if (id == kGroupContainer) return Format("Группа ТИ №%d", {Number(128).value_or(0)});
  return Format("[%d]", {id});
}

TLoadedImage::TLoadedImage(std::span<const uint8_t> bytes) {
  TStation* station = NewEmptyStation(tree_);
  cfg_.Load(bytes);
  station->ReadConfig(cfg_);
  Collect(cfg_, root_);
  for (TImageRecord& r : root_.records)
    if (r.box && r.box->id == kStationContainer) {
      Attach(*r.box, *tree_.Root());
      break;
    }
}

TItemShow DescribeItem(const TImageBox& box, uint8_t id, int occurrence) {
  TItemShow show;
  if (box.id == kGroupContainer) {
    for (const TGroupCaption& g : kGroupCaptions)
      if (g.id == id) {
        show.caption = g.caption;
        show.width = g.width;
        show.as = g.width ? TShowAs::Number : TShowAs::Bytes;
      }
    return show;
  }
  const TObj* obj = box.node ? box.node->Object() : nullptr;
  if (!obj) return show;
  if (auto* port = dynamic_cast<const TDataPort*>(obj)) {
    switch (id) {
      case 101: show = Shown("Версия записи", TShowAs::Number, 1); return show;
      case 106: show = Shown("Адрес порта", TShowAs::Number, 1); return show;
      case 107: show = Shown("Аппаратный порт", port->NeedsHardPort() ? TShowAs::HardPort : TShowAs::Number, 1); return show;
      case 108:
        show = Shown("Число КП", TShowAs::Number, 1);
        show.isChildCount = true;
        return show;
      case 149:
        if (occurrence == 0 && port->Kind().writesComment) {
          show = Shown("Комментарий", TShowAs::Text, 0);
          return show;
        }
        break;
      default: break;
    }
    DescribeKindItem(port->Kind().items, port->Kind().tables, port->ClassName(), id, occurrence, show);
    return show;
  }
  if (auto* point = dynamic_cast<const TDataPoint*>(obj)) {
    if (id == 124) {
      show = Shown("Число групп ТИ", TShowAs::Number, 1);
      show.isChildCount = true;
      return show;
    }
    if (id == 101) return Shown("Версия записи", TShowAs::Number, 1);
    DescribeKindItem(point->Kind().items, point->Kind().tables, point->ClassName(), id, occurrence, show);
    return show;
  }
  if (const TItem* item = FindItemDesc(obj->Items(), id)) {
    show.caption = item->caption;
    show.width = item->width;
    show.as = item->type == TItemType::Signed ? TShowAs::Signed
              : item->type == TItemType::Text ? (item->width ? TShowAs::Text256 : TShowAs::Text)
              : item->type == TItemType::Bytes ? TShowAs::Bytes
                                               : TShowAs::Number;
    return show;
  }
  const std::string className = obj->ClassName();
  for (const TModelCaption& m : kModelCaptions)
    if ((m.className == className || !*m.className) && m.id == id) {
      show.caption = m.caption;
      show.as = m.as;
      show.isChildCount = m.childCount;
      return show;
    }
  return show;
}

namespace {

std::string ShowNumber(const TItemShow& show, int64_t value) {
  if (*show.choices) {
    for (const TChoice& c : ItemChoices(TItemDef{.choices = show.choices}))
      if (c.value == value) return c.text;
  }
  if (show.unit > 1 && value % show.unit == 0) return std::to_string(value / show.unit);
  return std::to_string(value);
}

std::string ShowHardPort(const TImageBox& box, int64_t number) {
  if (number == 0) return "нет";
  auto* port = box.node ? dynamic_cast<const TSoftPort*>(box.node->Object()) : nullptr;
  if (port && port->Controller)
    if (THardPort* hard = port->Controller->HardPortOf(port))
      if (hard->GetHardNumber() == number) return hard->GetCaption();
  return std::to_string(number);
}

}  // namespace

std::string ShowValue(const TImageBox& box, const TItemShow& show, std::span<const uint8_t> payload) {
  const size_t n = payload.size();
  switch (show.as) {
    case TShowAs::Number:
    case TShowAs::HardPort:
      if (n >= 1 && n <= 8) {
        const auto value = static_cast<int64_t>(LittleEndian(payload));
        return show.as == TShowAs::HardPort ? ShowHardPort(box, value) : ShowNumber(show, value);
      }
      break;
    case TShowAs::Signed:
      if (n == 1 || n == 2 || n == 4) {
        const int shift = 64 - 8 * static_cast<int>(n);
        const auto value = static_cast<int64_t>(LittleEndian(payload) << shift) >> shift;
        return ShowNumber(show, value);
      }
      break;
    case TShowAs::Ip:
      if (n == 4) return IpText(static_cast<uint32_t>(LittleEndian(payload)));
      break;
    case TShowAs::Text:
    case TShowAs::Text256:
      if (n >= 1 && payload[0] < n) {
        const std::string dos(payload.begin() + 1, payload.begin() + 1 + payload[0]);
        return "\"" + DosToUtf8(dos) + "\"";
      }
      break;
    case TShowAs::Rows:
      if (show.table && show.table->rowSize && n % show.table->rowSize == 0)
        return Format("%d строк", {n / show.table->rowSize});
      break;
    case TShowAs::Bytes: break;
  }
  return HexBytes(payload);
}

std::vector<std::string> RowColumnTitles(const TItemShow& show) {
  std::vector<std::string> titles;
  if (show.owner)
    for (const TReaddrColumn& c : OwnerTable(*show.owner).columns)
      if (!c.shownOnly) titles.push_back(c.title);
  return titles;
}

std::vector<std::vector<std::string>> ShowRows(const TItemShow& show, std::span<const uint8_t> payload) {
  std::vector<std::vector<std::string>> rows;
  const size_t size = show.table ? show.table->rowSize : 0;
  if (size == 0 || payload.size() % size != 0) {
    if (!payload.empty()) rows.push_back({HexBytes(payload)});
    return rows;
  }
  const size_t count = payload.size() / size;
  if (show.owner) {
    const TOwnerTable& def = OwnerTable(*show.owner);
    if (def.rowSize == size) {
      TRowTableDef unbounded = *show.table;
      unbounded.capacity = static_cast<uint16_t>(std::max<size_t>(count, unbounded.capacity));
      TRowTable table(unbounded);
      table.TakeRows(payload, count);
      TReaddrData data(def.title, def.columns);
      LoadOwnerTable(def, table, data);
      for (size_t r = 0; r < count && r < data.RowCount(); ++r) {
        std::vector<std::string> cells;
        for (size_t c = 0; c < data.ColumnCount(); ++c)
          if (!data.Columns()[c].shownOnly) cells.push_back(data.Cell(r, c));
        rows.push_back(std::move(cells));
      }
      if (rows.size() == count) return rows;
      rows.clear();
    }
  }
  for (size_t r = 0; r < count; ++r) rows.push_back({HexBytes(payload.subspan(r * size, size))});
  return rows;
}

namespace {

void CollectRowCountFaults(const TImageBox& box, std::vector<TRowCountFault>& faults) {
  struct TSides {
    const TImageRecord* count = nullptr;
    const TImageRecord* rows = nullptr;
  };
  std::vector<std::pair<const TRowTableDef*, TSides>> tables;
  for (const TImageRecord& r : box.records) {
    if (r.box) {
      CollectRowCountFaults(*r.box, faults);
      continue;
    }
    const TItemShow show = DescribeItem(box, r.id, r.occurrence);
    if (!show.table || (!show.isRowCount && show.as != TShowAs::Rows)) continue;
    auto it = std::find_if(tables.begin(), tables.end(), [&](const auto& t) { return t.first == show.table; });
    if (it == tables.end()) it = tables.insert(tables.end(), {show.table, {}});
    (show.isRowCount ? it->second.count : it->second.rows) = &r;
  }
  for (const auto& [table, sides] : tables) {
    const int64_t count = sides.count ? static_cast<int64_t>(LittleEndian(sides.count->payload)) : 0;
    const size_t bytes = sides.rows ? sides.rows->payload.size() : 0;
    const size_t rows = bytes / table->rowSize;
    std::string text;
    if (bytes % table->rowSize)
      text = Format("в таблице %d байт: это не целое число строк по %d байт", {bytes, table->rowSize});
    else if (count != static_cast<int64_t>(rows))
      text = Format("число строк %d, а строк в таблице %d", {count, rows});
    if (!text.empty())
      faults.push_back({sides.count ? sides.count : sides.rows, box.Title() + ", " + table->title + ": " + text});
  }
}

}  // namespace

std::vector<TRowCountFault> RowCountFaults(const TLoadedImage& image) {
  std::vector<TRowCountFault> faults;
  CollectRowCountFaults(image.Root(), faults);
  return faults;
}

}  // namespace vlm
