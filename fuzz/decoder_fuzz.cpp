// Frame decoders over arbitrary records: byte 0 is the protocol byte, byte 1 the direction,
// byte 2 the parameter byte, the rest the frame (up to 128 bytes). Each record is decoded with
// the unused part of the record filled two ways: a decoder that looks past L shows a difference.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "blackbox/BoxDecoder.h"

namespace {

vlm::TDecoded DecodeFilled(const uint8_t* data, size_t size, uint8_t fill, vlm::TDecoderState& state) {
  vlm::TBoxRecord record;
  record.protocol = data[0];
  record.direction = data[1];
  record.param = data[2];
  record.data.fill(fill);
  const size_t length = size - 3 < vlm::kBoxMaxData ? size - 3 : vlm::kBoxMaxData;
  if (length) std::memcpy(record.data.data(), data + 3, length);
  return vlm::DecodeRecord(record, length, 45000.5, state);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // Responses are numbered from the last request: keep that state across inputs.
  static vlm::TDecoderState state;
  vlm::TDecoderState a = state, b = state;
  const vlm::TDecoded zeros = DecodeFilled(data, size, 0x00, a);
  const vlm::TDecoded ones = DecodeFilled(data, size, 0xFF, b);
  if (zeros.text != ones.text || zeros.colour != ones.colour ||
      a.modbusRequestAddress != b.modbusRequestAddress)
    std::abort();
  state = a;
  return 0;
}
