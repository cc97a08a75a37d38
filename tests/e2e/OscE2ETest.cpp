// The oscilloscope stream and the text screen of velmor-sim through velmorctl: a short stream
// under lost and repeated packets, and the screen as text and as a BMP picture.
#include <gtest/gtest.h>

#include <regex>

#include "SimProcess.h"
#include "diag/DisplayFont.h"

namespace vlm::e2e {
namespace {

struct OscE2E : ::testing::Test {
  TTempDir root;
  fs::path home = root.Path() / "home", disk = root.Path() / "disk";
  void SetUp() override {
    for (const auto& d : {home, disk}) fs::create_directories(d);
  }
  TRun Ctl(const TSim& sim, std::vector<std::string> args) {
    std::vector<std::string> all{VELMORCTL, "--ip", "127.0.0.2", "--self", "127.0.0.1", "--port", std::to_string(sim.Port())};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(all, home, root.Path(), std::chrono::seconds(30));
  }
};

TEST_F(OscE2E, StreamUnderFaultsCountsWhatTheSimulatorDid) {
  // Seed 8 loses and repeats packets within the first second of the stream.
  TSim sim(disk, home, {"--drop", "0.01", "--dup", "0.01", "--seed", "8", "--osc-port", "0"});
  ASSERT_TRUE(sim.Running());
  ASSERT_NE(sim.OscPort(), 0);
  const fs::path wav = root.Path() / "запись.wav";
  const TRun run = Ctl(sim, {"osc", "record", "--channel", "1", "--seconds", "1", "-o", wav.string(),
                             "--osc-port", std::to_string(sim.OscPort())});
  ASSERT_EQ(run.status, 0) << run.err;
  sim.Stop();
  std::smatch m;
  ASSERT_TRUE(std::regex_search(run.out, m, std::regex(R"(packets (\d+), lost (\d+), repeated (\d+), wrong size 0)"))) << run.out;
  const std::string simErr = ReadText(home / "sim.err");
  std::smatch s;
  ASSERT_TRUE(std::regex_search(simErr, s, std::regex(R"(ended \(stop command\): sent \d+ delivered (\d+) dropped (\d+) repeated (\d+))")))
      << simErr;
  EXPECT_EQ(m[1], s[1]) << "every packet that arrived is taken";
  EXPECT_EQ(m[2], s[2]) << "losses counted";
  EXPECT_EQ(m[3], s[3]) << "repeats counted";
  EXPECT_GT(std::stoi(s[2]), 0);
  EXPECT_GT(std::stoi(s[3]), 0);
  EXPECT_NE(run.err.find("Осциллограф:Повтор"), std::string::npos);
  EXPECT_EQ(fs::file_size(wav), 44u + 24000u * 4u);
}

TEST_F(OscE2E, ScreenAsTextAndPicture) {
  TSim sim(disk, home);
  ASSERT_TRUE(sim.Running());
  const TRun text = Ctl(sim, {"screen", "--text"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 50);
  EXPECT_NE(text.out.find("ВЕЛМОР-DOS 4.1   Контроллер телемеханики"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find(" Время работы 00:00:"), std::string::npos);
  if (!fs::exists(kConsoleCyrillicFont)) GTEST_SKIP() << "console-cyrillic is not installed";
  const TRun bmp = Ctl(sim, {"screen", "--bmp", (root.Path() / "экран.png").string()});
  ASSERT_EQ(bmp.status, 0) << bmp.err;
  EXPECT_EQ(fs::file_size(root.Path() / "экран.bmp"), 54u + 640u * 500u * 3u);
}

}  // namespace
}  // namespace vlm::e2e
