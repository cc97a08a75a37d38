// The disk folder as drive c:: names, confinement to the folder, DOS error codes.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "common/PathText.h"
#include "common/TextCodec.h"
#include "sim/DosName.h"
#include "sim/SimDisk.h"
#include "sim/SimProtocol.h"
#include "platform/FileAccess.h"
#include "platform/System.h"

using namespace simtest;
using namespace vlm::sim;
namespace fs = std::filesystem;

namespace {

TEST(DosName, NormalFormCutsLongPartsAsDosDoes) {
  EXPECT_EQ(NormalizeDosName("vlm.cfg", false), "VLM.CFG");
  EXPECT_EQ(NormalizeDosName("verylongname.text", false), "VERYLONG.TEX");
  EXPECT_EQ(NormalizeDosName("abcdefghijkl", false), "ABCDEFGH");
  EXPECT_EQ(NormalizeDosName("readme.", false), "README");
  EXPECT_EQ(NormalizeDosName("..", false), "..");
  EXPECT_EQ(NormalizeDosName("*.*", true), "*.*");
  for (const char* bad : {"", ".cfg", "a.b.c", "a b", "a+b", "a\\b", "a:b", "*.*", "a?"})
    EXPECT_FALSE(NormalizeDosName(bad, false)) << bad;
}

TEST(DosName, HostNamesVisibleOnlyWhenAlready83) {
  EXPECT_TRUE(IsVisibleDosName("autoexec.bat"));
  EXPECT_TRUE(IsVisibleDosName("DATA.BIN"));
  EXPECT_FALSE(IsVisibleDosName("verylongname.txt"));
  EXPECT_FALSE(IsVisibleDosName("file.html"));
  EXPECT_FALSE(IsVisibleDosName("with space"));
  EXPECT_FALSE(IsVisibleDosName(".hidden"));
}

TEST(DosName, MasksMatchLikeDos) {
  EXPECT_TRUE(MatchDosMask("*.*", "VLM.CFG"));
  EXPECT_TRUE(MatchDosMask("*.*", "README"));
  EXPECT_TRUE(MatchDosMask("*.*", ".."));
  EXPECT_TRUE(MatchDosMask("*.CFG", "VLM.CFG"));
  EXPECT_FALSE(MatchDosMask("*.CFG", "VLM.BAT"));
  EXPECT_TRUE(MatchDosMask("V?M.*", "VLM.CFG"));
  EXPECT_FALSE(MatchDosMask("V?M.*", "VLMX.CFG"));
  EXPECT_TRUE(MatchDosMask("*", "README"));
  EXPECT_FALSE(MatchDosMask("*", "VLM.CFG"));  // "*" alone means no extension
  EXPECT_TRUE(MatchDosMask("VLM.CFG", "VLM.CFG"));
  EXPECT_FALSE(MatchDosMask("VLM.CFG", "."));
  EXPECT_FALSE(MatchDosMask("*.TXT", "."));
  EXPECT_TRUE(MatchDosMask("*", ".."));
}

TEST(DosName, PackedDateTime) {
  vlm::platform::UseUtcAsLocalTime();
  EXPECT_EQ(PackDosDateTime(1715953530), 0x58B16DAFu);  // 2024-05-17 13:45:30
  EXPECT_EQ(PackDosDateTime(0), 0x00210000u);           // before 1980: 1980-01-01 00:00:00
}

class DiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.Path() / "c";
    fs::create_directories(root_ / "Sub" / "deeper");
    WriteFile(root_ / "vlm.cfg", "cfg");
    WriteFile(root_ / "Sub" / "Note.TXT", "note");
    WriteFile(root_ / "longfilename.txt", "hidden");
    WriteFile(dir_.Path() / "secret.txt", "outside");
  }
  std::string Read(const std::string& name, uint16_t expectError = 0) {
    std::vector<uint8_t> out;
    EXPECT_EQ(disk_.ReadBlock(name, 0, 255, out), expectError) << name;
    return std::string(out.begin(), out.end());
  }
  std::vector<std::string> Names(const std::string& mask) {
    std::vector<DosEntry> entries;
    disk_.Search(mask, entries);
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
  }

  vlm::test::TTempDir dir_{"sim"};
  fs::path root_;
  SimDisk disk_{dir_.Path() / "c"};
};

TEST_F(DiskTest, LookupIgnoresCaseAndAcceptsBothSeparators) {
  EXPECT_EQ(Read("C:\\VLM.CFG"), "cfg");
  EXPECT_EQ(Read("vLm.CfG"), "cfg");
  EXPECT_EQ(Read("c:/sub/note.txt"), "note");
  EXPECT_EQ(Read("\\SUB\\\\NOTE.TXT"), "note");
  EXPECT_EQ(Read("c:\\sub\\.\\note.txt"), "note");
  EXPECT_EQ(Read("c:\\sub\\deeper\\..\\note.txt"), "note");
}

TEST_F(DiskTest, NothingOutsideTheFolderCanBeNamed) {
  Read("..\\secret.txt", kDosPathNotFound);
  Read("c:\\..\\secret.txt", kDosPathNotFound);
  Read("c:\\sub\\..\\..\\secret.txt", kDosPathNotFound);
  Read("/etc/passwd", kDosPathNotFound);
  Read("d:\\vlm.cfg", kDosPathNotFound);
  EXPECT_EQ(disk_.ChangeDir(".."), kDosPathNotFound);
  EXPECT_EQ(disk_.CurrentDir(), "C:\\");
  EXPECT_EQ(disk_.WriteBlock("..\\evil.txt", 0, {}), kDosPathNotFound);
  EXPECT_FALSE(fs::exists(dir_.Path() / "evil.txt"));
}

// Links to a file and to a folder outside, and a dangling one. Windows may refuse a file link to a
// user without the privilege, and wine makes none at all; a folder always gets at least a junction
// there, so only a system that makes no link of any kind skips.
TEST_F(DiskTest, SymbolicLinksAreInvisible) {
  using vlm::platform::MakeLink;
  const bool folderLink = MakeLink(dir_.Path(), root_ / "up", true);
  const bool fileLinks = MakeLink(dir_.Path() / "secret.txt", root_ / "link.txt", false) &&
                         MakeLink(dir_.Path() / "gone.txt", root_ / "dangling.txt", false);
  if (!folderLink && !fileLinks) GTEST_SKIP() << "this system makes no links";
  if (folderLink) {
    Read("up\\secret.txt", kDosPathNotFound);
    EXPECT_EQ(disk_.ChangeDir("up"), kDosPathNotFound);
    EXPECT_EQ(disk_.WriteBlock("up\\new.txt", 0, std::vector<uint8_t>{'x'}), kDosPathNotFound);
    EXPECT_EQ(Names("*.*"), (std::vector<std::string>{"SUB", "VLM.CFG"}));
  }
  if (fileLinks) {
    Read("link.txt", kDosFileNotFound);
    EXPECT_EQ(disk_.Delete("link.txt"), kDosFileNotFound);
    // Writing under a link's name must not go through it.
    EXPECT_EQ(disk_.WriteBlock("link.txt", 0, std::vector<uint8_t>{'x'}), kDosAccessDenied);
    EXPECT_EQ(disk_.WriteBlock("dangling.txt", 0, std::vector<uint8_t>{'x'}), kDosAccessDenied);
    EXPECT_FALSE(fs::exists(dir_.Path() / "gone.txt"));
    EXPECT_EQ(Names("*.*"), (std::vector<std::string>{"SUB", "VLM.CFG"}));
  }
  EXPECT_EQ(ReadFile(dir_.Path() / "secret.txt"), "outside");
  EXPECT_FALSE(fs::exists(dir_.Path() / "new.txt"));
}

TEST_F(DiskTest, LongHostNamesAreInvisibleAndLongRequestNamesAreCut) {
  Read("longfilename.txt", kDosFileNotFound);  // asks for LONGFILE.TXT, which is not there
  EXPECT_EQ(Names("*.*"), (std::vector<std::string>{"SUB", "VLM.CFG"}));
  // A name cut to 12 characters by the client lands as its 8.3 form and reads back by it.
  const std::vector<uint8_t> data{'4', '2'};
  EXPECT_EQ(disk_.WriteBlock("abcdefghijkl", 0, data), kDosOk);
  EXPECT_TRUE(fs::exists(root_ / "abcdefgh"));
  EXPECT_EQ(Read("abcdefghijkl"), "42");
  EXPECT_EQ(Read("ABCDEFGH"), "42");
}

TEST_F(DiskTest, CyrillicNamesInCodePage866) {
  WriteFile(root_ / vlm::PathFromUtf8("Отчёт.txt"), "r");
  EXPECT_EQ(Read(vlm::Utf8ToDos("c:\\отчЁт.TXT")), "r");
  EXPECT_EQ(Names("*.txt"), std::vector<std::string>{vlm::Utf8ToDos("ОТЧЁТ.TXT")});
  EXPECT_EQ(disk_.WriteBlock(vlm::Utf8ToDos("ДАННЫЕ.DAT"), 0, std::vector<uint8_t>{'d'}), kDosOk);
  EXPECT_EQ(ReadFile(root_ / vlm::PathFromUtf8("данные.dat")), "d");
}

TEST_F(DiskTest, ErrorCodes) {
  Read("missing.txt", kDosFileNotFound);
  Read("nodir\\missing.txt", kDosPathNotFound);
  Read("vlm.cfg\\x", kDosPathNotFound);  // a file is no folder
  Read("sub", kDosAccessDenied);
  Read("bad+name", kDosFileNotFound);
  EXPECT_EQ(disk_.Delete("sub"), kDosAccessDenied);
  EXPECT_EQ(disk_.Delete("missing.txt"), kDosFileNotFound);
  EXPECT_EQ(disk_.WriteBlock("bad+name", 0, {}), kDosAccessDenied);
  EXPECT_EQ(disk_.WriteBlock("*.txt", 0, {}), kDosAccessDenied);
  std::vector<DosEntry> entries;
  EXPECT_EQ(disk_.Search("*.zip", entries), kDosNoMoreFiles);
  EXPECT_EQ(disk_.Search("none.zip", entries), kDosFileNotFound);
  EXPECT_EQ(disk_.Search("c:\\nodir\\*.*", entries), kDosPathNotFound);
}

TEST_F(DiskTest, WritesNeverLeaveHolesOrGrowPastTheLimit) {
  const std::vector<uint8_t> block(10, 'a');
  EXPECT_EQ(disk_.WriteBlock("big.bin", 0, block), kDosOk);
  EXPECT_EQ(disk_.WriteBlock("big.bin", 11, block), kDosAccessDenied);
  EXPECT_EQ(disk_.WriteBlock("big.bin", 10, block), kDosOk);
  EXPECT_EQ(fs::file_size(root_ / "big.bin"), 20u);
  EXPECT_EQ(disk_.WriteBlock("new.bin", 5, block), kDosAccessDenied);
  EXPECT_FALSE(fs::exists(root_ / "new.bin"));
}

TEST_F(DiskTest, SubfolderListingHasDotEntriesFirst) {
  EXPECT_EQ(Names("c:\\sub\\*.*"), (std::vector<std::string>{".", "..", "DEEPER", "NOTE.TXT"}));
  EXPECT_EQ(Names("c:\\sub\\"), Names("c:\\sub\\*.*"));
  EXPECT_EQ(Names("c:\\sub\\*.txt"), (std::vector<std::string>{"NOTE.TXT"}));
  std::vector<DosEntry> entries;
  disk_.Search("c:\\sub\\*.*", entries);
  EXPECT_EQ(entries[0].attribute, kAttrDirectory);
  EXPECT_EQ(entries[3].attribute & kAttrDirectory, 0);
  EXPECT_EQ(entries[3].size, 4u);
}

TEST_F(DiskTest, ChangeDirMovesTheCurrentFolder) {
  EXPECT_EQ(disk_.ChangeDir("c:\\SUB\\DEEPER\\"), kDosOk);
  EXPECT_EQ(disk_.CurrentDir(), "C:\\SUB\\DEEPER\\");
  EXPECT_EQ(disk_.ChangeDir(".."), kDosOk);
  EXPECT_EQ(Read("note.txt"), "note");
  EXPECT_EQ(disk_.ChangeDir("vlm.cfg"), kDosPathNotFound);
  EXPECT_EQ(disk_.CurrentDir(), "C:\\SUB\\");
}

}  // namespace
