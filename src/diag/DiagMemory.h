#pragma once
// Reads and writes of controller memory for the diagnostic windows. Addresses are far pointers
// (segment in the high half). Every request adds one point to the window's indicator; reads are
// tried up to three times. Pointers come from the controller and are not trusted: a request that
// would leave its segment or enter the reserved F-segments is refused before anything is sent.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vlm {

class TControllerLink;

using TFarPtr = uint32_t;

inline uint16_t SegmentOf(TFarPtr p) { return uint16_t(p >> 16); }
inline uint16_t OffsetOf(TFarPtr p) { return uint16_t(p); }
inline TFarPtr MakeFarPtr(uint16_t segment, uint16_t offset) { return TFarPtr(segment) << 16 | offset; }
// Segments F000h and above carry the recorders' linear space, never diagnostic structures.
inline bool IsReservedSegment(TFarPtr p) { return SegmentOf(p) >= 0xF000; }
// Whether count bytes at p stay inside p's segment.
inline bool FitsSegment(TFarPtr p, size_t count) { return size_t(OffsetOf(p)) + count <= 0x10000; }
// "SSSS:OOOO" in upper-case hexadecimal.
std::string FarPtrText(TFarPtr p);

// Colours of the indicator points (Windows values, blue in the high byte).
namespace DiagPoint {
constexpr uint32_t Green = 0x008000, Red = 0x0000FF, Lime = 0x00FF00;
}

class TDiagMemory {
 public:
  static constexpr int kAttempts = 3;
  // One serial answer carries at most 255 bytes: 8 of frame and 247 of data.
  static constexpr size_t kReadPiece = 247;

  explicit TDiagMemory(TControllerLink& link) : link_(link) {}
  TControllerLink& Link() { return link_; }

  void SetIndicator(std::function<void(uint32_t colour)> indicator) { indicator_ = std::move(indicator); }
  void AddPoint(uint32_t colour) const {
    if (indicator_) indicator_(colour);
  }

  // Up to three ReadMemory requests, one indicator point each. Longer reads go in pieces.
  bool ReadDiagMemory(TFarPtr address, std::span<uint8_t> out);
  // One WriteMemory per 249 bytes.
  bool WriteDiagMemory(TFarPtr address, std::span<const uint8_t> data);

  // Length byte and up to 255 characters: 32 bytes first, the rest only when the string is
  // longer. Raw bytes; nullopt when a read fails or the string would leave its segment.
  std::optional<std::string> ReadText(TFarPtr address);

  // Reads the areas ahead in batches (link/MemoryReader) and keeps them until Forget(): a
  // later read inside one is served from it without a request, a read inside one left unread
  // (the controller fell silent) fails without one. Areas that would be refused, empty or longer
  // than one piece are left to their own reads.
  struct TArea {
    TFarPtr Address = 0;
    size_t Count = 0;
  };
  void Prefetch(std::span<const TArea> areas);
  void Forget() {
    prefetched_.clear();
    silent_ = false;
  }
  // The bytes at address when a prefetch read them; never sends a request.
  bool Peek(TFarPtr address, std::span<uint8_t> out) const;

  // Requests sent so far (each attempt counts).
  uint64_t Requests() const { return requests_; }
  // Why the last read or write was refused without a request, empty when it was not.
  const std::string& Refusal() const { return refusal_; }

 private:
  bool Refuse(TFarPtr address, size_t count);
  struct TPrefetched {
    TFarPtr Address;
    std::vector<uint8_t> Bytes;
    bool Read;
  };
  const TPrefetched* Prefetched(TFarPtr address, size_t count) const;
  std::vector<TPrefetched> prefetched_;
  int prefetchScopes_ = 0;
  bool silent_ = false;  // a prefetch of this step got no answer at all: the rest are not sent
  friend class TDiagPrefetch;
  TControllerLink& link_;
  std::function<void(uint32_t)> indicator_;
  uint64_t requests_ = 0;
  std::string refusal_;
};

// The first read of a string (TDiagMemory::ReadText): 32 bytes, or what is left of the segment.
inline TDiagMemory::TArea TextHeadArea(TFarPtr at) { return {at, std::min<size_t>(32, 0x10000 - OffsetOf(at))}; }

// Keeps what one step prefetched for that step only: values read later are read again.
class TDiagPrefetch {
 public:
  explicit TDiagPrefetch(TDiagMemory& memory) : memory_(memory) { ++memory_.prefetchScopes_; }
  // The outermost step forgets: a folder scanned inside a tree walk keeps the walk's reads.
  ~TDiagPrefetch() {
    if (--memory_.prefetchScopes_ == 0) memory_.Forget();
  }
  TDiagPrefetch(const TDiagPrefetch&) = delete;
  TDiagPrefetch& operator=(const TDiagPrefetch&) = delete;

 private:
  TDiagMemory& memory_;
};

// Opens the link for one step of a window (a tick, a click) unless an operation around it has it
// open already; closes it again only when it opened it, so nested steps never cut the outer one off.
class TDiagLinkUse {
 public:
  explicit TDiagLinkUse(TControllerLink& link);
  ~TDiagLinkUse();
  TDiagLinkUse(const TDiagLinkUse&) = delete;
  TDiagLinkUse& operator=(const TDiagLinkUse&) = delete;

 private:
  TControllerLink& link_;
  bool opened_;
};

}  // namespace vlm
