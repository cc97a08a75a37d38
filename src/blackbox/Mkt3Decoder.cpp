// MKT3 frames (protocol code 12): telemetering, counter and telesignal blocks from the КП,
// command blocks from the ПУ.
#include "blackbox/BoxDecoder.h"
#include "blackbox/Checksums.h"
#include "blackbox/FrameCursor.h"
#include "common/Format.h"

namespace vlm {
namespace {

void Telemetering(TFrameCursor& c, unsigned series, TDecoded& out) {
  out.text += Format(":ТИ,Серия%.2d \r\n  ", {series});
  out.colour = 48;
  for (unsigned i = 0; i < 8; ++i) {
    const unsigned v = c.U16Le();
    out.text += Format(" %2.2d:%d(%4.4xh)", {series * 8 + i, v, v});
  }
  out.text += "  CRC=OK";
}

void Counters(TFrameCursor& c, unsigned series, TDecoded& out) {
  out.text += Format(":Счётчики,Серия%.2d \r\n  ", {series});
  out.colour = 49;
  for (unsigned i = 0; i < 3 && series * 3 + i < 64; ++i) {
    const uint32_t v = c.U32Le();
    out.text += Format(" %2.2d:%d(%8.8xh)", {series * 3 + i, v, v});
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
  if (type < 0x40) return Telemetering(c, type, out);
  if (type <= 0x5F) return Counters(c, type & 0x1F, out);
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
