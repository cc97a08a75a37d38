#include "blackbox/BoxDecoder.h"

#include <array>

#include "blackbox/FrameCursor.h"

namespace vlm {
namespace {

struct TDecoderRow {
  uint8_t code;
  TDecodeFn decode;
};

constexpr TDecoderRow kDecoders[] = {
    {2, DecodeSirius},  {4, DecodeSirius},      {8, Decode101},      {12, DecodeMkt3},
    {13, DecodeTkRes},  {14, Decode104},        {32, DecodeLisna},   {35, DecodeModbus},
    {36, DecodeLampBoard}, {37, DecodeApciPrivate},
};

constexpr std::array<TDecodeFn, 64> BuildIndex() {
  std::array<TDecodeFn, 64> index{};
  for (const TDecoderRow& row : kDecoders) index[row.code] = row.decode;
  return index;
}

constexpr std::array<TDecodeFn, 64> kByCode = BuildIndex();

}  // namespace

TDecodeFn FindDecoder(uint8_t code) { return kByCode[code & 0x3F]; }

TDecoded DecodeRecord(const TBoxRecord& record, size_t length, TDateTime time, TDecoderState& state) {
  TDecoded out;
  const TDecodeFn decode = FindDecoder(record.Code());
  if (!decode || record.direction > kBoxDirOut) return out;
  const int l = static_cast<int>(length < kBoxMaxData ? length : kBoxMaxData);
  try {
    decode(TFrameIn{record, l, time, state}, out);
  } catch (const EFrameTruncated&) {
    // Decoders with an error colour of their own catch this themselves.
    out.text += kTruncatedMark;
    out.colour = kColourError;
  }
  return out;
}

}  // namespace vlm
