#pragma once
// Reads of many small memory areas for the windows that poll the controller. The areas one step
// needs go together in ReadMemoryAreas requests (at most 50 areas, the answer within one frame
// of the link), so a slow link costs a round trip per batch instead of one per area. A
// controller that leaves area reads unanswered is read with one ReadMemory per area; what the
// controller did is remembered per link (TControllerLink::AreaReads) for every reader of it,
// the black box included.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "link/Velmor_PC.h"

namespace vlm {

struct TMemoryRead {
  uint16_t Segment = 0;
  uint16_t Offset = 0;
  std::span<uint8_t> Out;  // at most 255 bytes
  bool Done = false;       // set when the bytes came
};

class TMemoryReader {
 public:
  static constexpr size_t kMaxAreas = 50;
  // Room a batch keeps for the extra area that keeps its total apart from the recent ones.
  static constexpr size_t kPadMax = TControllerLink::TAreaReads::kRecent;
  // Data bytes of one area read answer: a datagram carries 1420 of them, a serial answer
  // whatever its 8-bit expected length (data + 3, the checksum read too) leaves.
  static constexpr size_t kUdpAnswerBytes = 1420, kSerialAnswerBytes = 252;

  explicit TMemoryReader(TControllerLink& link) : link_(link) {}

  // Tries of each request (a batch or a single read); 3 unless set.
  void SetAttempts(int attempts) { attempts_ = attempts < 1 ? 1 : attempts; }
  // Told of every request sent: whether it was answered (one indicator point each).
  void SetIndicator(std::function<void(bool answered)> indicator) { indicator_ = std::move(indicator); }

  // Reads the areas; true when every one came. A request that stays unanswered through its tries
  // ends the call: the areas behind it are not asked for, so a silent controller costs the
  // tries of one request, not of every area. Another exchange holding the link ends it at once.
  bool Read(std::span<TMemoryRead> reads);

  uint64_t Requests() const { return requests_; }

  // What the controller at the link's present address did with area reads; nullopt until known.
  static std::optional<bool> AreasAnswered(TControllerLink& link);
  static void RememberAreasAnswered(TControllerLink& link, bool answered);
  // The data bytes one answer may carry on this link.
  static size_t AnswerBytes(const TControllerLink& link);
  // The areas (by their counts) in request order, cut into batches of at most `maxAreas` areas
  // and `maxBytes` data bytes; an area alone over the limit is a batch of its own.
  static std::vector<std::vector<size_t>> Batches(std::span<const size_t> counts, size_t maxAreas, size_t maxBytes);

 private:
  bool ReadSingle(TMemoryRead& read);
  // One ReadMemoryAreas with its tries (at most `tries`); the data copied into the reads.
  bool ReadBatch(std::span<TMemoryRead* const> batch, int tries);
  void Point(bool answered);

  TControllerLink& link_;
  std::function<void(bool)> indicator_;
  int attempts_ = 3;
  uint64_t requests_ = 0;
};

}  // namespace vlm
