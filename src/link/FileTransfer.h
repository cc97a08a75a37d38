#pragma once
// Whole-file transfers and directory listings built from the single service requests.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/ServiceRequests.h"

namespace vlm {

// Called after every block: bytes done so far and the total.
using TTransferProgress = std::function<void(uint64_t done, uint64_t total)>;

// Looks the file up for its size, then reads it in 230-byte blocks (the configuration read).
bool ReadControllerFile(TControllerLink& link, const std::string& name, std::vector<uint8_t>& out,
                   const TTransferProgress& progress = {});
// As ReadWholeFile, but over UDP the first block tries the long read (1420 bytes); when the
// controller does not deliver it the rest goes in 230-byte blocks (the file exchange service).
bool CopyControllerFile(TControllerLink& link, const std::string& name, std::vector<uint8_t>& out,
                    const TTransferProgress& progress = {});
// Block sizes of a whole-file read. Block answers carry no offset, so an answer owed to an
// earlier block (late, or duplicated on the way) could pass for the current one; sizes are
// chosen so that no two of the last kSpan requests expect the same count, and the link takes
// only an answer of the expected count.
class TBlockTags {
 public:
  static constexpr size_t kSpan = 8;
  // The block size to ask for, at most maxBlock, with `left` bytes of the file still to read.
  size_t Next(size_t maxBlock, size_t left);

 private:
  bool Seen(size_t count) const;
  void Remember(size_t count);
  std::vector<size_t> recent_;
  size_t turn_ = 0;
};

// When a written file is read back and compared.
enum class TWriteCheck {
  WhenUncertain,  // over UDP always, on a serial line when a try failed on the way
  Always,
  Never,  // tests of the writing itself
};

// Writes the file in 230-byte blocks (the configuration write); over UDP several blocks are
// under way at once (Settings.WriteWindow). Success means the controller holds exactly `data`.
bool WriteControllerFile(TControllerLink& link, const std::string& name, std::span<const uint8_t> data,
                         const TTransferProgress& progress = {}, TWriteCheck check = TWriteCheck::WhenUncertain);

struct TVerifyResult {
  bool read = false;   // the file could be read back
  bool equal = false;
  size_t firstDifference = 0;
  size_t sizeOnController = 0;
};
// Reads the file back and compares it with `data` (LastFailure Mismatch when it differs).
bool VerifyControllerFile(TControllerLink& link, const std::string& name, std::span<const uint8_t> data,
                          TVerifyResult* result = nullptr);
// Lists PathMask block by block until the controller reports the end of the list.
bool ListControllerDir(TControllerLink& link, const std::string& mask, std::vector<TDirEntry>& entries);

}  // namespace vlm
