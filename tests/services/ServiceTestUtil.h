#pragma once
// The services against the fake disk through the fake transport; what they report recorded.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <deque>
#include <sstream>
#include <utility>

#include "FakeDisk.h"
#include "link/FakeTransport.h"
#include "common/Prompt.h"
#include "common/PathText.h"
#include "platform/System.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "link/ServiceRequests.h"
#include "services/ServiceObserver.h"

namespace vlm::test {

namespace fs = std::filesystem;

struct TRecorder : IServiceObserver {
  std::vector<std::string> states, logs, deselected;
  std::vector<TPoint> points;
  uint64_t progressMax = 0;
  std::function<void()> onPump;
  void State(const std::string& text) override { states.push_back(text); }
  void Log(const std::string& line) override { logs.push_back(line); }
  void Progress(uint64_t, uint64_t maximum) override { progressMax = maximum; }
  void Point(TPoint point) override { points.push_back(point); }
  void Pump() override { if (onPump) onPump(); }
  void Deselect(const std::string& name) override { deselected.push_back(name); }
  bool Stated(const std::string& text) const { return std::find(states.begin(), states.end(), text) != states.end(); }
};

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

inline std::string Pattern(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char((i * 7 + seed * 13 + i / 251) & 0xFF);
  return s;
}

// A link to the fake disk, a PC folder and a data folder of the test's own.
struct TServiceTest : ::testing::Test {
  TFakeDisk disk;
  TControllerLink link;
  TRecorder observer;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  TFakeWire wire;
  int& opens = wire.opens;
  int& closes = wire.closes;
  test::TTempDir temp{"services"};
  fs::path root, pc, home;

  void SetUp() override {
    wire.device = [this](std::span<const uint8_t> frame) { return disk.Answer(frame); };
    UseFake(link, wire);
    root = temp.Path();
    pc = root / "pc";
    home = root / "home";
    fs::create_directories(pc);
    fs::create_directories(home);
    platform::SetEnvironment("VELMOR_HOME", PathToUtf8(home));
  }
  void TearDown() override {
    EXPECT_FALSE(link.LinkOpen()) << "an operation left the link open";
    platform::SetEnvironment("VELMOR_HOME", "");
  }
  size_t Bad() const { return size_t(std::count(observer.points.begin(), observer.points.end(), TPoint::Bad)); }
};

}  // namespace vlm::test
