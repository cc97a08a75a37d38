#pragma once
// The ASDU decoder shared by the IEC 60870-5-101, -104 and private-head APCI decoders.
#include "blackbox/BoxDecoder.h"
#include "blackbox/FrameCursor.h"

namespace vlm::iec {

// Field lengths in octets; every multi-octet field is little-endian.
struct TIecLayout {
  int linkAddress = 1;    // 1 or 2 (101 only)
  int cause = 1;          // 1 or 2
  int commonAddress = 1;  // 1 or 2
  int objectAddress = 1;  // 1, 2 or 3
};

struct TAsduHead {
  unsigned type = 0;
  bool sequence = false;  // SQ: one address for all objects
  unsigned count = 0;
};

// Reads type, VSQ, cause and common address from the cursor; sets the colour of the type.
TAsduHead DecodeAsduHead(TFrameCursor& cursor, const TIecLayout& layout, TDecoded& out);
// Reads the count information objects announced by the head.
void DecodeObjects(TFrameCursor& cursor, const TIecLayout& layout, const TAsduHead& head, TDecoded& out);

// Head and objects in one go, as every IEC frame with an ASDU uses them.
inline void DecodeAsdu(TFrameCursor& cursor, const TIecLayout& layout, TDecoded& out) {
  const TAsduHead head = DecodeAsduHead(cursor, layout, out);
  DecodeObjects(cursor, layout, head, out);
}

}  // namespace vlm::iec
