#pragma once
// Wire constants of the service link as the controller sees them. The codes and limits come from
// the one protocol header the program's link reads too; the simulator's request handling stays
// its own.
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/ServiceProtocol.h"

namespace vlm::sim {

enum class Command : uint8_t {
  ReadMemory = wire::kCmdReadMemory,
  WriteMemory = wire::kCmdWriteMemory,
  Reset = wire::kCmdReset,
  Find = wire::kCmdFind,
  ReadFileBlock = wire::kCmdReadBlock,
  WriteFileBlock = wire::kCmdWriteBlock,
  ChangeDir = wire::kCmdChangeDir,
  DeleteFile = wire::kCmdDelete,
  ReadMemoryAreas = wire::kCmdReadAreas,
  ReadFileBlockLong = wire::kCmdReadBlockLong,
  ListDirBlock = wire::kCmdListDir,
};

using wire::kDosAccessDenied;
using wire::kDosFileNotFound;
using wire::kDosNoMoreFiles;
using wire::kDosOk;
using wire::kDosPathNotFound;

using wire::FrameChecksum;
using wire::kMaxDatagram;
using wire::kMaxFrame;
using wire::kMaxFrameN;
using wire::kMaxNameLength;
using wire::kNameField;
inline constexpr size_t kMaxLongBlock = wire::kLongBlock;

}  // namespace vlm::sim
