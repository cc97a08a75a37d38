#pragma once
// Bounded reading of recorded frame bytes. A decoder reads only through a cursor; a field beyond
// the cursor's limit raises EFrameTruncated, which the decoder call turns into the " ...обрыв"
// marker, so no decoder can read past the bytes that were actually recorded.
#include <cstddef>
#include <cstdint>

namespace vlm {

struct EFrameTruncated {};

class TFrameCursor {
 public:
  TFrameCursor(const uint8_t* data, int limit, int pos = 0) : data_(data), limit_(limit), pos_(pos) {}

  int Pos() const { return pos_; }
  int Limit() const { return limit_; }
  void SetLimit(int limit) { limit_ = limit; }
  bool More() const { return pos_ < limit_; }  // at least one octet left before the limit

  uint8_t U8() {
    Need(1);
    return data_[pos_++];
  }
  uint16_t U16Le() {
    Need(2);
    const uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  uint16_t U16Be() {
    Need(2);
    const uint16_t v = uint16_t(data_[pos_] << 8 | data_[pos_ + 1]);
    pos_ += 2;
    return v;
  }
  uint32_t U32Le() {
    const uint32_t lo = U16Le();
    return lo | uint32_t(U16Le()) << 16;
  }
  uint32_t U32Be() {
    const uint32_t hi = U16Be();
    return hi << 16 | U16Be();
  }
  // Little-endian field of 1..4 octets (IEC addresses and causes).
  uint32_t Field(int octets) {
    Need(octets);
    uint32_t v = 0;
    for (int i = octets - 1; i >= 0; --i) v = v << 8 | data_[pos_ + i];
    pos_ += octets;
    return v;
  }
  // Octet at an absolute offset, within the limit.
  uint8_t At(int offset) const {
    if (offset < 0 || offset >= limit_) throw EFrameTruncated{};
    return data_[offset];
  }
  void Skip(int octets) { pos_ += octets; }

 private:
  void Need(int octets) const {
    if (pos_ < 0 || octets > limit_ - pos_) throw EFrameTruncated{};
  }

  const uint8_t* data_;
  int limit_;
  int pos_;
};

}  // namespace vlm
