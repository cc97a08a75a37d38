// velmorctl cfg run in-process: files, listings, exit statuses and error texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
