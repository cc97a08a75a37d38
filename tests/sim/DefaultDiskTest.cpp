// The drive a fresh controller starts with.
#include <gtest/gtest.h>

#include <set>

#include "SimTestUtil.h"
#include "common/PathText.h"
#include "sim/DefaultDisk.h"
#include "platform/System.h"

using namespace simtest;
using namespace vlm::sim;

namespace {

TEST(DefaultDisk, NewConfigurationImage) {
  vlm::platform::UseUtcAsLocalTime();
  const Bytes image = NewConfigImage(1715953530);  // 2024-05-17 13:45:30
  ASSERT_EQ(image.size(), 212u);
  EXPECT_EQ(std::string(image.begin(), image.begin() + 31), "         VELMOR   " " Config file ");
  EXPECT_EQ(image[31], 1);
  EXPECT_EQ(std::string(image.begin() + 32, image.begin() + 44), "Size:212    ");
  EXPECT_EQ(ToHex(Bytes(image.begin() + 44, image.begin() + 64)),
            "D4 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(std::string(image.begin() + 64, image.begin() + 112),
            "Date:17.05.2024 Time:13:45:30   CVer:4.1.9      ");
  EXPECT_EQ(ToHex(Bytes(image.begin() + 144, image.begin() + 210)),
            "F0 94 42 00 E0 95 05 00 00 E0 93 05 00 01 F0 66 34 00 E0 69 05 00 01 E0 67 05 00 00 "
            "F0 99 26 00 E0 69 05 00 01 E0 01 08 00 00 00 00 00 E0 BA 08 00 00 FF FF FF "
            "E0 BB 08 00 00 00 00 00 E0 68 05 00 00");
  unsigned sum = 0;
  for (size_t i = 0; i < 210; ++i) sum += image[i];
  EXPECT_EQ(image[210] | image[211] << 8, sum & 0xFFFF);
}

TEST(DefaultDisk, PrepareCreatesTheFolderAndKeepsExistingFiles) {
  vlm::test::TTempDir dir{"sim"};
  const auto disk = dir.Path() / "a" / "c";
  EXPECT_EQ(PrepareDisk(disk), "");
  EXPECT_EQ(ReadFile(disk / "autoexec.bat"), DefaultAutoexec());
  EXPECT_EQ(std::filesystem::file_size(disk / "vlm.cfg"), 212u);
  std::filesystem::remove(disk / "autoexec.bat");
  WriteFile(disk / "AUTOEXEC.BAT", "mine");
  WriteFile(disk / "vlm.cfg", "old");
  EXPECT_EQ(PrepareDisk(disk), "");
  // No second start-up file beside the user's (the names are compared as stored: the host may
  // ignore case when it looks a name up).
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(disk)) names.insert(vlm::FileNameUtf8(entry.path()));
  EXPECT_EQ(names, (std::set<std::string>{"AUTOEXEC.BAT", "vlm.cfg"}));
  EXPECT_EQ(ReadFile(disk / "AUTOEXEC.BAT"), "mine");
  EXPECT_EQ(ReadFile(disk / "vlm.cfg"), "old");
}

TEST(DefaultDisk, PrepareFailsClearlyWhenTheFolderCannotBe) {
  vlm::test::TTempDir dir{"sim"};
  WriteFile(dir.Path() / "file", "x");
  EXPECT_NE(PrepareDisk(dir.Path() / "file" / "c"), "");
}

}  // namespace
