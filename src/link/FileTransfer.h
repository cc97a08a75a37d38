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
// Writes the file in 230-byte blocks (the configuration write).
bool WriteControllerFile(TControllerLink& link, const std::string& name, std::span<const uint8_t> data,
                    const TTransferProgress& progress = {});
// Lists PathMask block by block until the controller reports the end of the list.
bool ListControllerDir(TControllerLink& link, const std::string& mask, std::vector<TDirEntry>& entries);

}  // namespace vlm
