#pragma once
// Whole-file writes and directory listings built from the single service requests (whole-file
// reads: FileRead.h).
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/FileRead.h"
#include "link/ServiceRequests.h"

namespace vlm {

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
