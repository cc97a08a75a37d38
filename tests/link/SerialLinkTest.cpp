// The serial transport on a pseudo-terminal pair, the test playing the controller on the master.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "FakeController.h"
#include "common/Prompt.h"
#include "link/ServiceRequests.h"
#include "support/ScriptedPrompt.h"

namespace vlm {
namespace {

// Reads request frames from the master side and answers each with the fake controller.
class TPtyController {
 public:
  TPtyController() {
    char name[128] = {};
    ok_ = ::openpty(&master_, &slave_, name, nullptr, nullptr) == 0;
    device = name;
    if (ok_) thread_ = std::thread([this] { Serve(); });
  }
  ~TPtyController() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(master_);
    ::close(slave_);
  }
  bool Ok() const { return ok_; }
  void Inject(const std::vector<uint8_t>& bytes) { (void)!::write(master_, bytes.data(), bytes.size()); }

  std::string device;
  test::TFakeController controller;
  std::atomic<int> answered{0};

 private:
  void Serve() {
    std::vector<uint8_t> pending;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      uint8_t buffer[512];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) continue;
      pending.insert(pending.end(), buffer, buffer + n);
      while (!pending.empty() && pending.size() >= size_t(pending[0]) + 2) {
        const size_t size = size_t(pending[0]) + 2;
        const std::vector<uint8_t> frame(pending.begin(), pending.begin() + long(size));
        pending.erase(pending.begin(), pending.begin() + long(size));
        const auto answer = controller.Answer(frame);
        (void)!::write(master_, answer.data(), answer.size());
        ++answered;
      }
    }
  }

  int master_ = -1, slave_ = -1;
  bool ok_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct SerialLink : ::testing::Test {
  TPtyController pty;
  TControllerLink link;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    link.Settings.LinkMode = kLinkSerial;
    link.Settings.ComPortDevice = pty.device;
    ASSERT_TRUE(link.OpenLink());
  }
};

TEST_F(SerialLink, MemoryAndFileRequestsOverTheLine) {
  pty.controller.memory[0x10] = 0xAB;
  std::vector<uint8_t> out(16);
  ASSERT_TRUE(ReadMemory(link, 0, 0x10, out));
  EXPECT_EQ(out[0], 0xAB);

  // An error answer is shorter than a data block: its length byte ends it, not the time-out
  // (at least 2.4 s for a block; the bound leaves the quick path 2 s on a loaded machine).
  link.File.FileName = "none.dat";
  link.File.BlockSize = 230;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(DeleteRemoteFile(link));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
  EXPECT_EQ(link.LastDosError, 2);
}

TEST_F(SerialLink, BytesLeftOnTheLineDoNotStartTheNextAnswer) {
  pty.Inject({0x55, 0x66, 0x77});
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // on the line before the request
  pty.controller.memory[0x20] = 0x42;
  std::vector<uint8_t> out(1);
  ASSERT_TRUE(ReadMemory(link, 0, 0x20, out));
  EXPECT_EQ(out[0], 0x42);
}

TEST(SerialLinkOpen, AMissingDeviceOrAnUnknownModeDoesNotOpenAndSaysWhy) {
  TControllerLink link;
  link.Settings.LinkMode = kLinkSerial;
  link.Settings.ComPortDevice = "/dev/velmor-no-such-port";
  EXPECT_FALSE(link.OpenLink());
  EXPECT_EQ(link.LastOpenFailure().kind, TLinkOpenError::NoSuchPort);
  EXPECT_EQ(LinkOpenFailureText(link.LastOpenFailure(), link.Settings),
            "Не удалось открыть связь: порта /dev/velmor-no-such-port нет на этом компьютере");
  link.RequestBuffer[0] = 1;
  EXPECT_FALSE(link.Exchange(0, 0));  // a serial link is not opened by sending
  EXPECT_EQ(link.LastFailure, TLinkFailure::NotOpen);
  link.Settings.LinkMode = 7;
  EXPECT_FALSE(link.OpenLink());
  EXPECT_EQ(link.LastOpenFailure().kind, TLinkOpenError::WrongMode);
  EXPECT_EQ(LinkOpenFailureText(link.LastOpenFailure(), link.Settings),
            "Не удалось открыть связь: неизвестный режим связи LinkMode=7 (0 — COM-порт, 1 — UDP)");
  // The system's name of a COM port is given as the engineer knows it.
  link.Settings.LinkMode = kLinkSerial;
  link.Settings.ComPortDevice = "\\\\.\\COM7";
  EXPECT_EQ(LinkOpenFailureText({TLinkOpenError::PortInUse, {}}, link.Settings),
            "Не удалось открыть связь: порт COM7 занят другой программой");
}

}  // namespace
}  // namespace vlm
