#include "blackbox/IecAsdu.h"

#include <bit>

#include "blackbox/IecTables.h"
#include "common/Format.h"

namespace vlm::iec {
namespace {

constexpr const char* kNewLine = "\r\n  ";

// Hex width of a field: two digits per octet.
std::string HexField(const char* prefix, int octets, const char* suffix) {
  return std::string(prefix) + (octets == 1 ? "%2.2xh" : octets == 2 ? "%4.4xh" : "%6.6xh") + suffix;
}

void Quality(TFrameCursor& c, std::string& s) {
  struct TFlag {
    uint8_t bit;
    const char* name;
  };
  static constexpr TFlag kFlags[] = {{0x80, "Iv"}, {0x40, "Nt"}, {0x20, "Sb"}, {0x10, "Bl"}, {0x01, "Ov"}};
  const uint8_t q = c.U8();
  if (q == 0) {
    s += "QDS=0";
    return;
  }
  s += Format("QDS=%2.2xh:", {q});
  for (const TFlag& f : kFlags)
    if (q & f.bit) s += f.name;
}

void Time3(TFrameCursor& c, std::string& s) {
  const unsigned ms = c.U16Le();
  const uint8_t minute = c.U8();
  s += Format(",T=%d:%d.%d", {minute & 0x3F, ms / 1000, ms % 1000});
  if (minute & 0x80) s += "_IV=1";
}

void Time7(TFrameCursor& c, std::string& s) {
  const unsigned ms = c.U16Le();
  const uint8_t minute = c.U8();
  const unsigned hour = c.U8() & 0x1F, day = c.U8() & 0x1F, month = c.U8() & 0x0F;
  const unsigned year = (c.U8() & 0x7F) + 2000u;
  s += Format(",T=%d.%2.2d.%2.2d_%2.2d:%2.2d:%2.2d.%3.3d",
              {year, month, day, hour, minute & 0x3F, ms / 1000, ms % 1000});
  if (minute & 0x80) s += "_IV=1";
}

void SinglePoint(TFrameCursor& c, std::string& s) { s += Format("SIQ=%d", {c.U8()}); }

void Scaled(TFrameCursor& c, std::string& s) {
  s += Format("SVA=%d,", {static_cast<int16_t>(c.U16Le())});
  Quality(c, s);
}

void ShortFloat(TFrameCursor& c, std::string& s) {
  s += Format("Val=%g,", {std::bit_cast<float>(c.U32Le())});
  Quality(c, s);
}

void BitString(TFrameCursor& c, std::string& s) {
  const uint32_t v = c.U32Le();
  s += Format("BSI=%8.8xh=%.32B", {v, v});
  Quality(c, s);
}

const char* SelectText(uint8_t o) { return (o & 0x80) ? "ПредвВыбор" : "Исполнение"; }

void SingleCommand(TFrameCursor& c, std::string& s) {
  const uint8_t o = c.U8();
  s += Format("SCO=%2.2xh:S/E=%d=%s,SCS=%d=%s",
              {o, o >> 7, SelectText(o), o & 1, (o & 1) ? "Включить" : "Выключить"});
}

void DoubleCommand(TFrameCursor& c, std::string& s) {
  static constexpr const char* kStates[] = {"НеРазрешено", "Выключить", "Включить", "НеРазрешено"};
  const uint8_t o = c.U8();
  s += Format("DCO=%2.2xh:S/E=%d=%s,DCS=%d=%s", {o, o >> 7, SelectText(o), o & 3, kStates[o & 3]});
}

void InitCause(TFrameCursor& c, std::string& s) {
  const unsigned v = c.U8() & 0x7F;
  s += Format("COI=%d=%s", {v, InitCauseName(v)});
}

void Interrogation(TFrameCursor& c, std::string& s) {
  const unsigned v = c.U8();
  s += Format("QOI=%d=%s", {v, InterrogationName(v)});
}

void TestPattern(TFrameCursor& c, std::string& s) { s += Format("FBP=%4.4xh", {c.U16Le()}); }

using TElementFn = void (*)(TFrameCursor&, std::string&);

struct TElementRow {
  unsigned type;
  TElementFn element;  // nullptr: nothing but the time
  TElementFn time;     // nullptr: no time tag
};

constexpr TElementRow kElements[] = {
    {1, SinglePoint, nullptr},  {2, SinglePoint, Time3},   {30, SinglePoint, Time7},
    {11, Scaled, nullptr},      {12, Scaled, Time3},       {35, Scaled, Time7},
    {13, ShortFloat, nullptr},  {14, ShortFloat, Time3},   {36, ShortFloat, Time7},
    {33, BitString, Time7},     {45, SingleCommand, nullptr}, {46, DoubleCommand, nullptr},
    {70, InitCause, nullptr},   {100, Interrogation, nullptr}, {102, nullptr, nullptr},
    {103, nullptr, Time7},      {104, TestPattern, nullptr},
};

const TElementRow* FindElement(unsigned type) {
  for (const TElementRow& row : kElements)
    if (row.type == type) return &row;
  return nullptr;
}

}  // namespace

TAsduHead DecodeAsduHead(TFrameCursor& c, const TIecLayout& layout, TDecoded& out) {
  std::string& s = out.text;
  s += kNewLine;
  TAsduHead head;
  head.type = c.U8();
  const TNamedColour type = TypeInfo(head.type);
  s += Format(" Тип=%0:d=%s", {head.type, type.name});
  out.colour = type.colour;

  const uint8_t vsq = c.U8();
  head.sequence = (vsq & 0x80) != 0;
  head.count = vsq & 0x7F;
  s += Format(" VSQ=%2.2xh:SQ=%d=%s,Сч=%d", {vsq, vsq >> 7, head.sequence ? "Послед" : "Одиноч", head.count});

  const uint32_t cot = c.Field(layout.cause);
  s += Format(HexField(" COT=", layout.cause, ":Tst=%d,P/N=%d,Прич=%d=%s"),
              {cot, (cot >> 7) & 1, (cot >> 6) & 1, cot & 0x3F, CauseName(cot & 0x3F)});

  const uint32_t common = c.Field(layout.commonAddress);
  s += Format(HexField(" АдрASDU=", layout.commonAddress, "=%d"), {common, common});
  return head;
}

void DecodeObjects(TFrameCursor& c, const TIecLayout& layout, const TAsduHead& head, TDecoded& out) {
  std::string& s = out.text;
  s += kNewLine;
  const std::string addressFormat = HexField(" A=", layout.objectAddress, "=%d,");
  const TElementRow* row = FindElement(head.type);
  uint32_t address = head.sequence && head.count ? c.Field(layout.objectAddress) : 0;
  for (unsigned i = 1; i <= head.count; ++i) {
    if (!head.sequence) address = c.Field(layout.objectAddress);
    s += Format(addressFormat, {address, address});
    if (!row) {
      s += Format("ОбъектТипа%d...", {head.type});
    } else {
      if (row->element) row->element(c, s);
      if (row->time) row->time(c, s);
    }
    if (head.sequence) ++address;
    if (i % 8 == 0 && i < head.count) s += kNewLine;
  }
}

}  // namespace vlm::iec
