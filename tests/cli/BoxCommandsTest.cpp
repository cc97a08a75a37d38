// velmorctl box run in-process: decoded frames, recorded files, exit statuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../blackbox/BoxFake.h"
#include "cli/BoxCli.h"
#include "cli/Commands.h"
#include "common/Numbers.h"
#include "common/TextCodec.h"

namespace vlm::cli {
namespace {

namespace fs = std::filesystem;

class BoxCommandsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!file.empty()) fs::remove(file);
  }
  int Run(const std::vector<std::string>& args) {
    return Capture([&] { return RunBoxCommand(args); });
  }
  template <typename F>
  int Capture(F run) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = run();
    std::fflush(stdout);
    out = ::testing::internal::GetCapturedStdout();
    err = ::testing::internal::GetCapturedStderr();
    return status;
  }
  std::string Write(const std::string& content) {
    file = (fs::temp_directory_path() / ("velmor_box_" + std::to_string(::getpid()) + ".txt")).string();
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }
  std::string out, err, file;
};

TEST_F(BoxCommandsTest, DecodeFramePrintsTextAndColour) {
  ASSERT_EQ(Run({"decode-frame", "--code", "2", "--dir", "0", "05", "90", "03", "5A", "20", "AA"}), 0) << err;
  EXPECT_EQ(out, "-> КП=05 Ф=90h=ТС    Г=003 Д1_Д8=5Ah=01011010b К+С+\ncolour=31\n");
  ASSERT_EQ(Run({"decode-frame", "--code", "8", "--dir", "1", "--param", "55h", "10 5B 01 5C 16"}), 0) << err;
  EXPECT_EQ(out, "<- C=5Bh:PRM=1,FCB=0,FCV=1,Fn=11=ЗапрДаннКл2 A=01h=1\ncolour=111\n");
}

TEST_F(BoxCommandsTest, DecodeFrameLinesAndTime) {
  ASSERT_EQ(Run({"decode-frame", "--code", "0x0E", "--dir", "0", "681204000600", "0D01030001000100000000C03F81"}), 0);
  EXPECT_EQ(out,
            "-> Start=68h APDULen=18 IFrame NSend=2 NRecv=3\n"
            "   Тип=13=ИзмерПлавЗапят VSQ=01h:SQ=0=Одиноч,Сч=1 COT=0003h:Tst=0,P/N=0,Прич=3=Спорадически "
            "АдрASDU=0001h=1\n"
            "   A=000001h=1,Val=1.5,QDS=81h:IvOv\n"
            "colour=48\n");
  ASSERT_EQ(Run({"decode-frame", "--code", "4", "--dir", "0", "--time", "2024.01.02 03:04:05.600",
                 "05 90 03 5A 0A 00 20 F6"}),
            0);
  EXPECT_EQ(out,
            "-> КП=05 Ф=90h=ТС    Г=003 Д1_Д8=5Ah=01011010b Т=000Ah=10 (2024.01.02 03:04:04.600) К+С+\ncolour=31\n");
}

TEST_F(BoxCommandsTest, DecodeFrameRefusesBadInput) {
  EXPECT_EQ(Run({"decode-frame", "--code", "14", "--dir", "2", "68"}), 2);
  EXPECT_EQ(Run({"decode-frame", "--code", "14", "--dir", "0", "6G"}), 2);
  EXPECT_EQ(Run({"decode-frame", "--code", "14", "--dir", "0", "686"}), 2);
  EXPECT_EQ(Run({"decode-frame", "--code", "14", "--dir", "0", std::string(129 * 2, 'A')}), 2);
  EXPECT_EQ(Run({"decode-frame", "--code", "14", "--dir", "0", "--time", "2024.01.02", "68"}), 2);
  EXPECT_EQ(Run({"decode-frame", "--dir", "0", "68"}), 2);
  EXPECT_EQ(Run({"decode-frame", "--code", "20", "--dir", "0", "68"}), 1);
  EXPECT_NE(err.find("no decoder"), std::string::npos);
  EXPECT_EQ(Run({"unknown"}), 2);
}

TEST_F(BoxCommandsTest, DecodeFileWithAndWithoutHex) {
  const std::string path = Write(
      "Файл данных программы\r\n"
      "2024.01.02 03:04:05.678|t   100|d 100|p014|e0|L  6|№1|-->|68 04 43 00 00 00 \r\n"
      "2024.01.02 03:04:05.700|t   122|d  22|p020|e0|L  1|№1|<ПУ|7F \r\n");
  ASSERT_EQ(Run({"decode", path}), 0) << err;
  EXPECT_EQ(out,
            "2024.01.02 03:04:05.678|t   100|d 100|p014|e0|L  6|№1|-->|68 04 43 00 00 00 \n"
            "-> Start=68h APDULen=4  UFrame TESTFR_act\n"
            "2024.01.02 03:04:05.700|t   122|d  22|p020|e0|L  1|№1|<ПУ|7F \n");
  ASSERT_EQ(Run({"decode", path, "--no-hex"}), 0) << err;
  EXPECT_EQ(out,
            "-> Start=68h APDULen=4  UFrame TESTFR_act\n"
            "2024.01.02 03:04:05.700|t   122|d  22|p020|e0|L  1|№1|<ПУ|7F \n");
  EXPECT_EQ(Run({"decode", path + ".missing"}), 2);
  EXPECT_EQ(Run({"decode"}), 2);
  // A file without a recorded line (here a binary one) is said to hold no records.
  Write(std::string("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF", 14));
  EXPECT_EQ(Run({"decode", path}), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "velmorctl: box decode: no records in " + path + "\n");
}

TEST_F(BoxCommandsTest, ReplayAppliesTheWindowFiltersAndCountsSkippedLines) {
  const std::string path = Write(
      "2024.01.02 03:04:05.678|t   100|d 100|p036|e0|L  3|№1|-->|00 25 07 \r\n"
      "2024.01.02 03:04:05.700|t   122|d  22|p036|e0|L  3|№1|-->|00 26 07 \r\n"
      "2024.01.02 03:04:05.800|t   130|d   8|p020|e0|L  1|№1|<ПУ|7F \r\n"
      "2024.01.02 03:04:05.900|t   1x0|d   8|p020|e0|L  1|№1|<ПУ|7F \r\n");
  ASSERT_EQ(Run({"replay", path, "--kp", "5", "--no-text"}), 0) << err;
  EXPECT_EQ(out,
            "2024.01.02 03:04:05.678|t   100|d 100|p036|e0|L  3|№1|-->|00 25 07 \n"
            "2024.01.02 03:04:05.800|t   130|d   8|p020|e0|L  1|№1|<ПУ|7F \n");
  EXPECT_NE(err.find("3 records, 1 lines skipped"), std::string::npos) << err;
  ASSERT_EQ(Run({"replay", path, "--in", "--no-text"}), 0);
  EXPECT_EQ(out.find("p020"), std::string::npos);
  EXPECT_EQ(Run({"replay", path, "--in", "--out"}), 2);
  EXPECT_EQ(Run({"replay", path, "--kp", "32"}), 2);
}

TEST_F(BoxCommandsTest, TopcapWritesExportedPdusAndNamesTheIec101Options) {
  const std::string path = Write("2024.01.02 03:04:05.678|t   100|d 100|p008|e0|L  1|№3|-->|E5 \r\n");
  const std::string pcap = path + ".pcap";
  ASSERT_EQ(Run({"topcap", path, "-o", pcap}), 0) << err;
  EXPECT_NE(err.find("tshark -d tcp.port==2405,iec60870_101 -o \"iec60870_101.linkaddr_len:1 octet\""), std::string::npos)
      << err;
  std::string bytes;
  {
    std::ifstream in(pcap, std::ios::binary);  // closed before the removal: Windows refuses an open file
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  fs::remove(pcap);
  ASSERT_EQ(bytes.size(), 24u + 16u + 52u + 1u);  // headers, tags, the frame
  EXPECT_EQ(bytes.substr(20, 4), std::string("\xFC\0\0\0", 4)) << "link type 252";
  EXPECT_FALSE(fs::exists(pcap + ".part"));
}

// The commands over the link, against a controller in the test.
TEST_F(BoxCommandsTest, PcapOfABufferWhoseWriteIndexLiesPastItsEndFails) {
  test::TBoxMemory memory;
  memory.Put(0, 0x218, {0, 0, 0x00, 0x10});
  auto d = test::TBoxLayout::Descriptor(0, 1, "ETH");
  PutU32(&d[13], memory.linearBase);
  PutU32(&d[17], 1000);
  PutU32(&d[21], 50000);
  memory.Put(0x1000, 0, d);
  TControllerLink link;
  test::UseBoxMemory(link, memory);
  const fs::path capture = fs::temp_directory_path() / ("velmor_box_" + std::to_string(::getpid()) + ".pcap");
  EXPECT_EQ(Capture([&] { return BoxPcap(link, 1, capture.string()); }), 1);
  EXPECT_NE(err.find("индекс записи 50000 за пределами буфера (1000 байт)"), std::string::npos) << err;
  for (const auto& request : memory.requests) EXPECT_NE(request[5] & 0xF0, 0xF0) << "a read of the buffer";
  EXPECT_FALSE(fs::exists(capture));
}

TEST_F(BoxCommandsTest, RecordingThatLostRecordsToTheRingFails) {
  TControllerLink link;
  test::TBoxMemory memory;
  test::TFakeClock clock;
  test::TClockedRecorder recorder(memory, clock);
  test::UseClockedRecorder(link, recorder);
  for (uint32_t k = 0; k < 15; ++k) recorder.due.push_back(100 + 10 * k);
  for (uint32_t k = 0; k < 40; ++k) recorder.due.push_back(1000 + k);  // faster than any poll
  TBoxRecordArgs args;
  args.recorder = 1;
  args.seconds = 2;
  args.output = Write("");
  fs::remove(args.output);  // an existing file is refused without --append
  args.clock = &clock;
  EXPECT_EQ(Capture([&] { return BoxRecord(link, args); }), 1);
  EXPECT_NE(err.find("the recorder wrote over records before they were read"), std::string::npos) << err;
  std::ifstream in(file, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  EXPECT_NE(text.find(Utf8ToCp1251("Потеря записей")), std::string::npos) << "the gap is marked";
}

}  // namespace
}  // namespace vlm::cli
