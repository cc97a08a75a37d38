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
    if (link.LastFailure != TLinkFailure::NoAnswer && link.LastFailure != TLinkFailure::BadAnswer) return false;
  }
  return false;
}

enum class TReadMode { Undecided, Long, Short };

}  // namespace

bool TBlockTags::Seen(size_t count) const {
  return std::find(recent_.begin(), recent_.end(), count) != recent_.end();
}

size_t TBlockTags::Next(size_t maxBlock, size_t left) {
  const size_t span = std::min(kSpan, maxBlock);
  // Full blocks take kSpan sizes just under the maximum in turn.
  for (size_t i = 0; i < span; ++i) {
    const size_t size = maxBlock - (turn_ + i) % span;
    const size_t count = std::min(size, left);
    if (!Seen(count)) {
      turn_ = (turn_ + i + 1) % span;
      Remember(count);
      return size;
    }
  }
  // The last block's count was seen lately: ask for a little less (one small block more is
  // cheaper than a doubt).
  for (size_t size = std::min(left, maxBlock); size-- > 1;)
    if (!Seen(size)) {
      Remember(size);
      return size;
    }
  Remember(std::min(maxBlock, left));
  return maxBlock;
}

void TBlockTags::Remember(size_t count) {
  recent_.push_back(count);
  if (recent_.size() >= kSpan) recent_.erase(recent_.begin());
}

namespace {

bool ReadBlocks(TControllerLink& link, const std::string& name, std::vector<uint8_t>& out,
                const TTransferProgress& progress, TReadMode mode) {
  link.File.FileName = name;
  TDirEntry entry;
  if (!FindForTransfer(link, entry)) return false;
  if (entry.IsDirectory() || entry.Size > kMaxRemoteFile) {
    link.LastFailure = entry.IsDirectory() ? TLinkFailure::IsDirectory : TLinkFailure::BadAnswer;
    return false;
  }
  out.assign(entry.Size, 0);
  link.File.FileSize = entry.Size;
  TBlockTags tags;
  uint32_t offset = 0;
  while (offset < entry.Size) {
    link.File.FileOffset = offset;
    const std::span<uint8_t> rest(out.data() + offset, entry.Size - offset);
    bool ok = false;
    if (mode != TReadMode::Short) {
      link.File.BlockSize = uint16_t(tags.Next(kBlockLong, rest.size()));
      ok = ReadFileBlockLong(link, rest.first(std::min<size_t>(rest.size(), link.File.BlockSize))) &&
           link.File.BlockGot > 0;
      if (mode == TReadMode::Undecided) mode = ok ? TReadMode::Long : TReadMode::Short;
      if (!ok && link.LastFailure == TLinkFailure::Disconnected) return false;
    }
    if (mode == TReadMode::Short && !ok) {
      link.File.BlockSize = uint16_t(tags.Next(kBlockShort, rest.size()));
      ok = ReadFileBlock(link, rest.first(std::min<size_t>(rest.size(), link.File.BlockSize)));
    }
    // The answer filter takes only a block of the expected count; one that brings nothing
    // would leave the file with a hole while looking successful.
    if (!ok || link.File.BlockGot == 0) {
      if (ok) link.LastFailure = TLinkFailure::BadAnswer;
      return false;
    }
    offset += link.File.BlockGot;
    if (progress) progress(offset, entry.Size);
  }
  return true;
}

// Block by block, each answered before the next goes out: the controller's own way, and the
// only one a serial line has.
bool WriteBlockByBlock(TControllerLink& link, std::span<const uint8_t> data, const TTransferProgress& progress,
                       size_t firstBlock) {
  uint32_t offset = uint32_t(std::min(firstBlock * kBlockShort, data.size()));
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

// A window of blocks goes out back to back and then its answers are counted. Write answers
// carry nothing but the error code, so a window is done only when all of its answers came; any
// shortfall lets the link fall quiet and sends the window again (a block written twice at the
// same offset is the same file). The window halves after a failure and grows back after
// success. What counting cannot prove (a duplicated answer standing in for a lost one), the
// read-back of the whole file does.
bool WriteWindowed(TControllerLink& link, std::span<const uint8_t> data, size_t maxWindow,
                   const TTransferProgress& progress, size_t firstBlock) {
  const size_t blocks = std::max<size_t>(1, (data.size() + kBlockShort - 1) / kBlockShort);
  size_t next = std::min(firstBlock, blocks - 1), window = maxWindow, windowsSent = 0;
  int failures = 0;
  while (next < blocks) {
    const size_t n = std::min(window, blocks - next);
    bool sent = true;
    for (size_t k = next; k < next + n && sent; ++k) {
      const size_t offset = k * kBlockShort;
      link.File.FileOffset = uint32_t(offset);
      link.File.BlockSize = uint16_t(std::min<size_t>(kBlockShort, data.size() - offset));
      sent = SendFileBlockAhead(link, data.subspan(offset));
    }
    if (!sent) return false;
    size_t answered = 0;
    while (answered < n && AwaitFileBlockAnswer(link)) ++answered;
    if (answered == n) {
      next += n;
      failures = 0;
      window = std::min(maxWindow, window * 2);
      if (progress) progress(std::min<uint64_t>(next * kBlockShort, data.size()), data.size());
      continue;
    }
    const TLinkFailure why = link.LastFailure;
    const uint16_t code = link.LastDosError;
    if (why == TLinkFailure::Busy || why == TLinkFailure::Disconnected) return false;
    if (why == TLinkFailure::DosError) link.QuietLink();  // the rest of the window may still answer
    // A shortfall of a wider window only narrows it: a window of eight fails when any of its
    // sixteen datagrams does, and counting that as a try would give a file up on a line where
    // each block alone gets through. The tries are counted block by block, as for single writes.
    if (n > 1) failures = 0;
    if ((n == 1 && ++failures >= std::max(1, link.Settings.Attempts)) || ++windowsSent > 4 * blocks + 64) {
      link.LastFailure = why;
      link.LastDosError = code;
      ShowWriteFailure(link);
      return false;
    }
    // A block lost in an earlier window whose answer a duplicate stood in for ends the file
    // early on the controller: writing goes on from where the file really ends.
    TDirEntry entry;
    if (FindFile(link, true, &entry) && !entry.IsDirectory()) next = std::min<size_t>(next, entry.Size / kBlockShort);
    window = std::max<size_t>(1, window / 2);
  }
  return true;
}

bool WriteOnce(TControllerLink& link, std::span<const uint8_t> data, const TTransferProgress& progress,
               size_t firstBlock = 0) {
  const size_t window = link.Settings.LinkMode == kLinkUdp ? size_t(std::clamp(link.Settings.WriteWindow, 1, 32)) : 1;
  return window > 1 ? WriteWindowed(link, data, window, progress, firstBlock)
                    : WriteBlockByBlock(link, data, progress, firstBlock);
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

bool VerifyControllerFile(TControllerLink& link, const std::string& name, std::span<const uint8_t> data,
                          TVerifyResult* result) {
  std::vector<uint8_t> back;
  TVerifyResult r;
  r.read = CopyControllerFile(link, name, back);
  if (r.read) {
    const auto diff = std::mismatch(data.begin(), data.end(), back.begin(), back.end());
    r.equal = diff.first == data.end() && diff.second == back.end();
    r.firstDifference = size_t(diff.first - data.begin());
    r.sizeOnController = back.size();
  }
  if (result) *result = r;
  if (r.read && !r.equal) link.LastFailure = TLinkFailure::Mismatch;
  return r.read && r.equal;
}

bool WriteControllerFile(TControllerLink& link, const std::string& name, std::span<const uint8_t> data,
                         const TTransferProgress& progress, TWriteCheck check) {
  link.File.FileName = name;
  link.File.FileSize = uint32_t(data.size());
  const TLinkCounters before = link.Counters();
  if (!WriteOnce(link, data, progress)) return false;
  // Datagrams can be duplicated, and a duplicated write answer is indistinguishable from the
  // answer to a block that never arrived: over UDP only reading the file back makes it certain.
  // A serial line has no duplicates; it is read back when a try failed on the way.
  const TLinkCounters& after = link.Counters();
  const bool doubt = link.Settings.LinkMode != kLinkSerial || after.timeouts != before.timeouts ||
                     after.rejected != before.rejected || after.stale != before.stale;
  if (check == TWriteCheck::Never || (check == TWriteCheck::WhenUncertain && !doubt)) return true;
  // A mismatch is written again from its block on (the whole file when the controller's copy is
  // longer: only a write at offset 0 shortens it) and read back again, as long as every pass
  // gets further; a mismatch that stays is reported, never taken for success.
  size_t reached = 0;
  for (int pass = 0;; ++pass) {
    TVerifyResult verified;
    if (VerifyControllerFile(link, name, data, &verified)) return true;
    if (link.LastFailure != TLinkFailure::Mismatch) return false;
    const size_t from = verified.firstDifference < data.size() ? verified.firstDifference / kBlockShort : 0;
    if (pass >= std::max(1, link.Settings.Attempts) && from <= reached) return false;
    reached = std::max(reached, from);
    link.File.FileName = name;
    link.File.FileSize = uint32_t(data.size());
    if (!WriteOnce(link, data, progress, from)) return false;
  }
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
