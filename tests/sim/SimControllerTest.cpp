// Requests fed to the controller core as bytes, answers checked as bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "SimTestUtil.h"
#include "sim/SimController.h"
#include "platform/System.h"

using namespace simtest;
using namespace vlm::sim;

namespace {

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vlm::platform::UseUtcAsLocalTime();
    const auto root = dir_.Path();
    WriteFile(root / "autoexec.bat", "@echo off\r\n");
    std::string data;
    for (int i = 0; i < 461; ++i) data += char(i * 7);
    WriteFile(root / "DATA.BIN", data);
    std::filesystem::create_directory(root / "logs");
    WriteFile(root / "logs" / "a.txt", "abc");
    for (const char* name : {"autoexec.bat", "DATA.BIN", "logs", "logs/a.txt"}) StampFile(root / name);
    controller_.Boot();
  }

  Bytes Ask(const Bytes& frame, const LinkProfile& link = kUdpLink) {
    auto outcome = controller_.Handle(frame, link);
    return outcome.answered ? outcome.answer : Bytes{};
  }

  Bytes Find(bool first, const std::string& mask) {
    Bytes data{uint8_t(first)};
    data.insert(data.end(), 45, 0);
    AppendText(data, mask);
    return Ask(Frame(0x94, data));
  }
  Bytes List(bool first, const std::string& mask, const LinkProfile& link = kUdpLink) {
    Bytes data{0, 0, 0, uint8_t(first)};
    AppendText(data, mask);
    Append(data, {0, 0});
    return Ask(Frame(0xA5, data), link);
  }
  Bytes ReadBlock(const std::string& name, uint32_t offset, uint8_t block, const LinkProfile& link = kUdpLink) {
    Bytes data;
    AppendU32(data, offset);
    AppendU32(data, 0);
    data.push_back(block);
    AppendName(data, name);
    return Ask(Frame(0x95, data), link);
  }
  Bytes ReadLong(const std::string& name, uint32_t offset, uint16_t block, const LinkProfile& link = kUdpLink) {
    Bytes data{0, 0, 0};
    AppendU32(data, offset);
    AppendU32(data, 0);
    Append(data, {uint8_t(block), uint8_t(block >> 8)});
    AppendName(data, name);
    return Ask(Frame(0xA4, data), link);
  }
  Bytes WriteBlock(const std::string& name, uint32_t offset, const std::string& bytes) {
    Bytes data;
    AppendName(data, name);
    AppendU32(data, offset);
    AppendU32(data, uint32_t(offset + bytes.size()));
    data.push_back(uint8_t(bytes.size()));
    data.insert(data.end(), bytes.begin(), bytes.end());
    return Ask(Frame(0x96, data));
  }
  Bytes ChangeDir(const std::string& path) {
    Bytes data{0, 0};
    AppendText(data, path);
    return Ask(Frame(0x97, data));
  }
  Bytes Delete(const std::string& name) {
    Bytes data{0, 0};
    AppendName(data, name);
    return Ask(Frame(0x98, data));
  }
  static uint16_t ErrorAt(const Bytes& answer, size_t at) { return uint16_t(answer.at(at) | answer.at(at + 1) << 8); }

  vlm::test::TTempDir dir_{"sim"};
  SimMemory memory_;
  SimDisk disk_{dir_.Path()};
  SimController controller_{disk_, memory_};
};

TEST_F(ControllerTest, MemoryRequestsEchoTheAddressAndCarryTheBytes) {
  EXPECT_EQ(ToHex(Ask(Hex("09 81 10 00 34 12 03 01 02 03 E0"))), "06 81 10 00 34 12 03 DA");
  EXPECT_EQ(ToHex(Ask(Hex("06 80 10 00 34 12 10 E6"))),
            "16 80 10 00 34 12 10 01 02 03 00 00 00 00 00 00 00 00 00 00 00 00 00 EC");
  // 1234:0010 and 1235:0000 are the same real-mode byte.
  EXPECT_EQ(ToHex(Ask(Frame(0x80, {0x00, 0x00, 0x35, 0x12, 2}))), "08 80 00 00 35 12 02 01 02 CC");
  // Areas come back one after another.
  EXPECT_EQ(ToHex(Ask(Frame(0xA3, {2, 0x11, 0x00, 0x34, 0x12, 2, 0x10, 0x00, 0x34, 0x12, 1}))),
            "04 A3 02 03 01 A9");
}

TEST_F(ControllerTest, MemoryWrapsAtOneMegabyteAndKeepsLinearSpaceApart) {
  // EFFF:FFFF is 0xFFFEF: the 17th byte is the last of the megabyte, the 18th wraps to 0.
  Bytes write{0xFF, 0xFF, 0xFF, 0xEF, 18};
  for (int i = 1; i <= 18; ++i) write.push_back(uint8_t(i));
  Ask(Frame(0x81, write));
  EXPECT_EQ(memory_.Real()[0xFFFFF], 17);
  EXPECT_EQ(memory_.Real()[0], 18);
  auto region = memory_.MapLinear(0x00123450, 4);
  region[1] = 0x5A;
  EXPECT_EQ(ToHex(Ask(Frame(0x80, {0x50, 0x34, 0x12, 0xF0, 2}))), "08 80 50 34 12 F0 02 00 5A 62");
  // Unmapped linear bytes read as zero and writes to them go nowhere.
  Ask(Frame(0x81, {0x00, 0x00, 0x00, 0xF1, 1, 0x77}));
  EXPECT_EQ(ToHex(Ask(Frame(0x80, {0x00, 0x00, 0x00, 0xF1, 1}))), "07 80 00 00 00 F1 01 00 72");
}

TEST_F(ControllerTest, ResetHasNoAnswerAndStartsOver) {
  Ask(Frame(0x81, {0x00, 0x00, 0x00, 0x10, 1, 0x42}));
  ChangeDir("c:\\logs\\");
  auto outcome = controller_.Handle(Hex("01 88 88"), kUdpLink);
  EXPECT_FALSE(outcome.answered);
  EXPECT_EQ(controller_.Resets(), 1u);
  EXPECT_EQ(memory_.Real()[0x10000], 0);
  EXPECT_EQ(disk_.CurrentDir(), "C:\\");
}

TEST_F(ControllerTest, BootHookPublishesStructuresAgainAfterReset) {
  controller_.SetBootHook([](SimMemory& m) { m.Real()[0x218] = 0x34; });
  controller_.Handle(Hex("01 88 88"), kUdpLink);
  EXPECT_EQ(memory_.Real()[0x218], 0x34);
}

TEST_F(ControllerTest, FindReportsTheEntryWhereTheClientReadsIt) {
  EXPECT_EQ(ToHex(Find(true, "c:\\AutoExec.bat")),
            "2F 94 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 20 AF 6D B1 58 "
            "0B 00 00 00 0C 41 55 54 4F 45 58 45 43 2E 42 41 54 53");
  const Bytes missing = Find(true, "c:\\nothere.txt");
  ASSERT_EQ(missing.size(), 49u);
  EXPECT_EQ(ErrorAt(missing, 3), 2);
  EXPECT_EQ(ErrorAt(Find(true, "c:\\nodir\\x.txt"), 3), 3);
  EXPECT_EQ(ErrorAt(Find(true, "c:\\*.zzz"), 3), 18);
}

TEST_F(ControllerTest, FindNextWalksTheMatchesAndEndsWithCode18) {
  std::vector<std::string> names;
  for (Bytes a = Find(true, "c:\\logs\\*.*"); ErrorAt(a, 3) == 0; a = Find(false, "c:\\logs\\*.*"))
    names.emplace_back(a.begin() + 36, a.begin() + 36 + a[35]);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A.TXT"}));
  EXPECT_EQ(ErrorAt(Find(false, "c:\\logs\\*.*"), 3), 18);
}

TEST_F(ControllerTest, ListingComesInBlocksAndEndsWithCode18) {
  const Bytes first = List(true, "C:\\*.*", kSerialLink);
  ASSERT_EQ(first.size(), 49u);  // a serial client reads exactly the length it expects
  EXPECT_EQ(first[4], 1);
  EXPECT_EQ(ErrorAt(first, 5), 0);
  ASSERT_EQ(first[7], 2);  // 22 + 18 bytes of entries fill the 40 a block can carry
  EXPECT_EQ(ToHex(Bytes(first.begin() + 8, first.begin() + 30)),
            "20 AF 6D B1 58 0B 00 00 00 0C 41 55 54 4F 45 58 45 43 2E 42 41 54");
  EXPECT_EQ(std::string(first.begin() + 40, first.begin() + 48), "DATA.BIN");
  const Bytes last = List(false, "C:\\*.*", kSerialLink);
  EXPECT_EQ(ErrorAt(last, 5), 18);
  ASSERT_EQ(last[7], 1);
  EXPECT_EQ(ToHex(Bytes(last.begin() + 8, last.begin() + 22)), "10 AF 6D B1 58 00 00 00 00 04 4C 4F 47 53");
  EXPECT_EQ(ErrorAt(List(false, "C:\\*.*"), 5), 18);  // nothing more after the end
  // Over UDP the whole folder fits one block.
  const Bytes all = List(true, "C:\\*.*");
  EXPECT_EQ(all[7], 3);
  EXPECT_EQ(ErrorAt(all, 5), 18);
  EXPECT_EQ(all.size(), 8u + 22 + 18 + 14 + 1);
}

TEST_F(ControllerTest, ListingOfAMissingFolderGivesCode3) {
  const Bytes a = List(true, "C:\\NOPE\\*.*");
  EXPECT_EQ(a[4], 1);
  EXPECT_EQ(ErrorAt(a, 5), 3);
  EXPECT_EQ(a[7], 0);
}

TEST_F(ControllerTest, BlockReadsDeliverTheFileInPieces) {
  const std::string data = ReadFile(dir_.Path() / "DATA.BIN");
  std::string got;
  for (uint32_t offset = 0; offset < 461; offset += 230) {
    const Bytes a = ReadBlock("c:\\data.bin", offset, 230);
    ASSERT_EQ(ErrorAt(a, 2), 0);
    ASSERT_EQ(a.size(), a[4] + 6u);
    got.append(a.begin() + 5, a.begin() + 5 + a[4]);
  }
  EXPECT_EQ(got, data);
  EXPECT_EQ(ReadBlock("data.bin", 460, 230)[4], 1);
  EXPECT_EQ(ReadBlock("data.bin", 461, 230)[4], 0);  // at the end: no bytes, no error
  EXPECT_EQ(ToHex(ReadBlock("nothere.bin", 0, 230)), "04 95 02 00 00 97");
  EXPECT_EQ(ErrorAt(ReadBlock("logs", 0, 230), 2), 5);
}

TEST_F(ControllerTest, SerialAnswersHaveExactlyTheExpectedLength) {
  const Bytes shortRead = ReadBlock("c:\\data.bin", 460, 230, kSerialLink);
  ASSERT_EQ(shortRead.size(), 236u);
  EXPECT_EQ(shortRead[0], 234);
  EXPECT_EQ(shortRead[4], 1);
  const Bytes longRead = ReadLong("c:\\data.bin", 0, 1420, kSerialLink);
  ASSERT_EQ(longRead.size(), 29u);
  EXPECT_EQ(ErrorAt(longRead, 5), 0);
  EXPECT_EQ(longRead[7], 0);  // no block: the client falls back to the short read
}

TEST_F(ControllerTest, LongBlockReadsOverUdp) {
  const Bytes a = ReadLong("C:\\DATA.BIN", 100, 1420);
  ASSERT_EQ(a.size(), 361u + 10);
  EXPECT_EQ(ErrorAt(a, 5), 0);
  EXPECT_EQ(a[7] | a[8] << 8, 361);
  EXPECT_EQ(a[9], uint8_t(100 * 7));
  EXPECT_EQ(ErrorAt(ReadLong("C:\\NONE.BIN", 0, 1420), 5), 2);
}

TEST_F(ControllerTest, LongAnswerLengthByteIs255OrTheLengthModulo256) {
  const Bytes a = ReadLong("C:\\DATA.BIN", 0, 1420);
  ASSERT_EQ(a.size(), 461u + 10);
  EXPECT_EQ(a[0], 255);
  controller_.SetLongLengthModulo(true);
  Bytes b = ReadLong("C:\\DATA.BIN", 0, 1420);
  EXPECT_EQ(b[0], (461 + 8) % 256);
  b[0] = 255;
  EXPECT_EQ(b, a);  // nothing else changes: the checksum never covers the length byte
  EXPECT_EQ(ReadBlock("data.bin", 0, 230)[0], 234);  // a short answer keeps its length
}

TEST_F(ControllerTest, WrittenBlocksMakeTheFileAndARewriteReplacesIt) {
  EXPECT_EQ(ToHex(WriteBlock("c:\\new.txt", 0, "hello ")), "03 96 00 00 96");
  EXPECT_EQ(ErrorAt(WriteBlock("NEW.TXT", 6, "world"), 2), 0);
  EXPECT_EQ(ReadFile(dir_.Path() / "new.txt"), "hello world");
  EXPECT_EQ(ErrorAt(WriteBlock("New.Txt", 0, "bye"), 2), 0);
  EXPECT_EQ(ReadFile(dir_.Path() / "new.txt"), "bye");
  // A block may not leave a hole behind the end of the file.
  EXPECT_EQ(ToHex(WriteBlock("new.txt", 100, "x")), "03 96 05 00 9B");
  EXPECT_EQ(ErrorAt(WriteBlock("logs", 0, "x"), 2), 5);
  EXPECT_EQ(ErrorAt(WriteBlock("nodir\\x.txt", 0, "x"), 2), 3);
}

// The whole-file patterns of the client: 230-byte blocks up, then down again over both links.
TEST_F(ControllerTest, WholeFilesGoUpAndComeBackByteExact) {
  for (uint32_t size : {0u, 1u, 229u, 230u, 231u, 460u, 461u, 65536u}) {
    std::string data(size, '\0');
    for (uint32_t i = 0; i < size; ++i) data[i] = char((i * 31 + size) >> 3);
    const std::string name = "f" + std::to_string(size) + ".bin";
    for (uint32_t offset = 0; offset < size; offset += 230)
      ASSERT_EQ(ErrorAt(WriteBlock(name, offset, data.substr(offset, 230)), 2), 0);
    for (const LinkProfile* link : {&kUdpLink, &kSerialLink}) {
      std::string back;
      for (uint32_t offset = 0; offset < size; offset += 230) {
        const Bytes a = ReadBlock(name, offset, 230, *link);
        ASSERT_EQ(ErrorAt(a, 2), 0);
        back.append(a.begin() + 5, a.begin() + 5 + a[4]);
      }
      EXPECT_EQ(back, data) << link->name << " " << size;
    }
  }
}

TEST_F(ControllerTest, DeleteAndChangeDirReportDosCodes) {
  EXPECT_EQ(ToHex(Delete("nothere.txt")), "03 98 02 00 9A");
  EXPECT_EQ(ErrorAt(Delete("logs"), 2), 5);
  EXPECT_EQ(ErrorAt(Delete("c:\\data.bin"), 2), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "DATA.BIN"));
  EXPECT_EQ(ToHex(ChangeDir("c:\\missing\\")), "03 97 03 00 9A");
  EXPECT_EQ(ErrorAt(ChangeDir("C:\\LOGS\\"), 2), 0);
  EXPECT_EQ(disk_.CurrentDir(), "C:\\LOGS\\");
  // Relative names now resolve in the new current folder.
  EXPECT_EQ(ReadBlock("a.txt", 0, 230)[4], 3);
  EXPECT_EQ(ErrorAt(ChangeDir("c:\\"), 2), 0);
}

TEST_F(ControllerTest, AccessDeniedForReadOnlyFiles) {
  std::filesystem::permissions(dir_.Path() / "DATA.BIN", std::filesystem::perms::owner_read);
  EXPECT_EQ(Find(true, "data.bin")[26], 0x21);  // archive and read-only
  EXPECT_EQ(ErrorAt(WriteBlock("data.bin", 0, "x"), 2), 5);
  EXPECT_EQ(ErrorAt(Delete("data.bin"), 2), 5);
  EXPECT_EQ(ReadBlock("data.bin", 0, 10)[4], 10);
  // Windows removes no read-only file, so the scratch folder could not go.
  std::filesystem::permissions(dir_.Path() / "DATA.BIN", std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
}

TEST_F(ControllerTest, MalformedRequestsGetNoAnswer) {
  EXPECT_TRUE(Ask(Hex("06 80 10 00 34 12 10 E7")).empty());  // checksum
  EXPECT_TRUE(Ask(Hex("07 80 10 00 34 12 10 00 E6")).empty());  // length does not fit the layout
  EXPECT_TRUE(Ask(Hex("01 42 42")).empty());  // unknown command
  EXPECT_TRUE(Ask(Hex("06 80 10")).empty());  // cut short
  // Areas that a datagram could not carry are refused rather than cut.
  Bytes areas{7};
  for (int i = 0; i < 7; ++i) Append(areas, {0, 0, 0, 0, 255});
  EXPECT_TRUE(Ask(Frame(0xA3, areas)).empty());
}

}  // namespace
