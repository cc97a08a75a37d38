// velmorctl and the link core against velmor-sim over loopback UDP and a serial pty.
#include <gtest/gtest.h>

#include <memory>

#include "SimProcess.h"
#include "common/Prompt.h"
#include "link/ExchangeLog.h"
#include "link/FileTransfer.h"
#include "link/ServiceRequests.h"

namespace vlm::e2e {
namespace {

std::string Pattern(size_t n, unsigned seed) {
  std::string s(n, '\0');
  std::mt19937 random(seed);
  for (auto& c : s) c = char(random());
  return s;
}

struct LinkE2E : ::testing::Test {
  TTempDir root;
  fs::path home = root.Path() / "home", disk = root.Path() / "disk", pc = root.Path() / "pc";
  void SetUp() override {
    ASSERT_FALSE(root.Path().empty());
    for (const auto& d : {home, disk, pc}) fs::create_directories(d);
  }
  std::vector<std::string> Udp(const TSim& sim, std::vector<std::string> rest) const {
    std::vector<std::string> args{VELMORCTL, "--ip", "127.0.0.2", "--self", "127.0.0.1", "--port",
                                  std::to_string(sim.Port())};
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
  }
  std::vector<std::string> Serial(const TSim& sim, std::vector<std::string> rest) const {
    std::vector<std::string> args{VELMORCTL, "--serial", sim.Pty()};
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
  }
  TRun Run(std::vector<std::string> args) { return RunProgram(std::move(args), home, root.Path()); }

  // Every size around the 230-byte block goes up and comes back byte for byte.
  void RoundTrips(const TSim& sim, bool serial) {
    for (size_t size : {0u, 1u, 229u, 230u, 231u, 460u, 461u, 65536u}) {
      SCOPED_TRACE(size);
      const std::string name = "f" + std::to_string(size) + ".bin";
      const std::string data = Pattern(size, unsigned(size));
      WriteBytes(pc / name, data);
      auto cmd = [&](std::vector<std::string> rest) { return serial ? Serial(sim, rest) : Udp(sim, rest); };
      const TRun put = Run(cmd({"put", (pc / name).string(), name}));
      ASSERT_EQ(put.status, 0) << put.err;
      const TRun get = Run(cmd({"get", name, "-o", (pc / "back.bin").string()}));
      ASSERT_EQ(get.status, 0) << get.err;
      EXPECT_EQ(ReadText(pc / "back.bin"), data);
    }
  }
};

TEST_F(LinkE2E, FilesAroundTheBlockSizeRoundTripOverUdp) {
  TSim sim(disk, home);
  ASSERT_TRUE(sim.Running());
  RoundTrips(sim, false);
}

TEST_F(LinkE2E, FilesAroundTheBlockSizeRoundTripOverASerialPty) {
  TSim sim(disk, home, {}, true);
  ASSERT_TRUE(sim.Running());
  ASSERT_FALSE(sim.Pty().empty());
  RoundTrips(sim, true);
}

TEST_F(LinkE2E, NamesCutTo12MissingFileDeletionAndListingEnd) {
  TSim sim(disk, home);
  ASSERT_TRUE(sim.Running());
  WriteBytes(pc / "x", "hello");
  const TRun put = Run(Udp(sim, {"put", (pc / "x").string(), "abcdefgh.txtXYZ"}));
  ASSERT_EQ(put.status, 0) << put.err;
  EXPECT_NE(put.err.find("abcdefgh.txt"), std::string::npos);
  const TRun get = Run(Udp(sim, {"get", "abcdefgh.txt", "-o", (pc / "y").string()}));
  ASSERT_EQ(get.status, 0) << get.err;
  EXPECT_EQ(ReadText(pc / "y"), "hello");

  const TRun rm = Run(Udp(sim, {"rm", "missing.txt"}));
  EXPECT_EQ(rm.status, 1);
  // The console shows the box's line breaks as new lines.
  EXPECT_NE(rm.err.find("Ошибка удаления файла. \n2 - Файл не найден."), std::string::npos) << rm.err;

  const TRun ls = Run(Udp(sim, {"--show-errors", "ls"}));
  ASSERT_EQ(ls.status, 0) << ls.err;
  EXPECT_EQ(ls.err, "");
  EXPECT_NE(ls.out.find("ABCDEFGH.TXT"), std::string::npos) << ls.out;
  EXPECT_NE(ls.out.find("AUTOEXEC.BAT"), std::string::npos);
}

TEST_F(LinkE2E, ConfigurationSurvivesALossyLink) {
  TSim sim(disk, home, {"--drop", "0.1", "--dup", "0.05", "--delay", "5", "--seed", "7"});
  ASSERT_TRUE(sim.Running());
  const std::string image = Pattern(64000, 64000);
  WriteBytes(pc / "in.cfg", image);
  // Bytes that are no configuration are not given to the controller to boot from, unless forced.
  const std::string before = ReadText(disk / "vlm.cfg");
  const TRun refused = Run(Udp(sim, {"write-config", (pc / "in.cfg").string()}));
  EXPECT_EQ(refused.status, 2) << refused.err;
  EXPECT_TRUE(ReadText(disk / "vlm.cfg") == before);
  const TRun write =
      Run(Udp(sim, {"--attempts", "10", "--wait", "30", "write-config", (pc / "in.cfg").string(), "--force"}));
  ASSERT_EQ(write.status, 0) << write.err;
  const TRun read = Run(Udp(sim, {"--attempts", "10", "--wait", "30", "read-config", "-o", (pc / "out.cfg").string()}));
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_TRUE(ReadText(pc / "out.cfg") == image);
}

TEST_F(LinkE2E, MemoryPeekPokeAndReset) {
  TSim sim(disk, home);
  ASSERT_TRUE(sim.Running());
  ASSERT_EQ(Run(Udp(sim, {"poke", "7234:0010", "DE AD BE EF"})).status, 0);
  const TRun peek = Run(Udp(sim, {"peek", "7234:0010", "4"}));
  ASSERT_EQ(peek.status, 0) << peek.err;
  EXPECT_EQ(peek.out, "7234:0010  DE AD BE EF\n");
  // Read in areas of 3 bytes, as the live windows read: the same bytes.
  EXPECT_EQ(Run(Udp(sim, {"peek", "--areas", "3", "7234:0010", "4"})).out, peek.out);
  EXPECT_EQ(Run(Udp(sim, {"peek", "--areas", "256", "7234:0010", "4"})).status, 2);
  EXPECT_EQ(Run(Udp(sim, {"reset"})).status, 0);
  EXPECT_EQ(Run(Udp(sim, {"peek", "7234:0010", "4"})).out, "7234:0010  00 00 00 00\n");  // reset clears memory
  EXPECT_EQ(Run(Udp(sim, {"peek", "zz:1", "4"})).status, 2);
  EXPECT_EQ(Run(Udp(sim, {"frobnicate"})).status, 2);
}

// The reset gets no answer: closing the serial link right after it must not throw it away.
TEST_F(LinkE2E, ResetOverASerialPtyReachesTheController) {
  TSim sim(disk, home, {}, true);
  ASSERT_TRUE(sim.Running());
  ASSERT_EQ(Run(Serial(sim, {"poke", "7000:0000", "55 AA"})).status, 0);
  ASSERT_EQ(Run(Serial(sim, {"reset"})).status, 0);
  EXPECT_EQ(Run(Serial(sim, {"peek", "7000:0000", "2"})).out, "7000:0000  00 00\n");
}

TEST_F(LinkE2E, EveryCommandFailsClearlyWhenTheSimulatorIsGone) {
  TSim sim(disk, home, {}, true);
  ASSERT_TRUE(sim.Running());
  const std::string pty = sim.Pty();
  sim.Stop();
  WriteBytes(pc / "a.cfg", "cfg");
  const std::vector<std::vector<std::string>> commands = {
      {"ls"}, {"get", "vlm.cfg", "-o", (pc / "g").string()}, {"put", (pc / "a.cfg").string()}, {"rm", "vlm.cfg"},
      {"reset"}, {"read-config", "-o", (pc / "r.cfg").string()}, {"write-config", (pc / "a.cfg").string(), "--force"},
      {"peek", "0:0", "16"}, {"poke", "0:0", "01"}};
  for (const auto& c : commands) {
    SCOPED_TRACE(c[0]);
    std::vector<std::string> quick{"--wait", "30"};  // three tries of a dead controller, no more
    quick.insert(quick.end(), c.begin(), c.end());
    const TRun udp = Run(Udp(sim, quick));
    EXPECT_EQ(udp.status, 1);
    EXPECT_NE(udp.err.find("velmorctl: " + c[0] + ":"), std::string::npos) << udp.err;
    EXPECT_NE(udp.err.find("no answer from the controller"), std::string::npos) << udp.err;
    std::vector<std::string> serial{VELMORCTL, "--serial", pty};
    serial.insert(serial.end(), c.begin(), c.end());
    const TRun line = Run(serial);
    EXPECT_EQ(line.status, 1);
    EXPECT_NE(line.err.find("velmorctl: " + c[0] + ": Не удалось открыть связь: порт"), std::string::npos) << line.err;
    EXPECT_NE(line.err.find(pty), std::string::npos) << line.err;
  }
}

TEST_F(LinkE2E, CoreReadsMemoryFromTheSimulatorAndLogsTheFrames) {
  TSim sim(disk, home);
  ASSERT_TRUE(sim.Running());
  TControllerLink link;
  TExchangeLog log;
  link.AddObserver(&log);
  link.Settings.SelfIP = {127, 0, 0, 1};
  link.Settings.DestIP = {127, 0, 0, 2};
  link.Settings.UdpPort = sim.Port();
  TLinkSession session(link);
  ASSERT_TRUE(session.Opened());
  ASSERT_TRUE(ReadMemory(link, 0x1234, 0x0010, 16));
  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with("06 80 10 00 34 12 10 E6 ")) << lines[0];
  EXPECT_EQ(lines[0].substr(7, 8), " 99999  ");
  EXPECT_TRUE(lines[1].starts_with(">")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with("1"));
  EXPECT_NE(lines[1].find("80 10 00 34 12 10 "), std::string::npos);
}


// Three controllers in the address list, one of them switched off: two copies, one clear failure,
// exit status 1; a second run finds both copies identical and writes no new file.
TEST_F(LinkE2E, BackupAllCopiesEveryReachableControllerAndCountsTheFailures) {
  const std::vector<std::string> ips{"127.0.0.2", "127.0.0.3", "127.0.0.4"};
  std::vector<std::unique_ptr<TSim>> sims;
  std::string list = "[IPList]\r\n";
  std::string links;
  for (size_t i = 0; i < ips.size(); ++i) {
    const fs::path d = root.Path() / ("disk" + std::to_string(i));
    fs::create_directories(d);
    const TRun made = Run({VELMORCTL, "cfg", "new", (d / "vlm.cfg").string(), "--place", "ТП " + std::to_string(i)});
    ASSERT_EQ(made.status, 0) << made.err;
    sims.push_back(std::make_unique<TSim>(d, home, std::vector<std::string>{}, false, ips[i]));
    ASSERT_TRUE(sims.back()->Running());
    list += "ТП " + std::to_string(i) + "=" + ips[i] + "\r\n";
    links += "[Link " + ips[i] + "]\r\nUdpPort=" + std::to_string(sims.back()->Port()) + "\r\nAttempts=1\r\nWaitTime=30\r\n";
  }
  sims[2]->Stop();
  WriteBytes(pc / "IPList.ini", list + links);
  const fs::path out = root.Path() / "copies";
  const std::vector<std::string> command{VELMORCTL, "--self", "127.0.0.1", "backup-all", "--iplist",
                                         (pc / "IPList.ini").string(), "--out", out.string(), "--jobs", "3"};
  const TRun first = Run(command);
  EXPECT_EQ(first.status, 1) << first.out << first.err;
  for (size_t i = 0; i < 2; ++i) {
    const size_t line = first.out.find(ips[i]);
    ASSERT_NE(line, std::string::npos) << first.out;
    EXPECT_NE(first.out.find("saved (first copy) ТП " + std::to_string(i) + "_" + ips[i] + "_", line), std::string::npos)
        << first.out;
  }
  EXPECT_NE(first.out.find("FAILED: no answer from the controller (UDP 127.0.0.4:"), std::string::npos) << first.out;
  std::vector<fs::path> copies;
  for (const auto& e : fs::directory_iterator(out)) copies.push_back(e.path());
  ASSERT_EQ(copies.size(), 2u);
  for (const auto& c : copies) {
    const std::string name = c.filename().string();
    const size_t i = name.starts_with("ТП 0_127.0.0.2_") ? 0 : 1;
    EXPECT_EQ(ReadText(c), ReadText(root.Path() / ("disk" + std::to_string(i)) / "vlm.cfg")) << name;
  }

  const TRun second = Run(command);
  EXPECT_EQ(second.status, 1) << second.out << second.err;
  size_t identical = 0;
  for (size_t at = second.out.find("identical to "); at != std::string::npos; at = second.out.find("identical to ", at + 1))
    ++identical;
  EXPECT_EQ(identical, 2u) << second.out;
  EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(out), fs::directory_iterator())), 2u);

  // diff-controller: the file the controller holds, another one, a controller that does not answer.
  auto diff = [&](size_t sim, const fs::path& file) {
    return Run({VELMORCTL, "--ip", ips[sim], "--self", "127.0.0.1", "--port", std::to_string(sims[sim]->Port()),
                "--attempts", "1", "--wait", "30", "diff-controller", file.string()});
  };
  const TRun same = diff(0, root.Path() / "disk0" / "vlm.cfg");
  EXPECT_EQ(same.status, 0) << same.out << same.err;
  EXPECT_EQ(same.out, "Конфигурация в контроллере совпадает с файлом байт в байт\n");
  const TRun other = diff(0, root.Path() / "disk1" / "vlm.cfg");
  EXPECT_EQ(other.status, 1) << other.out << other.err;
  EXPECT_EQ(other.out, "~ СТАНЦИЯ ПУ ТП 1: Место установки: \"ТП 0\" -> \"ТП 1\"\n");
  const TRun gone = diff(2, root.Path() / "disk0" / "vlm.cfg");
  EXPECT_EQ(gone.status, 3) << gone.out << gone.err;
  EXPECT_NE(gone.err.find("no answer from the controller"), std::string::npos) << gone.err;
}

}  // namespace
}  // namespace vlm::e2e
