// Lisna frames (protocol code 32): the header octet names the frame kind.
#include "blackbox/BoxDecoder.h"
#include "blackbox/FrameCursor.h"
#include "common/Format.h"

namespace vlm {

void DecodeLisna(const TFrameIn& in, TDecoded& out) {
  out.text = in.Arrow();
  if (!in.In()) return;
  TFrameCursor c(in.Data(), in.length);
  const uint8_t h = c.U8();
  switch ((h >> 3) & 3) {
    case 0:
      out.text += Format(" Start=%2.2xh-ошибка стартовых битов", {h});
      out.colour = kColourError;
      return;
    case 1: {
      const unsigned group = ((h & 7) | ((h >> 2) & 0x38)) + 1;
      out.colour = 31;
      const uint8_t v = c.U8();
      out.text += Format("ТС Гр%d %B (%2.2xh) (Д1..Д8)", {group, v, v});
      return;
    }
    case 2:
      out.text += Format("ТИ Гр%d", {(h >> 5) + 1});
      out.colour = 48;
      for (unsigned i = 1; i <= 8; ++i) {
        const uint8_t v = c.U8();
        out.text += Format(" %d:%3.3d (%2.2xh)", {i, v, v});
      }
      return;
    default:
      out.text += "Маркер";
      out.colour = 47;
  }
}

}  // namespace vlm
