#include "diag/OscStream.h"

#include <algorithm>
#include <cstring>

#include "common/Format.h"

namespace vlm {

std::array<uint8_t, 4> OscStreamCommand(uint8_t channel) {
  return {0x02, 0x05, channel, uint8_t(0x05 + channel)};
}

std::array<uint8_t, 3> OscStopCommand() { return {0x01, 0x06, 0x06}; }

void TOscRing::WriteBlock(std::span<const uint8_t> frames) {
  const uint32_t at = write_.load(std::memory_order_relaxed);
  const size_t n = std::min(frames.size(), size_t(kOscBlockFrames) * kOscFrameBytes);
  std::memcpy(&bytes_[size_t(at) * kOscFrameBytes], frames.data(), n);
  // 1,440,000 is a multiple of 256, so a block never straddles the end of the ring.
  const uint32_t next = at + kOscBlockFrames;
  write_.store(next >= kOscRingFrames ? 0 : next, std::memory_order_release);
}

void TOscRing::WriteSilence() {
  static const std::array<uint8_t, kOscBlockFrames * kOscFrameBytes> zeros{};
  WriteBlock(zeros);
}

void TOscRing::Reset() {
  std::fill(bytes_.begin(), bytes_.end(), uint8_t(0));
  write_.store(0, std::memory_order_release);
}

void TOscPacketHandler::Handle(std::span<const uint8_t> datagram) {
  if (datagram.size() == 2) return;
  if (datagram.size() != kOscPacketSize) {
    ++counters_.wrongSize;
    Point(OscPoint::WrongSize);
    Line(Format("Осциллограф:Байтов=%d(<>1030)", {datagram.size()}));
    return;
  }
  const uint8_t sequence = datagram[kOscSequenceByte];
  if (!started_) {
    started_ = true;
    last_ = expected_ = sequence;
  } else if (sequence == last_) {
    ++counters_.repeated;
    Point(OscPoint::Repeat);
    Line("Осциллограф:Повтор");
    return;
  } else {
    last_ = sequence;
    int lost = 0;
    // Silence of the same length keeps the time axis true across the gap.
    while (expected_ != sequence) {
      ++lost;
      Point(OscPoint::Lost);
      ring_.WriteSilence();
      ++expected_;
    }
    if (lost) {
      counters_.lost += uint64_t(lost);
      Line(Format("Осциллограф:Потерь=%d", {lost}));
    }
  }
  ring_.WriteBlock(datagram.subspan(kOscHeadSize));
  ++expected_;
  ++counters_.packets;
  Point(OscPoint::Good);
}

}  // namespace vlm
