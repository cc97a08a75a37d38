// Whole files in blocks and listings in blocks.
#include <gtest/gtest.h>

#include "FakeTransport.h"
#include "common/Numbers.h"
#include "common/Prompt.h"
#include "link/FileTransfer.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

struct Transfers : test::TFakeControllerLink {
  std::vector<uint32_t> SentOffsets(uint8_t cmd, size_t at) const {
    std::vector<uint32_t> out;
    for (const auto& f : wire.sent)
      if (f[1] == cmd) out.push_back(GetU32(&f[at]));
    return out;
  }
};

TReadOptions ShortBlocks() {
  TReadOptions o;
  o.longBlocks = false;
  return o;
}

Bytes Pattern(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 31 + i / 256);
  return b;
}

TEST_F(Transfers, FilesAroundTheBlockSizeGoUpAndComeBackExactly) {
  for (size_t size : {0u, 1u, 229u, 230u, 231u, 460u, 461u, 65536u}) {
    SCOPED_TRACE(size);
    const Bytes data = Pattern(size);
    ASSERT_TRUE(WriteControllerFile(link, "f.bin", data));
    EXPECT_EQ(controller.files["f.bin"], data);
    Bytes back, copied;
    ASSERT_TRUE(ReadControllerFile(link, "f.bin", back));
    EXPECT_EQ(back, data);
    ASSERT_TRUE(ReadControllerFile(link, "f.bin", copied, ShortBlocks()));
    EXPECT_EQ(copied, data);
  }
  EXPECT_TRUE(prompt.errors.empty());
}

// A serial line reads full 230-byte blocks; writes go in 230-byte blocks.
TEST_F(Transfers, SerialReadsAndWritesGoIn230ByteBlocks) {
  controller.files["a"] = Pattern(461);
  link.Settings.LinkMode = kLinkSerial;
  Bytes out;
  ASSERT_TRUE(ReadControllerFile(link, "a", out));
  EXPECT_EQ(out, controller.files["a"]);
  EXPECT_EQ(SentOffsets(0x95, 2), (std::vector<uint32_t>{0, 230, 460}));

  wire.sent.clear();  // block by block, nothing read back without doubt
  ASSERT_TRUE(WriteControllerFile(link, "b", Pattern(460)));
  EXPECT_EQ(SentOffsets(0x96, 15), (std::vector<uint32_t>{0, 230}));
  EXPECT_EQ(wire.sent.back()[23], 230);

  wire.sent.clear();
  ASSERT_TRUE(WriteControllerFile(link, "empty", Bytes{}));  // still creates the file
  ASSERT_EQ(wire.sent.size(), 1u);
  EXPECT_EQ(wire.sent[0][23], 0);
  EXPECT_TRUE(controller.files.count("empty"));
}

TEST_F(Transfers, LongReadsFallBackToShortBlocksWhenTheControllerHasNone) {
  controller.longBlocks = false;
  controller.files["a"] = Pattern(3000);
  link.Settings.Attempts = 1;
  Bytes out;
  ASSERT_TRUE(ReadControllerFile(link, "a", out));
  EXPECT_EQ(out, controller.files["a"]);
  EXPECT_EQ(SentOffsets(0xA4, 5).size(), 1u);
  EXPECT_TRUE(prompt.errors.empty());  // a fallback that works is no error
}

TEST_F(Transfers, ProgressAndFailureStopTheTransfer) {
  controller.files["a"] = Pattern(1000);
  std::vector<uint64_t> progress;
  Bytes out;
  TReadOptions options = ShortBlocks();
  options.progress = [&](uint64_t done, uint64_t total) {
    EXPECT_EQ(total, 1000u);
    progress.push_back(done);
  };
  ASSERT_TRUE(ReadControllerFile(link, "a", out, options));
  EXPECT_EQ(progress, (std::vector<uint64_t>{230, 459, 687, 914, 1000}));
  options.stopRequested = [] { return true; };
  EXPECT_FALSE(ReadControllerFile(link, "a", out, options));
  EXPECT_EQ(link.LastFailure, TLinkFailure::Stopped);

  EXPECT_FALSE(ReadControllerFile(link, "missing", out));
  EXPECT_EQ(link.LastFailure, TLinkFailure::DosError);
}

TEST_F(Transfers, SearchOfATransferIsRepeatedWhenOnlyTheAnswerWasLost) {
  controller.files["a"] = Pattern(10);
  link.Settings.Attempts = 3;
  wire.answers = {Bytes{}, Bytes{}};
  Bytes out;
  ASSERT_TRUE(ReadControllerFile(link, "a", out));
  EXPECT_EQ(out, controller.files["a"]);
}

// A controller that stops answering half-way through a write is given up within the tries: the
// waits the link asks for add up to the backed-off tries (1 + 2 + 4 answer times) and one quiet,
// not a wait per narrowing of the window and a search after each.
TEST_F(Transfers, AControllerThatFallsSilentDuringAWriteIsGivenUpWithinTheTries) {
  link.Settings.Attempts = 3;
  ASSERT_EQ(link.Settings.WaitTime, 100);
  wire.duringWait = [&] {
    if (wire.sent.size() < 20 || !wire.controller) return;
    wire.waited = {};  // counted from the moment the controller fell silent
    wire.controller = nullptr;
    wire.ahead.clear();
  };
  EXPECT_FALSE(WriteControllerFile(link, "big.bin", Pattern(100000), {}, TWriteCheck::Always));
  link.CloseLink();
  EXPECT_EQ(link.LastFailure, TLinkFailure::NoAnswer);
  EXPECT_LE(wire.waited, std::chrono::milliseconds((1 + 2 + 4 + 1) * 100));
}

TEST_F(Transfers, ABlockWithoutBytesIsAFailureNotAHole) {
  controller.files["a"] = Pattern(500);
  Bytes out;
  // The search comes from the controller; every block read is answered with no bytes.
  wire.duringWait = [&] {
    if (wire.sent.back()[1] == 0x95) wire.answers = {test::Sealed({4, 0x95, 0, 0, 0, 0}), Bytes{}};
  };
  EXPECT_FALSE(ReadControllerFile(link, "a", out, ShortBlocks()));
  EXPECT_EQ(link.LastFailure, TLinkFailure::BadAnswer);  // the controller answered, with nothing
}

TEST_F(Transfers, ListingRunsUntilTheEndCodeWithoutAMessage) {
  link.Settings.ShowErrors = true;
  std::vector<TDirEntry> entries;
  ASSERT_TRUE(ListControllerDir(link, "c:\\*.*", entries));
  ASSERT_EQ(entries.size(), controller.listing.size());
  EXPECT_EQ(entries.back().Name, "x");
  EXPECT_EQ(link.LastDosError, 18);
  EXPECT_EQ(wire.sent.size(), 3u);
  EXPECT_EQ(wire.sent[0][5], 1);  // first, then next
  EXPECT_EQ(wire.sent[1][5], 0);
  EXPECT_TRUE(prompt.errors.empty());
}

}  // namespace
}  // namespace vlm
