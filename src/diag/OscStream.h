#pragma once
// The oscilloscope stream: the two small commands the PC sends, the 60-second sample ring and the
// handling of each datagram the controller streams (repeat and loss detection, journal lines and
// indicator points). No sockets here: TOscReceiver in OscThread.h feeds it.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vlm {

inline constexpr uint16_t kOscPort = 209;
inline constexpr uint32_t kOscFrameRate = 24000;         // sample frames per second
inline constexpr uint32_t kOscFrameBytes = 4;            // channel A, channel B: signed 16-bit LE
inline constexpr uint32_t kOscBlockFrames = 256;         // frames per packet
inline constexpr size_t kOscPacketSize = 1030;           // 6 bytes of head, 256 frames
inline constexpr size_t kOscHeadSize = 6;
inline constexpr size_t kOscSequenceByte = 3;
inline constexpr uint32_t kOscRingFrames = 1440000;      // 60 s
inline constexpr uint32_t kOscPageFrames = 240000;       // one plotter page: six lines of ten seconds

// Indicator colours of the stream (Windows values, blue in the high byte).
namespace OscPoint {
constexpr uint32_t Good = 0x008000, Lost = 0x0000FF, Repeat = 0xFF00FF, WrongSize = 0x00FFFF;
}

// 02h 05h channel sum: asks the controller to stream (repeated every second).
std::array<uint8_t, 4> OscStreamCommand(uint8_t channel);
// 01h 06h 06h: ends the stream.
std::array<uint8_t, 3> OscStopCommand();

// The last 60 s of frames. Only the receiving thread writes; readers take WritePosition() and
// read frames behind it without a lock: a block becomes visible when the position passes it.
class TOscRing {
 public:
  TOscRing() : bytes_(size_t(kOscRingFrames) * kOscFrameBytes) {}

  uint32_t WritePosition() const { return write_.load(std::memory_order_acquire); }
  // One block of 256 frames (1024 bytes) at the write position; the position moves by 256.
  void WriteBlock(std::span<const uint8_t> frames);
  void WriteSilence();
  void Reset();

  int16_t A(uint32_t frame) const { return Sample(frame, 0); }
  int16_t B(uint32_t frame) const { return Sample(frame, 2); }
  std::span<const uint8_t> Bytes() const { return bytes_; }

 private:
  int16_t Sample(uint32_t frame, size_t offset) const {
    const uint8_t* p = &bytes_[size_t(frame % kOscRingFrames) * kOscFrameBytes + offset];
    return int16_t(uint16_t(p[0] | p[1] << 8));
  }
  std::vector<uint8_t> bytes_;
  std::atomic<uint32_t> write_{0};
};

// What the receiver has seen; the counters are read by other threads.
struct TOscCounters {
  std::atomic<uint64_t> packets{0};    // taken into the ring
  std::atomic<uint64_t> lost{0};       // gaps in the sequence, filled with silence
  std::atomic<uint64_t> repeated{0};   // dropped as repeats
  std::atomic<uint64_t> wrongSize{0};  // datagrams neither 1030 nor 2 bytes long
};

// Handling of one datagram. The callbacks run on the receiving thread.
class TOscPacketHandler {
 public:
  using TPointSink = std::function<void(uint32_t colour)>;
  using TLineSink = std::function<void(const std::string& line)>;

  TOscPacketHandler(TOscRing& ring, TPointSink point, TLineSink journal)
      : ring_(ring), point_(std::move(point)), journal_(std::move(journal)) {}

  void Handle(std::span<const uint8_t> datagram);
  // Forgets the sequence, as for a new stream.
  void Restart() { started_ = false; }
  const TOscCounters& Counters() const { return counters_; }

 private:
  void Point(uint32_t colour) const {
    if (point_) point_(colour);
  }
  void Line(const std::string& line) const {
    if (journal_) journal_(line);
  }
  TOscRing& ring_;
  TPointSink point_;
  TLineSink journal_;
  TOscCounters counters_;
  bool started_ = false;
  uint8_t last_ = 0, expected_ = 0;
};

}  // namespace vlm
