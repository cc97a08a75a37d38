#pragma once
// The one reader of whole controller files: every operation that brings a file's bytes to the PC
// (get, the file window's copy, view and compare, the upload check, the configuration read, the
// comparison before a write, fleet backup, the read-backs after writes) goes through it. It either
// delivers exactly the controller's bytes or fails with the cause in link.LastFailure; why that is
// certain is written down in docs/architecture.md ("Reading whole files").
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/ServiceRequests.h"

namespace vlm {

// Called as blocks arrive: bytes done so far and the total (a confirming pass starts again).
using TTransferProgress = std::function<void(uint64_t done, uint64_t total)>;

struct TReadOptions {
  TTransferProgress progress;
  // One call per request: answered (true) or given up (false), for the link indicator.
  std::function<void(bool answered)> point;
  // Asked between blocks; true ends the read with TLinkFailure::Stopped.
  std::function<bool()> stopRequested;
  // Over UDP the first block tries the long read (1420 bytes); a controller without it is read
  // in 230-byte blocks. A serial line always reads 230-byte blocks.
  bool longBlocks = true;
  // Shows "Ошибка чтения файла." when the blocks could not be read (windows); velmorctl and the
  // callers that explain failures themselves turn it off.
  bool showReadError = true;
  // The file's search answer when the caller has just had it (no second search).
  const TDirEntry* found = nullptr;
};

// What one read saw, for velmorctl's notes, tests and benchmarks.
struct TReadReport {
  int passes = 0;           // 1, or more when a pass had to be confirmed
  bool longBlocks = false;  // read with the long request
  uint64_t requests = 0;    // block requests sent, tries included
  uint64_t foreign = 0;     // block answers that belong to no request of this read
  uint64_t echoes = 0;      // the line gave our requests back (skipped)
  bool found = false;       // the search succeeded: a failure after it is one of reading
  TDirEntry entry;          // what the search said
};

// Looks the file up for its size and reads it whole.
bool ReadControllerFile(TControllerLink& link, const std::string& name, std::vector<uint8_t>& out,
                        const TReadOptions& options = {}, TReadReport* report = nullptr);
// The search of a transfer: repeated as a block request is, so a silent controller is "no
// answer", never "not found"; an answer naming another file is not taken.
bool FindControllerFile(TControllerLink& link, const std::string& name, TDirEntry& entry);

// The failure of the last read in the user's words: "Ошибка чтения файла." with the cause.
std::string ReadFailureText(const TControllerLink& link, const std::string& name);
// The cause alone, one line ending in "\r" (empty when the link has nothing to add).
std::string ReadFailureCause(const TControllerLink& link);

// Chooses block counts for a transfer over UDP so that no count is asked for at two offsets
// within one cycle (the count of an answer then names its block). A cycle runs from the maximum
// down to half of it; the blocks of later cycles share counts with earlier ones and are
// confirmed by a second reading. Only the last block of a file takes a count below the half.
class TBlockCounts {
 public:
  explicit TBlockCounts(size_t maxCount);
  // The count to ask for with `left` bytes still to read (at most the maximum), never one the
  // caller refuses; 0 when free counts were refused (the caller relaxes its conditions or waits
  // for an answer).
  size_t Next(size_t left, const std::function<bool(size_t)>& refuse = {});
  bool Used(size_t count) const { return count < used_.size() && used_[count]; }
  // Whether the counts given since the first cycle ended may have been given before.
  bool Reusing() const { return cycle_ > 0; }
  size_t Max() const { return used_.size() - 1; }

 private:
  std::vector<bool> used_;
  size_t cycle_ = 0;
};

}  // namespace vlm
