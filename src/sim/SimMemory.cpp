#include "sim/SimMemory.h"

#include <algorithm>
#include <stdexcept>

namespace vlm::sim {

SimMemory::SimMemory() : real_(kRealMemorySize, 0) {}

uint8_t* SimMemory::LinearByte(uint32_t address) {
  auto it = linear_.upper_bound(address);
  if (it == linear_.begin()) return nullptr;
  --it;
  const uint32_t offset = address - it->first;
  return offset < it->second.size() ? &it->second[offset] : nullptr;
}

void SimMemory::Read(uint16_t segment, uint16_t offset, std::span<uint8_t> out) const {
  auto* self = const_cast<SimMemory*>(this);
  if (IsLinearSegment(segment)) {
    uint32_t address = LinearOf(segment, offset);
    for (uint8_t& b : out) {
      const uint8_t* p = self->LinearByte(address++);
      b = p ? *p : 0;
    }
    return;
  }
  uint32_t address = (static_cast<uint32_t>(segment) << 4) + offset;
  for (uint8_t& b : out) b = real_[address++ % kRealMemorySize];
}

void SimMemory::Write(uint16_t segment, uint16_t offset, std::span<const uint8_t> data) {
  if (IsLinearSegment(segment)) {
    uint32_t address = LinearOf(segment, offset);
    for (uint8_t b : data)
      if (uint8_t* p = LinearByte(address++)) *p = b;
    return;
  }
  uint32_t address = (static_cast<uint32_t>(segment) << 4) + offset;
  for (uint8_t b : data) real_[address++ % kRealMemorySize] = b;
}

void SimMemory::Clear() {
  std::fill(real_.begin(), real_.end(), 0);
  for (auto& [base, bytes] : linear_) std::fill(bytes.begin(), bytes.end(), 0);
}

std::span<uint8_t> SimMemory::MapLinear(uint32_t base, size_t size) {
  const uint64_t end = uint64_t(base) + size;
  for (const auto& [otherBase, bytes] : linear_)
    if (base < otherBase + bytes.size() && otherBase < end)
      throw std::invalid_argument("linear region overlaps an existing one");
  auto& region = linear_[base];
  region.assign(size, 0);
  return region;
}

}  // namespace vlm::sim
