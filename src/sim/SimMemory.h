#pragma once
// The controller's memory as the service link reaches it: 1 MiB of real-mode memory addressed by
// segment:offset, and a linear address space above it. A segment whose top hex digit is F does
// not name real-mode memory: segment and offset together carry a linear address (the segment's
// low 12 bits are its high word). That space holds the buffers of the traffic recorders; its
// regions are mapped by whoever publishes them, and unmapped bytes read as zero.
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace vlm::sim {

constexpr uint32_t kRealMemorySize = 0x100000;

// Slots of the interrupt vector table where the firmware publishes its structures.
constexpr uint16_t kDiagRootOffset = 0x0208;      // far pointer of the diagnostic root object
constexpr uint16_t kRecorderChainOffset = 0x0218;  // far pointer of the first recorder descriptor
constexpr uint16_t kTextScreenSegment = 0xB800;    // 80 x 50 text screen, 2 bytes per cell

inline bool IsLinearSegment(uint16_t segment) { return (segment & 0xF000) == 0xF000; }
inline uint32_t LinearOf(uint16_t segment, uint16_t offset) {
  return (static_cast<uint32_t>(segment & 0x0FFF) << 16) | offset;
}

class SimMemory {
 public:
  SimMemory();

  // Addresses wrap at 1 MiB as on the 8086; linear reads of unmapped bytes give zero.
  void Read(uint16_t segment, uint16_t offset, std::span<uint8_t> out) const;
  // Writes into unmapped linear space are dropped, as on a bus with nothing behind it.
  void Write(uint16_t segment, uint16_t offset, std::span<const uint8_t> data);

  // Back to the state after power-on: real memory cleared; mapped linear regions stay mapped
  // (their owners fill them again) but are cleared too.
  void Clear();

  // Maps size bytes of linear space at base (base must not overlap an existing region) and
  // returns them for the owner to fill.
  std::span<uint8_t> MapLinear(uint32_t base, size_t size);

  std::span<uint8_t> Real() { return real_; }
  std::span<const uint8_t> Real() const { return real_; }

 private:
  uint8_t* LinearByte(uint32_t address);
  std::vector<uint8_t> real_;
  std::map<uint32_t, std::vector<uint8_t>> linear_;
};

}  // namespace vlm::sim
