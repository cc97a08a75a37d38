// velmorctl cfg run in-process: files, listings, exit statuses and error texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cfgdiff/TextForm.h"
#include "cli/Commands.h"

namespace vlm::cli {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CfgCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("velmor_cfg_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const char* name) const { return (dir / name).string(); }
  // Runs a command; returns the status and keeps stdout and stderr.
  int Run(const std::vector<std::string>& args) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = RunCfgCommand(args);
    out = ::testing::internal::GetCapturedStdout();
    err = ::testing::internal::GetCapturedStderr();
    return status;
  }
  fs::path dir;
  std::string out, err;
};

const std::string kData = VELMOR_TEST_DATA "/cfg/";

TEST_F(CfgCommandsTest, NewWritesTheGoldenImage) {
  ASSERT_EQ(Run({"new", Path("x.cfg"), "--stamp", "01.02.2026 03:04:05"}), 0) << err;
  EXPECT_EQ(ReadBytes(Path("x.cfg")), ReadBytes(kData + "new_01.02.2026.cfg"));
}

TEST_F(CfgCommandsTest, NewWithPlaceAndDump) {
  ASSERT_EQ(Run({"new", Path("p.cfg"), "--place", "ТП №3", "--stamp", "01.02.2026 03:04:05"}), 0);
  EXPECT_EQ(fs::file_size(Path("p.cfg")), 212u + 5u);
  ASSERT_EQ(Run({"dump", Path("p.cfg")}), 0) << err;
  EXPECT_EQ(out, "СТАНЦИЯ ПУ ТП №3\n  Контроллер (№1)\n    №1 Процессор\n");
}

TEST_F(CfgCommandsTest, DumpWithRecordsListsEveryRecord) {
  ASSERT_EQ(Run({"dump", kData + "allcards.cfg", "--records"}), 0) << err;
  EXPECT_NE(out.find("    Плата 5558 (A8)\n      COM-порт 8.1 (RS-232)\n"), std::string::npos) << out;
  EXPECT_NE(out.find("    Плата ПВС (A3)\n      Модемный порт 3.1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("offset  tag  id length payload\n   144  F0 148"), std::string::npos) << out;
  EXPECT_NE(out.find(" E0 115      8 00 20 1C 00\n"), std::string::npos) << out;
}

TEST_F(CfgCommandsTest, RewriteKeepsTheBytes) {
  ASSERT_EQ(Run({"rewrite", kData + "allcards.cfg", Path("r.cfg"), "--stamp", "01.02.2026 03:04:05"}), 0) << err;
  EXPECT_EQ(ReadBytes(Path("r.cfg")), ReadBytes(kData + "allcards.cfg"));
}

TEST_F(CfgCommandsTest, ReadingErrorsGoToStderrWithStatus2) {
  std::string image = ReadBytes(kData + "new_01.02.2026.cfg");
  image[100] = '0';
  std::ofstream(Path("bad.cfg"), std::ios::binary) << image;
  EXPECT_EQ(Run({"dump", Path("bad.cfg")}), 2);
  EXPECT_EQ(err, Path("bad.cfg") + ": Ошибка контрольной суммы\n");
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(Run({"rewrite", Path("bad.cfg"), Path("out.cfg")}), 2);
  EXPECT_FALSE(fs::exists(Path("out.cfg")));
  EXPECT_EQ(Run({"dump", Path("missing.cfg")}), 2);
}

TEST_F(CfgCommandsTest, DiffSaysEqualDifferentOrBadInput) {
  ASSERT_EQ(Run({"new", Path("a.cfg"), "--place", "ТП №3", "--stamp", "01.02.2026 03:04:05"}), 0) << err;
  ASSERT_EQ(Run({"new", Path("b.cfg"), "--place", "ТП №4", "--stamp", "02.02.2026 03:04:05"}), 0) << err;
  EXPECT_EQ(Run({"diff", Path("a.cfg"), Path("a.cfg")}), 0) << err;
  EXPECT_EQ(out, "Конфигурации совпадают\n");
  EXPECT_EQ(Run({"diff", Path("a.cfg"), Path("b.cfg")}), 1) << err;
  EXPECT_EQ(out, "~ СТАНЦИЯ ПУ ТП №4: Место установки: \"ТП №3\" -> \"ТП №4\"\n");
  EXPECT_EQ(Run({"diff", Path("a.cfg"), Path("b.cfg"), "--format", "json"}), 1) << err;
  EXPECT_NE(out.find("\"old\": \"\\\"ТП №3\\\"\""), std::string::npos) << out;

  std::string image = ReadBytes(Path("b.cfg"));
  image[100] = '0';
  std::ofstream(Path("bad.cfg"), std::ios::binary) << image;
  EXPECT_EQ(Run({"diff", Path("a.cfg"), Path("bad.cfg")}), 2);
  EXPECT_EQ(err.substr(0, err.find('\n')), "Ошибка контрольной суммы");
  EXPECT_NE(err.find("bad.cfg is not a readable configuration"), std::string::npos) << err;
  EXPECT_EQ(Run({"diff", Path("a.cfg"), Path("missing.cfg")}), 2);
  EXPECT_EQ(Run({"diff", Path("a.cfg"), Path("b.cfg"), "--format", "xml"}), 2);
}

TEST_F(CfgCommandsTest, TextFormRoundTripAndAnErrorWithItsLine) {
  ASSERT_EQ(Run({"to-text", kData + "allcards.cfg", "-o", Path("a.txt")}), 0) << err;
  ASSERT_EQ(Run({"from-text", Path("a.txt"), "-o", Path("a.cfg")}), 0) << err;
  EXPECT_EQ(ReadBytes(Path("a.cfg")), ReadBytes(kData + "allcards.cfg"));

  std::string text = ReadBytes(Path("a.txt"));
  const size_t at = text.find("[148]");
  ASSERT_NE(at, std::string::npos);
  const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
  text.replace(at, 5, "[148");
  std::ofstream(Path("bad.txt"), std::ios::binary) << text;
  EXPECT_EQ(Run({"from-text", Path("bad.txt"), "-o", Path("b.cfg")}), 2);
  EXPECT_EQ(err, Path("bad.txt") + ":" + std::to_string(line) + ": после номера контейнера нужна \"]\"\n");
  EXPECT_FALSE(fs::exists(Path("b.cfg")));
}

// A table whose row count says one row more than it has: from-text names the count's line, check
// reports it, diff refuses the image rather than calling it equal to the mended one.
TEST_F(CfgCommandsTest, RowCountThatDisagreesWithTheRowsIsRefused) {
  const std::string good = VELMOR_TEST_DATA "/ports/all_kinds.cfg";
  ASSERT_EQ(Run({"to-text", good, "-o", Path("a.txt")}), 0) << err;
  std::string text = ReadBytes(Path("a.txt"));
  // The first table with two rows or more.
  size_t at = 0, valueAt = 0;
  int count = 0;
  while (count < 2) {
    at = text.find("число строк = u", at + 1);
    ASSERT_NE(at, std::string::npos);
    valueAt = text.find(' ', text.find("= u", at) + 2) + 1;
    count = std::stoi(text.substr(valueAt));
  }
  text.replace(valueAt, text.find('\n', valueAt) - valueAt, std::to_string(count + 1));
  const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
  const std::string says = "число строк " + std::to_string(count + 1) + ", а строк в таблице " + std::to_string(count);
  std::ofstream(Path("bad.txt"), std::ios::binary) << text;
  EXPECT_EQ(Run({"from-text", Path("bad.txt"), "-o", Path("bad.cfg")}), 2);
  EXPECT_NE(err.find(Path("bad.txt") + ":" + std::to_string(line) + ": "), std::string::npos) << err;
  EXPECT_NE(err.find(says), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(Path("bad.cfg")));

  const std::vector<uint8_t> image = ConfigFromText(text);
  std::ofstream(Path("bad.cfg"), std::ios::binary).write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
  EXPECT_EQ(Run({"check", Path("bad.cfg")}), 1);
  EXPECT_NE(out.find(says), std::string::npos) << out;
  EXPECT_EQ(Run({"diff", Path("bad.cfg"), good}), 2);
  EXPECT_NE(err.find(says), std::string::npos) << err;
}

TEST_F(CfgCommandsTest, BadArgumentsAreRefused) {
  EXPECT_EQ(Run({"new", Path("x.cfg"), "--stamp", "2026-02-01"}), 2);
  EXPECT_EQ(Run({"new"}), 2);
  EXPECT_EQ(Run({"dump", "a", "b"}), 2);
  EXPECT_EQ(Run({"frobnicate"}), 2);
  EXPECT_EQ(Run({}), 2);
  EXPECT_FALSE(fs::exists(Path("x.cfg")));
}

}  // namespace
}  // namespace vlm::cli
