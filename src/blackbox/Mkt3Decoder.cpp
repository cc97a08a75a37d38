// MKT3 frames (protocol code 12): telemetering, counter and telesignal blocks from the КП,
// command blocks from the ПУ.
#include "blackbox/BoxDecoder.h"
#include "blackbox/Checksums.h"
#include "blackbox/FrameCursor.h"
#include "common/Format.h"

namespace vlm {
namespace {

// Blocks of numbered values: telemetering (8 of 16 bits per series) and counters (3 of 32 bits
// per series, numbers below 64 only).
struct TValueBlock {
  const char* head;
  uint8_t colour;
  unsigned perSeries;
  unsigned octets;
  const char* value;
  unsigned numberLimit;  // values numbered at or above it are not in the block
};

constexpr TValueBlock kTelemetering = {":ТИ,Серия%.2d \r\n  ", 48, 8, 2, " %2.2d:%d(%4.4xh)", ~0u};
constexpr TValueBlock kCounters = {":Счётчики,Серия%.2d \r\n  ", 49, 3, 4, " %2.2d:%d(%8.8xh)", 64};

void Values(TFrameCursor& c, const TValueBlock& block, unsigned series, TDecoded& out) {
  out.text += Format(block.head, {series});
  out.colour = block.colour;
  for (unsigned i = 0; i < block.perSeries && series * block.perSeries + i < block.numberLimit; ++i) {
    const uint32_t v = c.Field(int(block.octets));
    out.text += Format(block.value, {series * block.perSeries + i, v, v});
  }
  out.text += "  CRC=OK";
}

void Telesignals(TFrameCursor& c, unsigned count, TDecoded& out) {
  out.text += Format(":ТС%d", {count});
  out.colour = 31;
  for (unsigned i = 0; i < count; ++i) {
    if (i % 2 == 0) out.text += "\r\n  ";
    const uint8_t octet = c.U8();
    for (unsigned j = 0; j < 8; ++j) out.text += Format(" %.3d:%d", {8 * i + j, (octet >> (7 - j)) & 1});
    out.text += Format(" (%2.2xh) ", {octet});
  }
  out.text += " CRC=OK";
}

void FromKp(const TFrameIn& in, TDecoded& out) {
  TFrameCursor c(in.Data(), in.length);
  const uint8_t head = c.U8();
  if ((head & 0xE0) != 0xA0) {
    out.text += Format(" Start=%2.2xh-ошибка стартовых битов", {head & 0xE0});
    out.colour = kColourError;
    return;
  }
  const uint16_t crc = Crc16Modbus({in.Data(), size_t(in.length)});
  if (crc != 0) {
    out.text += Format(" CRC=%4.4xh-ошибка контрольной суммы", {crc});
    out.colour = kColourError;
    return;
  }
  const uint8_t type = c.U8();
  out.text += Format(" КП=%d", {head & 0x1F});
  out.text += Format(" Тип=%2.2xh", {type});
  c.SetLimit(in.length - 2);  // the CRC closes every block
  if (type < 0x40) return Values(c, kTelemetering, type, out);
  if (type <= 0x5F) return Values(c, kCounters, type & 0x1F, out);
  if (type == 0x90 || type == 0xA0 || type == 0xC0) return Telesignals(c, 4u << ((type >> 5) - 4), out);
  out.text += "-ошибка типа блока";
  out.colour = kColourError;
}

void FromPu(const TFrameIn& in, TDecoded& out) {
  TFrameCursor c(in.Data(), in.length);
  const uint8_t type = c.U8();
  out.text += Format(" Тип=%2.2xh:", {type});
  if (type == 0x33) {
    out.text += "ТУ";
    out.colour = kColourError;
    out.text += Format(" КП=%d", {c.U8()});
    const uint8_t k = c.U8();
    out.text += Format(" Код=%2.2xh:", {k});
    out.text += (k & 0x80) ? "Отключить" : "Включить";
    out.text += Format(",Объект=%d,Группа=%d", {(k >> 3) & 0x0F, k & 7});
    const uint8_t a = c.U8(), b = c.U8();
    out.text += Format(" %2.2xh %2.2xh", {a, b});
    out.text += Format(" КП=%d", {c.U8()});
    out.text += Format(" Код=%2.2xh", {c.U8()});
  } else if (type == 0x44) {
    out.text += "Запрос";
    out.colour = 96;
    const uint32_t v = c.U32Be();
    out.text += Format(" Код=%d(%8.8xh)", {v, v});
    out.text += Format(" КП=%d", {c.U8()});
  } else if (type == 0x88) {
    out.text += "Холостой блок";
    out.colour = kColourService;
  } else {
    // An unknown command block is a fault of the line; say so rather than leaving the reader
    // with a bare type number.
    out.text += "-ошибка типа блока";
    out.colour = kColourError;
  }
}

}  // namespace

void DecodeMkt3(const TFrameIn& in, TDecoded& out) {
  out.text = in.Arrow();
  if (in.In())
    FromKp(in, out);
  else
    FromPu(in, out);
}

}  // namespace vlm
