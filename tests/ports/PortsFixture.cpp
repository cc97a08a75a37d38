#include "PortsFixture.h"

#include <cctype>

#include "common/DateTime.h"
#include "common/Numbers.h"
#include "ports/VLM_PortAct.h"

namespace vlm::test {

PortsFixture::PortsFixture() {
  RegisterPortKinds();
  station = NewConfiguration(tree);
  cfg.Stamp = EncodeDateTime({2026, 1, 2, 3, 4, 5, 0});
}

PortsFixture::~PortsFixture() { tree.Clear(); }

TController* PortsFixture::Controller() const {
  return static_cast<TController*>(station->Node->Child(0)->Object());
}

TTreeNode& PortsFixture::ProcessorNode() const { return *Controller()->Processor()->Node; }

TCardRS* PortsFixture::AddCard(uint8_t address) {
  auto* card = static_cast<TCardRS*>(Kinds().Create(TKindFamily::Card, 3, *Controller()->Node));
  card->SetAddress(address);
  card->UpdateNode();
  return card;
}

TDataPort* PortsFixture::AddPortOf(uint8_t typeId) {
  const TPortKind* kind = FindPortKind(typeId);
  EXPECT_NE(kind, nullptr) << int(typeId);
  TTreeNode* node = AddPort(ProcessorNode(), *kind);
  return node ? dynamic_cast<TDataPort*>(node->Object()) : nullptr;
}

TDataPoint* PortsFixture::AddPointOf(TDataPort& port, uint8_t typeId) {
  TTreeNode* node = AddPoint(*port.Node, *FindPointKind(typeId));
  return node ? dynamic_cast<TDataPoint*>(node->Object()) : nullptr;
}

Bytes PortsFixture::WriteImage() {
  station->WriteConfig(cfg);
  const auto image = cfg.Image();
  return Bytes(image.begin(), image.end());
}

void PortsFixture::ReadImage(const Bytes& image) {
  station = NewEmptyStation(tree);
  cfg.Load(image);
  station->ReadConfig(cfg);
}

Bytes PortsFixture::ImageWithPorts(int portCount, const std::function<void(TConfig&)>& ports) {
  TConfig out;
  out.Clear();
  out.WriteHeader(*cfg.Stamp);
  out.Position = kHeaderSize;
  const size_t stationStart = out.OpenContainer(148);
  out.WriteString(149, "");
  out.WriteU8(147, 1);
  const size_t controllerStart = out.OpenContainer(102);
  out.WriteU8(105, 1);
  out.WriteU8(103, 0);
  const size_t processorStart = out.OpenContainer(153);
  out.WriteU8(105, 1);
  out.WriteU8(104, static_cast<uint8_t>(portCount));
  ports(out);
  out.CloseContainer(processorStart);
  out.CloseContainer(controllerStart);
  out.CloseContainer(stationStart);
  out.FinishImage();
  const auto image = out.Image();
  return Bytes(image.begin(), image.end());
}

Bytes PortsFixture::PortRecord(const Bytes& image, uint8_t typeId) const {
  // Station container, its items, the controller container and its items, the cards: the
  // processor container is found by walking, whatever the card records before it take.
  size_t pos = 144 + 4;
  auto skipItems = [&](size_t p) {
    while (image[p] == 0xE0) p += GetU16(&image[p + 2]);
    return p;
  };
  pos = skipItems(pos);        // into the controller container
  pos = skipItems(pos + 4);    // past the controller items
  while (image[pos + 1] != 153) pos += GetU16(&image[pos + 2]);  // cards
  const size_t processorEnd = pos + GetU16(&image[pos + 2]);
  pos = skipItems(pos + 4);
  return FindRecord(image, pos, processorEnd, 0xF0, typeId);
}

namespace {

int64_t OffDefault(const TItemDef& d) {
  const auto choices = ItemChoices(d);
  for (const TChoice& c : choices)
    if (c.value != d.def) return c.value;
  return d.def + 1 <= ItemMax(d) ? d.def + 1 : d.def - 1;
}

void FillValues(TItemValues& values, int salt) {
  for (const TItemDef& d : values.Table()) {
    if (d.IsMarker() || (d.kind == TItemKind::Num && ItemMin(d) == ItemMax(d))) continue;
    switch (d.kind) {
      case TItemKind::Ip: values.Set(d.id, 0xC0A80100 + salt); break;
      case TItemKind::Text:
      case TItemKind::Text256: values.SetText(d.id, "Место Ёж " + std::to_string(salt)); break;
      case TItemKind::Blob: {
        std::string bytes(d.width, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + salt);
        values.SetText(d.id, bytes);
        break;
      }
      default: values.Set(d.id, OffDefault(d)); break;
    }
  }
}

void FillGroups(TDataPoint& point) {
  if (!point.Groups) return;
  for (int number : {1, 7, 255}) {
    TTIGroup& g = (*point.Groups)[number];
    g.Used = true;
    g.PollMode = 1;
    g.TimerPeriod = 60000 * number;
    g.UseMask = static_cast<uint8_t>(0xA5 ^ number);
    g.Deltas = {1, 2, 3, 4, 5, 6, 7, static_cast<uint8_t>(number)};
  }
}

}  // namespace

// Every port kind with one point of every kind it accepts, all off their defaults.
void PortsFixture::BuildEverything() {
  std::vector<TComPort*> free;
  for (uint8_t address : {0, 4, 8})
    for (TComPort* p : AddCard(address)->Ports)
      if (p) free.push_back(p);
  int salt = 1;
  for (const TPortKind* kind : PortKinds()) {
    TDataPort* port = AddPortOf(kind->typeId);
    ASSERT_NE(port, nullptr);
    port->Number = static_cast<uint8_t>(salt);
    port->Comment = kind->writesComment ? "Порт {" + std::to_string(salt) + "}" : "";
    if (port->NeedsHardPort()) {
      ASSERT_FALSE(free.empty());
      port->SetHardPort(free.back());
      free.pop_back();
    }
    FillValues(port->Values, salt);
    FillTables(port->Tables, salt);
    if (auto* active = dynamic_cast<TPortActive*>(port)) {
      active->StepCount = 3;
      active->Steps[0] = 1, active->Steps[1] = 0, active->Steps[2] = 2;
    }
    if (auto* tkr = dynamic_cast<TPortTKR*>(port)) {
      tkr->StepCount = 2;
      tkr->Steps[0] = {4, 1}, tkr->Steps[1] = {kTkrPausePoint, 3};
    }
    for (uint8_t id : kind->childIds) {
      TDataPoint* point = kind->singleChild ? dynamic_cast<TDataPoint*>(port->ChildObject(0))
                                            : AddPointOf(*port, id);
      ASSERT_NE(point, nullptr);
      FillValues(point->Values, salt + id);
      if (id == 108) point->Values.Set(112, 16);  // the ГРАНИТ protocol code is fixed
      FillTables(point->Tables, salt + id);
      FillGroups(*point);
      point->UpdateNode();
    }
    port->UpdateNode();
    ++salt;
  }
}


void FillTables(std::vector<TRowTable>& tables, int salt) {
  for (TRowTable& table : tables) {
    for (int r = 3; r >= 1; --r) {
      std::vector<uint8_t> row(table.Def().rowSize);
      for (size_t b = 0; b < row.size(); ++b) row[b] = static_cast<uint8_t>(r * 16 + b + salt);
      ASSERT_TRUE(table.AddRow(row));
    }
  }
}

Bytes FindRecord(const Bytes& image, size_t begin, size_t end, uint8_t tag, uint8_t id) {
  for (size_t pos = begin; pos + 4 <= end;) {
    const uint16_t length = GetU16(&image[pos + 2]);
    if (length < 4) break;
    if (image[pos] == tag && image[pos + 1] == id) return Bytes(image.begin() + pos, image.begin() + pos + length);
    pos += length;
  }
  return {};
}

Bytes Raw(uint8_t id, const Bytes& payload) {
  Bytes out{0xE0, id, 0, 0};
  PutU16(&out[2], static_cast<uint16_t>(payload.size() + 4));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes U8(uint8_t id, uint8_t v) { return Raw(id, {v}); }
Bytes U16(uint8_t id, uint16_t v) { return Raw(id, {uint8_t(v), uint8_t(v >> 8)}); }
Bytes U32(uint8_t id, uint32_t v) {
  return Raw(id, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
Bytes Str(uint8_t id, const std::string& dos) {
  Bytes payload{static_cast<uint8_t>(dos.size())};
  payload.insert(payload.end(), dos.begin(), dos.end());
  return Raw(id, payload);
}
Bytes Pad256(uint8_t id, const std::string& dos) {
  Bytes payload{static_cast<uint8_t>(dos.size())};
  payload.insert(payload.end(), dos.begin(), dos.end());
  payload.resize(256, 0);
  return Raw(id, payload);
}

Bytes Container(uint8_t id, std::initializer_list<Bytes> parts) {
  Bytes out{0xF0, id, 0, 0};
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  PutU16(&out[2], static_cast<uint16_t>(out.size()));
  return out;
}

Bytes Hex(const std::string& hex) {
  Bytes out;
  std::string digits;
  for (char c : hex)
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return out;
}

}  // namespace vlm::test
