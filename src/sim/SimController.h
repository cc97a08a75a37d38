#pragma once
// The controller's side of the service requests: recognises a request frame, carries it out on
// the simulated memory and disk, and builds the answer frame.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "sim/SimDisk.h"
#include "sim/SimMemory.h"

namespace vlm::sim {

// What the carrier of the link allows in one answer. A serial client reads exactly the number of
// bytes it expects, so there every answer is fitted to that length (padded with zeros before the
// checksum, or cut) and the long block read carries only what fits; a datagram may be larger.
struct LinkProfile {
  const char* name;
  size_t listBlockBytes;  // bytes of directory entries in one listing block
  size_t longBlockMax;    // data bytes of one long block read
  bool fitToExpected;
};
inline constexpr LinkProfile kUdpLink{"udp", 440, 1420, false};
inline constexpr LinkProfile kSerialLink{"serial", 40, 0, true};

enum class FrameCheck { Valid, Incomplete, Invalid };
// Whether bytes start with a whole, well-formed request (known command, a length that fits the
// command's layout, right checksum); frameSize receives its length when valid.
FrameCheck CheckRequestFrame(std::span<const uint8_t> bytes, size_t& frameSize);

class SimController {
 public:
  SimController(SimDisk& disk, SimMemory& memory);

  struct Outcome {
    bool answered = false;
    std::vector<uint8_t> answer;
    std::string summary;  // one line for the request log
  };
  // frame must be a valid request (CheckRequestFrame); anything else is refused without answer.
  Outcome Handle(std::span<const uint8_t> frame, const LinkProfile& link);

  // Runs at start and after every reset, so later parts of the firmware can publish their
  // structures in memory again.
  void SetBootHook(std::function<void(SimMemory&)> hook);
  void Boot();
  // Runs before every request is carried out: parts of the firmware that work on their own
  // (the traffic recorders) catch up with the time that passed.
  void SetRequestHook(std::function<void()> hook) { requestHook_ = std::move(hook); }
  // A controller whose firmware predates ReadMemoryAreas leaves it unanswered.
  void SetAreasRefused(bool refused) { areasRefused_ = refused; }
  // The length byte of an answer with more than 255 bytes behind it (before the checksum): 255,
  // or with this set, that number modulo 256, as some firmware writes it.
  void SetLongLengthModulo(bool modulo) { longLengthModulo_ = modulo; }
  unsigned Resets() const { return resets_; }

  struct Kind;
  static const Kind* FindKind(uint8_t code);

 private:
  struct Request;
  void ReadMemory(Request& r);
  void WriteMemory(Request& r);
  void Reset(Request& r);
  void Find(Request& r);
  void ReadFileBlock(Request& r);
  void ReadFileBlockLong(Request& r);
  void WriteFileBlock(Request& r);
  void ChangeDir(Request& r);
  void DeleteFile(Request& r);
  void ListDirBlock(Request& r);
  void ReadMemoryAreas(Request& r);

  // A search in progress: the matches taken at its first request and the next one to report.
  struct Search {
    std::vector<DosEntry> matches;
    size_t next = 0;
    bool active = false;
  };
  uint16_t StartSearch(Search& search, std::string_view mask);
  // Reads a block of the file named at nameAt and notes the request for the log.
  uint16_t ReadBlockFor(Request& r, size_t nameAt, uint32_t offset, size_t block, std::vector<uint8_t>& data);

  SimDisk& disk_;
  SimMemory& memory_;
  std::function<void(SimMemory&)> bootHook_;
  std::function<void()> requestHook_;
  bool areasRefused_ = false;
  bool longLengthModulo_ = false;
  Search find_;
  Search list_;
  unsigned resets_ = 0;
};

}  // namespace vlm::sim
