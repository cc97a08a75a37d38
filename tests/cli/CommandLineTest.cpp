// velmorctl's command line in-process: help, version, usage errors, argument parsers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "cli/CliArgs.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/LinkCli.h"
#include "common/PathText.h"
#include "link/FakeController.h"
#include "link/UdpResponder.h"
#include "platform/System.h"
#include "platform/UdpSocket.h"
#include "support/TempDir.h"

namespace vlm::cli {
namespace {

struct CommandLineTest : ::testing::Test {
  int Run(const std::vector<std::string>& args) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = RunVelmorctl(args);
    out = ::testing::internal::GetCapturedStdout();
    err = ::testing::internal::GetCapturedStderr();
    return status;
  }
  std::string out, err;
};

TEST_F(CommandLineTest, VersionAndHelpGoToStdoutWithStatus0) {
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(out, "velmorctl 4.1.9\n");
  EXPECT_EQ(Run({"get", "--help"}), 0);
  EXPECT_NE(out.find("Usage: velmorctl get"), std::string::npos) << out;
  EXPECT_NE(out.find("-o"), std::string::npos);
  EXPECT_EQ(Run({"box", "decode-frame", "--help"}), 0);
  EXPECT_NE(out.find("--code"), std::string::npos) << out;
  // The record's direction byte: 0 is a frame the controller received, 1 one it sent.
  EXPECT_NE(out.find("0 received by the controller (->), 1 sent by it (<-)"), std::string::npos) << out;
}

TEST_F(CommandLineTest, BadUsageIsStatus2WithTheReasonAndWhereHelpIs) {
  EXPECT_EQ(Run({}), 2);
  EXPECT_NE(err.find("Usage: velmorctl"), std::string::npos) << err;
  EXPECT_EQ(Run({"--ip", "127.0.0.2"}), 2);
  EXPECT_NE(err.find("a command is required"), std::string::npos) << err;
  EXPECT_EQ(Run({"cfg", "dump", "a.cfg", "b.cfg"}), 2);
  EXPECT_NE(err.find("run \"velmorctl cfg dump --help\""), std::string::npos) << err;
  // Link options are checked before any link is opened.
  for (const std::vector<std::string>& line :
       {std::vector<std::string>{"--port", "0", "ls"}, {"--port", "x", "ls"}, {"--ip", "1.2.3", "ls"},
        {"--ip", "127.0.0.300", "reset"}, {"--self", "10.0.256.1", "ls"},
        {"--wait", "0", "ls"}, {"--attempts", "101", "ls"}, {"--ip", "ls"}, {"peek", "zz:1", "4"},
        {"poke", "1:2"}, {"read-config"}, {"get"}, {"ls", "a", "b"}}) {
    SCOPED_TRACE(line[0] + " " + line[1 % line.size()]);
    EXPECT_EQ(Run(line), 2);
    EXPECT_TRUE(err.starts_with("velmorctl: ")) << err;
    EXPECT_TRUE(out.empty());
  }
}

// A link that cannot open fails with its reason: here the PC's port is held by another program,
// then a link mode the link does not know.
TEST_F(CommandLineTest, ALinkThatCannotOpenFailsWithTheReason) {
  platform::TUdpSocket holder;
  ASSERT_EQ(holder.Open({127, 0, 0, 1}, 0), "");
  const std::string port = std::to_string(holder.LocalPort());
  EXPECT_EQ(Run({"--self", "127.0.0.1", "--ip", "127.0.0.2", "--port", port, "--wait", "20", "reset"}), 1);
  EXPECT_EQ(err, "velmorctl: reset: Не удалось открыть связь: порт UDP " + port +
                     " адреса 127.0.0.1 занят другой программой\n");
  EXPECT_EQ(Run({"--link-mode", "7", "--ip", "127.0.0.2", "ls"}), 1);
  EXPECT_EQ(err, "velmorctl: ls: Не удалось открыть связь: неизвестный режим связи LinkMode=7 (0 — COM-порт, 1 — UDP)\n");
}

// A configuration write the controller stops answering half-way: what it held before is kept in
// the data folder's Cfg, and the message says that the controller's configuration is incomplete
// and where the copy is.
TEST_F(CommandLineTest, AFailedConfigurationWriteKeepsWhatTheControllerHeldBefore) {
#ifdef _WIN32
  GTEST_SKIP() << "wine refuses a second loopback address on a port held exclusively by the first";
#endif
  test::TTempDir home("cli-prewrite");
  platform::SetEnvironment("VELMOR_HOME", PathToUtf8(home.Path()));
  test::TFakeController controller;
  const std::vector<uint8_t> before(3000, 0x5A);
  controller.files["c:\\vlm.cfg"] = before;
  std::mutex mutex;
  test::TUdpResponder responder("127.0.0.1", [&](std::span<const uint8_t> req) {
    std::lock_guard lock(mutex);
    return req.size() > 1 && req[1] == 0x96 ? std::vector<uint8_t>{} : controller.Answer(req);
  });
  ASSERT_TRUE(responder.Ok());
  const std::filesystem::path image = home.Path() / "new.cfg";
  std::ofstream(image, std::ios::binary) << std::string(20000, 'n');
  EXPECT_EQ(Run({"--ip", "127.0.0.1", "--self", "127.0.0.3", "--port", std::to_string(responder.Port()), "--wait", "20",
                 "write-config", PathToUtf8(image), "--force"}),
            1);
  platform::SetEnvironment("VELMOR_HOME", "");
  std::vector<std::filesystem::path> kept;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(home.Path() / "Cfg", ec)) kept.push_back(e.path());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_TRUE(FileNameUtf8(kept[0]).ends_with(" 127.0.0.1 до записи.cfg")) << PathToUtf8(kept[0]);
  std::ifstream copy(kept[0], std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), std::string(before.begin(), before.end()));
  EXPECT_NE(err.find("velmorctl: write-config: Конфигурация в контроллере теперь неполная: с ней контроллер не "
                     "запустится.  Прежняя конфигурация контроллера сохранена в файле " + PathToUtf8(kept[0])),
            std::string::npos)
      << err;
}

// A group of another subsystem adds a controller command: the link options in front reach it.
TEST_F(CommandLineTest, AnotherGroupsControllerCommandGetsTheLinkOptions) {
  CLI::App app("test", "velmorctl");
  AddLinkCommands(app);
  CLI::App* group = app.add_subcommand("svc", "a later group");
  CLI::App* command = group->add_subcommand("probe", "a controller command of that group");
  bool ran = false;
  SetLinkAction(*command, [&](TControllerLink&) {
    ran = true;
    return 0;
  });
  ::testing::internal::CaptureStderr();
  const int status = RunCommandLine(app, {"--serial", "/nonexistent/tty", "--wait", "5", "svc", "probe"});
  err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(ran);
  EXPECT_NE(err.find("velmorctl: probe: Не удалось открыть связь: порта /nonexistent/tty нет на этом компьютере"),
            std::string::npos)
      << err;
}

TEST(CliArgsTest, NumbersInEveryNotation) {
  unsigned v = 0;
  for (const char* text : {"31", "0x1F", "0X1f", "1Fh", "1fH", "$1F"}) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(ParseNumber(text, 255, v));
    EXPECT_EQ(v, 31u);
  }
  for (const char* text : {"", "0x", "$", "h", "1F", "256", "-1", "1 2", "123456789"})
    EXPECT_FALSE(ParseNumber(text, 255, v)) << text;
}

TEST(CliArgsTest, HexBytesArePairsWithOptionalSeparators) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ParseHexBytes({"DE AD", "be,ef", "01:02", "0304"}, 16, bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3, 4}));
  ASSERT_TRUE(ParseHexBytes({}, 16, bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ParseHexBytes({"686"}, 16, bytes));       // odd count
  EXPECT_FALSE(ParseHexBytes({"6 8"}, 16, bytes));       // a pair never spans a separator
  EXPECT_FALSE(ParseHexBytes({"6G"}, 16, bytes));
  EXPECT_FALSE(ParseHexBytes({"0x12"}, 16, bytes));
  EXPECT_FALSE(ParseHexBytes({"010203"}, 2, bytes));     // above the limit
  EXPECT_TRUE(ParseHexBytes({"0102"}, 2, bytes));
}

}  // namespace
}  // namespace vlm::cli
