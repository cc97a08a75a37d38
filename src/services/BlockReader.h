#pragma once
// Reads a controller file whose size a search gave, block by block at advancing offsets: a block
// shorter than asked is followed by one from where it ended, and a controller that keeps
// answering with no bytes ends the read after a bounded number of tries instead of looping.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/FileTransfer.h"
#include "link/ServiceRequests.h"
#include "services/ServiceObserver.h"

namespace vlm {

// The long read (1420 bytes) is tried once per operation; when it fails or brings nothing, the
// whole operation reads 230-byte blocks.
enum class TReadMode { Undecided, Long, Short };

class TBlockReader {
 public:
  // `mode` may be shared by the files of one operation. `points` gets one point per request.
  TBlockReader(TControllerLink& link, std::string name, uint32_t size, TReadMode& mode,
               IServiceObserver* points = nullptr);

  bool Done() const { return offset_ >= size_; }
  // Where the next block starts (behind the last one read).
  uint32_t Offset() const { return offset_; }
  // False when the read failed (the link has shown its message) or only empty answers came.
  bool Next();
  std::span<const uint8_t> Block() const { return {buffer_.data(), got_}; }

 private:
  bool Request(size_t rest);

  TControllerLink& link_;
  std::string name_;
  uint32_t size_;
  TReadMode& mode_;
  IServiceObserver* points_;
  TBlockTags tags_;  // no two recent requests expect the same count: a late answer cannot pass
  std::vector<uint8_t> buffer_;
  uint32_t offset_ = 0;
  size_t got_ = 0;
};

}  // namespace vlm
