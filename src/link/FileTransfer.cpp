#include "link/FileTransfer.h"

#include <algorithm>

namespace vlm {
namespace {

// A size from the controller is trusted only this far: a damaged search answer must not make
// the program allocate gigabytes.
constexpr uint32_t kMaxRemoteFile = 64u << 20;
// A listing that never ends (a controller repeating its first block) is cut off here.
constexpr int kMaxListBlocks = 65536;

// The search is not a block request and is sent once by itself; a transfer repeats it when
// only the answer went missing, as it does for each block.
bool FindForTransfer(TControllerLink& link, TDirEntry& entry) {
  for (int i = 0; i < std::max(1, link.Settings.Attempts); ++i) {
    if (FindFile(link, true, &entry)) return true;
    if (link.LastFailure != TLinkFailure::NoAnswer) return false;
  }
  return false;
}

enum class TReadMode { Undecided, Long, Short };

bool ReadBlocks(TControllerLink& link, const std::string& name, std::vector<uint8_t>& out,
                const TTransferProgress& progress, TReadMode mode) {
  link.File.FileName = name;
  TDirEntry entry;
  if (!FindForTransfer(link, entry)) return false;
  if (entry.IsDirectory() || entry.Size > kMaxRemoteFile) {
    link.LastFailure = TLinkFailure::BadAnswer;
    return false;
  }
  out.assign(entry.Size, 0);
  link.File.FileSize = entry.Size;
  uint32_t offset = 0;
  while (offset < entry.Size) {
    link.File.FileOffset = offset;
    const std::span<uint8_t> rest(out.data() + offset, entry.Size - offset);
    bool ok = false;
    if (mode != TReadMode::Short) {
      link.File.BlockSize = kBlockLong;
      ok = ReadFileBlockLong(link, rest.first(std::min<size_t>(rest.size(), kBlockLong))) && link.File.BlockGot > 0;
      if (mode == TReadMode::Undecided) mode = ok ? TReadMode::Long : TReadMode::Short;
    }
    if (mode == TReadMode::Short) {
      link.File.BlockSize = kBlockShort;
      ok = ReadFileBlock(link, rest.first(std::min<size_t>(rest.size(), kBlockShort)));
    }
    // A block may come shorter than asked; the next one starts where it ended. One that brings
    // nothing would leave the file with a hole while looking successful.
    if (!ok || link.File.BlockGot == 0) {
      if (ok) link.LastFailure = TLinkFailure::BadAnswer;
      return false;
    }
    offset += link.File.BlockGot;
    if (progress) progress(offset, entry.Size);
  }
  return true;
}

}  // namespace

bool ReadControllerFile(TControllerLink& link, const std::string& name, std::vector<uint8_t>& out,
                   const TTransferProgress& progress) {
  return ReadBlocks(link, name, out, progress, TReadMode::Short);
}

bool CopyControllerFile(TControllerLink& link, const std::string& name, std::vector<uint8_t>& out,
                    const TTransferProgress& progress) {
  // Over a serial line the expected length is one byte wide: a long block cannot be awaited.
  const TReadMode mode = link.Settings.LinkMode == kLinkUdp ? TReadMode::Undecided : TReadMode::Short;
  return ReadBlocks(link, name, out, progress, mode);
}

bool WriteControllerFile(TControllerLink& link, const std::string& name, std::span<const uint8_t> data,
                    const TTransferProgress& progress) {
  link.File.FileName = name;
  link.File.FileSize = uint32_t(data.size());
  uint32_t offset = 0;
  // An empty file still needs one (empty) block, or it would never be created.
  do {
    link.File.FileOffset = offset;
    link.File.BlockSize = uint16_t(std::min<size_t>(kBlockShort, data.size() - offset));
    if (!WriteFileBlock(link, data.subspan(offset))) return false;
    offset += link.File.BlockSize;
    if (progress) progress(offset, data.size());
  } while (offset < data.size());
  return true;
}

bool ListControllerDir(TControllerLink& link, const std::string& mask, std::vector<TDirEntry>& entries) {
  link.File.PathMask = mask;
  bool complete = false;
  for (int block = 0; block < kMaxListBlocks; ++block) {
    if (!ListDirBlock(link, block == 0, entries, complete)) return false;
    if (complete) return true;
  }
  link.LastFailure = TLinkFailure::BadAnswer;
  return false;
}

}  // namespace vlm
