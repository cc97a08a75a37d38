#include "PortsFixture.h"

#include <cctype>

#include "common/DateTime.h"
#include "common/Numbers.h"

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
