// velmorctl commands on the controller's memory and the reset; the progress line of transfers.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "cli/CliArgs.h"
#include "cli/LinkCli.h"
#include "link/MemoryReader.h"
#include "link/ServiceRequests.h"
#include "platform/System.h"

namespace vlm::cli {
namespace {

// A memory request is sent once by the link; reading or writing the same bytes again is
// harmless, so the command repeats one whose answer was lost or damaged, as the file blocks do.
template <class TRequest>
bool Repeated(TControllerLink& link, TRequest request) {
  for (int i = 1;; ++i) {
    if (request()) return true;
    const bool retry = link.LastFailure == TLinkFailure::NoAnswer || link.LastFailure == TLinkFailure::BadAnswer;
    if (!retry || i >= std::max(1, link.Settings.Attempts)) return false;
  }
}

// Fits the one-byte expected length of a serial line (count + 8 <= 255) with room to spare.
constexpr size_t kPeekChunk = 240;
constexpr size_t kMaxPeek = 1 << 20;

bool ParseHex16(std::string_view text, uint16_t& out) {
  if (!text.empty() && (text.back() == 'h' || text.back() == 'H')) text.remove_suffix(1);
  unsigned value = 0;
  if (text.size() > 4 || !ParseNumber(std::string(text) + "h", 0xFFFF, value)) return false;
  out = uint16_t(value);
  return true;
}

// The address `advance` bytes on, carrying offset overflow into the segment.
void Advance(uint16_t& segment, uint16_t& offset, size_t advance) {
  const uint32_t next = uint32_t(offset) + uint32_t(advance);
  segment = uint16_t(segment + ((next >> 16) << 12));
  offset = uint16_t(next);
}

void PrintDump(uint16_t segment, uint16_t offset, const std::vector<uint8_t>& data) {
  for (size_t i = 0; i < data.size(); i += 16) {
    uint16_t s = segment, o = offset;
    Advance(s, o, i);
    std::printf("%04X:%04X ", s, o);
    for (size_t k = i; k < std::min(data.size(), i + 16); ++k) std::printf(" %02X", data[k]);
    std::printf("\n");
  }
}

size_t gProgressWidth = 0;

}  // namespace

bool ParseAddress(const std::string& text, uint16_t& segment, uint16_t& offset) {
  const size_t colon = text.find(':');
  return colon != std::string::npos && ParseHex16(std::string_view(text).substr(0, colon), segment) &&
         ParseHex16(std::string_view(text).substr(colon + 1), offset);
}

int RunPeek(TControllerLink& link, const TArgs& args) {
  uint16_t segment = 0, offset = 0;
  size_t count = 0;
  if (!ParseAddress(args[0], segment, offset)) return BadInput("peek", "bad address " + args[0] + " (SEG:OFF in hex)");
  try {
    count = std::stoul(args[1]);
  } catch (const std::exception&) {
    count = 0;
  }
  if (count == 0 || count > kMaxPeek) return BadInput("peek", "bad byte count " + args[1]);
  std::vector<uint8_t> data(count);
  if (args.size() > 2) {
    // Areas of the given size, batched by the memory reader of the windows.
    size_t area = 0;
    try {
      area = std::stoul(args[2]);
    } catch (const std::exception&) {
      area = 0;
    }
    if (area == 0 || area > 255) return BadInput("peek", "bad area size " + args[2] + " (1-255)");
    std::vector<TMemoryRead> reads;
    for (size_t done = 0; done < count; done += area) {
      uint16_t s = segment, o = offset;
      Advance(s, o, done);
      reads.push_back({s, o, std::span(data).subspan(done, std::min(area, count - done))});
    }
    TMemoryReader reader(link);
    reader.SetAttempts(link.Settings.Attempts);
    if (!reader.Read(reads)) return LinkFailed(link, "peek", args[0]);
    PrintDump(segment, offset, data);
    return kExitOk;
  }
  for (size_t done = 0; done < count; done += kPeekChunk) {
    uint16_t s = segment, o = offset;
    Advance(s, o, done);
    const std::span<uint8_t> chunk(data.data() + done, std::min(kPeekChunk, count - done));
    if (!Repeated(link, [&] { return ReadMemory(link, s, o, chunk); })) return LinkFailed(link, "peek", args[0]);
  }
  PrintDump(segment, offset, data);
  return kExitOk;
}

int RunPoke(TControllerLink& link, const TArgs& args) {
  uint16_t segment = 0, offset = 0;
  std::vector<uint8_t> data;
  if (!ParseAddress(args[0], segment, offset)) return BadInput("poke", "bad address " + args[0] + " (SEG:OFF in hex)");
  if (!ParseHexBytes({args.begin() + 1, args.end()}, SIZE_MAX, data) || data.empty())
    return BadInput("poke", "bad bytes (pairs of hex digits expected)");
  for (size_t done = 0; done < data.size(); done += kMemoryChunkMax) {
    uint16_t s = segment, o = offset;
    Advance(s, o, done);
    const std::span<const uint8_t> chunk(data.data() + done, std::min(kMemoryChunkMax, data.size() - done));
    if (!Repeated(link, [&] { return WriteMemory(link, s, o, chunk); })) return LinkFailed(link, "poke", args[0]);
  }
  return kExitOk;
}

int RunReset(TControllerLink& link, const TArgs&) {
  // The reset is never answered, so a missing controller would look like a done reset: ask it
  // for one byte of memory first.
  if (!ReadMemory(link, 0, 0, 1)) return LinkFailed(link, "reset", "controller check");
  return ResetController(link) ? kExitOk : LinkFailed(link, "reset", "reset request");
}

TTransferProgress StderrProgress(const std::string& label) {
  // Short transfers finish before a progress line could help.
  constexpr uint64_t kWorthShowing = 4 * 230;
  // A terminal gets one line rewritten per percent; a log file a line per tenth.
  const bool terminal = platform::StderrIsTerminal();
  return [label, terminal, lastStep = -1](uint64_t done, uint64_t total) mutable {
    if (total < kWorthShowing) return;
    const int percent = int(done * 100 / total);
    const int step = terminal ? percent : percent / 10;
    if (step == lastStep) return;
    lastStep = step;
    const int n = std::fprintf(stderr, "%s%s: %3d%% (%llu/%llu bytes)%s", terminal ? "\r" : "", label.c_str(),
                               percent, static_cast<unsigned long long>(done),
                               static_cast<unsigned long long>(total), terminal ? "" : "\n");
    gProgressWidth = terminal && n > 0 ? size_t(n) : 0;
  };
}

void EndProgress() {
  if (gProgressWidth) std::fputc('\n', stderr);
  gProgressWidth = 0;
}

}  // namespace vlm::cli
