#pragma once
// The service requests of the controller: memory, reset and file access. Each builds its frame in
// the link's RequestBuffer, exchanges it and checks the answer within the bytes actually received.
// A request started while another exchange waits fails at once and touches no buffer.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/ServiceProtocol.h"
#include "link/Velmor_PC.h"

namespace vlm {

using namespace wire;  // command codes, DOS error codes

inline constexpr size_t kFileNameMax = kMaxNameLength;
inline constexpr size_t kPathMaskMax = 79;
inline constexpr size_t kChangeDirMax = 80;
inline constexpr uint16_t kBlockShort = uint16_t(kShortBlock);
inline constexpr uint16_t kBlockLong = uint16_t(kLongBlock);
inline constexpr size_t kMemoryChunkMax = 249;  // data bytes of one WriteMemory frame
inline constexpr size_t kMaxAreas = 50;

// Text of a DOS error code as the controller reports it.
std::string DosErrorText(uint16_t code);

// One directory entry of a search or listing answer.
struct TDirEntry {
  uint8_t Attr = 0;
  uint32_t DateTime = 0;  // packed DOS date-time: time in the low half, date in the high half
  uint32_t Size = 0;
  std::string Name;       // UTF-8
  bool IsDirectory() const { return (Attr & 0x10) != 0; }
};

struct TMemoryArea {
  uint16_t Offset = 0;
  uint16_t Segment = 0;
  uint8_t Count = 0;
};

// Memory: the data of a successful ReadMemory is at ResponseBuffer[7..]; the overload copies it.
bool ReadMemory(TControllerLink& link, uint16_t segment, uint16_t offset, uint8_t count);
bool ReadMemory(TControllerLink& link, uint16_t segment, uint16_t offset, std::span<uint8_t> out);
bool WriteMemory(TControllerLink& link, uint16_t segment, uint16_t offset, std::span<const uint8_t> data);
// The areas' data follow one another from ResponseBuffer[2].
bool ReadMemoryAreas(TControllerLink& link, std::span<const TMemoryArea> areas);
bool ResetController(TControllerLink& link);

// File requests take their name, offset and sizes from link.File.
bool FindFile(TControllerLink& link, bool first, TDirEntry* found = nullptr);
bool FindMask(TControllerLink& link, bool first, TDirEntry* found = nullptr);
// The block read request for link.File (name, offset, size, BlockSize) in RequestBuffer, short
// (230) or long (1420), without sending it.
void BuildReadBlockRequest(TControllerLink& link, bool longRead);
// The fields of a block read answer; false when the bytes are too short for them.
struct TBlockAnswer {
  uint16_t code = 0;
  size_t count = 0;                // as the answer says (the long read is capped at 1420)
  std::span<const uint8_t> data;   // count bytes
};
bool ParseBlockAnswer(std::span<const uint8_t> answer, bool longRead, TBlockAnswer& fields);
// Copy at most destination.size() bytes; link.File.BlockGot tells how many came.
bool ReadFileBlock(TControllerLink& link, std::span<uint8_t> destination);
bool ReadFileBlockLong(TControllerLink& link, std::span<uint8_t> destination);
// Writes min(BlockSize, 230, source.size()) bytes and sets BlockSize to that length.
bool WriteFileBlock(TControllerLink& link, std::span<const uint8_t> source);
// The same block sent without waiting, for a window of blocks whose answers are taken later
// one by one (answers carry nothing but the error code, so only their number tells).
bool SendFileBlockAhead(TControllerLink& link, std::span<const uint8_t> source);
// The message of a block write that failed with a DOS error or a damaged answer (none for a
// lost one: the caller explains that).
void ShowWriteFailure(const TControllerLink& link);
bool AwaitFileBlockAnswer(TControllerLink& link);
bool ChangeDir(TControllerLink& link, const std::string& path);
bool DeleteRemoteFile(TControllerLink& link);
// Appends the block's entries; `complete` becomes true when the controller says the list ended.
bool ListDirBlock(TControllerLink& link, bool first, std::vector<TDirEntry>& entries, bool& complete);

}  // namespace vlm
