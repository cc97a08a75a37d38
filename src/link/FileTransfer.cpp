#include "link/FileTransfer.h"

#include <algorithm>

#include "link/FileRead.h"

namespace vlm {
namespace {

// A listing that never ends (a controller repeating its first block) is cut off here.
constexpr int kMaxListBlocks = 65536;

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
    // A window that heard nothing at all is a try like a single block's: a controller that has
    // stopped answering is given up after the tries, not after every narrowing of the window.
    const bool heardNothing = answered == 0 && why == TLinkFailure::NoAnswer;
    if (n > 1 && !heardNothing) failures = 0;
    if (((n == 1 || heardNothing) && ++failures >= std::max(1, link.Settings.Attempts)) ||
        ++windowsSent > 4 * blocks + 64) {
      link.LastFailure = why;
      link.LastDosError = code;
      ShowWriteFailure(link);
      return false;
    }
    // A block lost in an earlier window whose answer a duplicate stood in for ends the file
    // early on the controller: writing goes on from where the file really ends.
    // (A window that heard nothing asks nothing more of a line that may be dead; a search that
    // got no answer in all its tries ends the write: the controller has stopped answering.)
    TDirEntry entry;
    if (!heardNothing) {
      if (FindControllerFile(link, link.File.FileName, entry)) {
        if (!entry.IsDirectory()) next = std::min<size_t>(next, entry.Size / kBlockShort);
      } else if (link.LastFailure == TLinkFailure::NoAnswer) {
        return false;
      }
    }
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

bool VerifyControllerFile(TControllerLink& link, const std::string& name, std::span<const uint8_t> data,
                          TVerifyResult* result) {
  std::vector<uint8_t> back;
  TVerifyResult r;
  r.read = ReadControllerFile(link, name, back);
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
