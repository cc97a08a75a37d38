#pragma once
// The firmware's diagnostic tree as a real controller publishes it: a processor folder, ports
// with counters, remote points with their link state, parameters of every kind, and the TI, TS
// and tablo tables of the IEC 104 service. Everything lives in real memory segments 1000h-5FFFh;
// Tick moves the values on (counters, measurements, telesignals), drawing from a generator seeded
// by the simulator's seed, and always from what memory holds, so a value written over the link
// goes on from there.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "sim/SimMemory.h"

namespace vlm::sim {

class SimDiagTree {
 public:
  static constexpr unsigned kTickMs = 200;
  static constexpr size_t kTiRecords = 300, kTsRecords = 400, kTabloRecords = 240;

  explicit SimDiagTree(uint64_t seed) : seed_(seed) {}

  // Lays the tree out and points 0000:0208 at its root (the boot hook).
  void Publish(SimMemory& memory);
  // One step of the running firmware.
  void Tick(SimMemory& memory);

  size_t Objects() const { return objects_; }
  uint32_t Root() const { return root_; }

 private:
  enum class Change : uint8_t { Counter32, Counter16, Wander16, Float, Real48, Flip, Bits, Block, Clock, Uptime, Mode };
  struct Live {
    uint32_t data;  // far pointer
    Change change;
    uint32_t step;  // largest increment, or a flip's chance in 1000
  };
  struct Region {
    uint16_t segment;
    uint16_t last;  // last segment of the region
    uint32_t offset = 0;
  };
  class Builder;
  friend class Builder;

  std::mt19937_64 random_{1};
  uint64_t seed_;
  std::vector<Live> live_;
  std::vector<uint32_t> portHeaders_, portLinks_;  // port objects and the link bytes of their points
  uint32_t tiRecords_ = 0, tsRecords_ = 0, tabloRecords_ = 0;
  uint32_t ticks_ = 0;
  size_t objects_ = 0;
  uint32_t root_ = 0;
};

}  // namespace vlm::sim
