// velmorctl box commands against velmor-sim: the recorder list, recordings that lose no record
// (with and without batch reads), the Ethernet capture and the exported-PDU pcap, both judged
// by tshark.
#include <gtest/gtest.h>

#include <regex>

#include "SimProcess.h"
#include "blackbox/BoxLine.h"
#include "common/TextCodec.h"
#include "sim/SimRecorders.h"

namespace vlm::e2e {
namespace {

constexpr uint64_t kSeed = 3;
constexpr double kRate = 20;  // frames per second: a few records per 20 ms poll at most

struct BoxE2E : ::testing::Test {
  TTempDir root;
  fs::path home = root.Path() / "home", disk = root.Path() / "disk";
  void SetUp() override {
    ASSERT_FALSE(root.Path().empty());
    for (const auto& d : {home, disk}) fs::create_directories(d);
  }
  std::vector<std::string> Ctl(const TSim& sim, std::vector<std::string> rest) const {
    std::vector<std::string> args{VELMORCTL, "--ip", "127.0.0.2", "--self", "127.0.0.1", "--port",
                                  std::to_string(sim.Port())};
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
  }
  TRun Run(std::vector<std::string> args) { return RunProgram(std::move(args), home, root.Path()); }
  TRun Shell(const std::string& command) { return RunProgram({"/bin/sh", "-c", command}, home, root.Path()); }
  std::vector<std::string> SimArgs(std::vector<std::string> extra = {}) const {
    std::vector<std::string> args{"--seed", std::to_string(kSeed), "--box-rate", "20"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  // Checks that a recording of ring `index` holds consecutive frames of the simulator's traffic
  // with consistent tick deltas; returns the number of records.
  size_t CheckRecording(const fs::path& file, size_t index) {
    const std::string text = Cp1251ToUtf8(ReadText(file));
    const std::regex head(R"(^\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3}\|t *(\d+)\|d *(-?\d+)\|p(\d{3})\|e(\d)\|L *(\d+)\|)");
    sim::TrafficGenerator traffic = sim::RingTraffic(index, kSeed);
    uint64_t k = 0, records = 0;
    uint32_t previous = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      std::smatch m;
      if (!std::regex_search(line, m, head)) continue;
      const uint32_t tick = uint32_t(std::stoul(m[1]));
      if (records == 0) {
        // The recording starts at buffer 0: somewhere in the traffic; catch the generator up.
        k = (tick - 3 * index) * uint64_t(kRate) / 1000;
        for (uint64_t i = 0; i < k; ++i) traffic.Next();
      } else {
        EXPECT_EQ(std::stol(m[2]), long(tick - previous)) << line;
      }
      EXPECT_EQ(tick, sim::RingTick(index, k, kRate)) << "record " << records << " is not frame " << k << ": " << line;
      const sim::SimFrame frame = traffic.Next();
      EXPECT_EQ(std::stoul(m[3]), frame.protocol) << line;
      EXPECT_EQ(std::stoul(m[5]), frame.bytes.size()) << line;
      TParsedLine parsed;
      if (frame.direction <= 1) {
        EXPECT_EQ(ClassifyRecordLine(line, parsed), TLineKind::Record) << line;
        EXPECT_EQ(parsed.record.direction, frame.direction);
        EXPECT_TRUE(std::equal(frame.bytes.begin(), frame.bytes.end(), parsed.record.data.begin())) << line;
      } else {
        EXPECT_EQ(ClassifyRecordLine(line, parsed), TLineKind::NotRecord) << "no direction mark: " << line;
      }
      previous = tick;
      ++k;
      ++records;
      if (HasFailure()) return records;
    }
    return records;
  }
  // "box: NAME: N written" of the simulator's exit.
  uint64_t SimWritten(const std::string& name) {
    const std::string err = ReadText(home / "sim.err");
    const size_t at = err.find("box: " + name + ": ");
    return at == std::string::npos ? 0 : std::stoull(err.substr(at + name.size() + 7));
  }
};

TEST_F(BoxE2E, ListShowsTheSimulatorsRecorders) {
  TSim sim(disk, home, SimArgs());
  ASSERT_TRUE(sim.Running());
  const TRun run = Run(Ctl(sim, {"box", "list"}));
  ASSERT_EQ(run.status, 0) << run.err;
  for (size_t i = 0; i < sim::RecorderPorts().size(); ++i) {
    EXPECT_NE(run.out.find("№" + std::to_string(i + 1) + " "), std::string::npos);
    EXPECT_NE(run.out.find(sim::RecorderPorts()[i].name), std::string::npos) << run.out;
  }
  EXPECT_NE(run.out.find("pcap"), std::string::npos);
  EXPECT_NE(run.out.find(sim::kEthernetRecorderName), std::string::npos);
}

void RecordTenSeconds(BoxE2E& t, std::vector<std::string> simExtra) {
  TSim sim(t.disk, t.home, t.SimArgs(simExtra));
  ASSERT_TRUE(sim.Running());
  const fs::path file = t.root.Path() / "modbus.txt";
  const TRun run = t.Run(t.Ctl(sim, {"box", "record", "--recorder", "2", "--seconds", "10", "-o", file.string(), "--text"}));
  sim.Stop();
  ASSERT_EQ(run.status, 0) << run.err;
  const size_t records = t.CheckRecording(file, 1);
  // Ten seconds at 20 frames a second, with the ring's older part read at the start.
  EXPECT_GE(records, 150u) << run.err;
  EXPECT_GE(t.SimWritten("COM3 Modbus"), records);
  EXPECT_NE(run.err.find(std::to_string(records) + " records"), std::string::npos) << run.err;
  EXPECT_NE(Cp1251ToUtf8(ReadText(file)).find("Фн=03(ReadHoldR)"), std::string::npos) << "decoded text is written";
}

TEST_F(BoxE2E, RecordingLosesNoRecordWithBatchReads) { RecordTenSeconds(*this, {}); }
TEST_F(BoxE2E, RecordingLosesNoRecordWithSingleReads) { RecordTenSeconds(*this, {"--no-batch"}); }

TEST_F(BoxE2E, EthernetCaptureIsAnIec104SessionForTshark) {
  TSim sim(disk, home, SimArgs());
  ASSERT_TRUE(sim.Running());
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // let the session produce a few packets
  const fs::path capture = root.Path() / "capture";
  const TRun run = Run(Ctl(sim, {"box", "pcap", "--recorder", std::to_string(sim::RecorderPorts().size() + 1), "-o",
                                 capture.string()}));
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_TRUE(fs::exists(root.Path() / "capture.pcap")) << run.err;
  EXPECT_FALSE(fs::exists(root.Path() / "capture.pcap.part"));
  const TRun shark = Shell("tshark -r " + (root.Path() / "capture.pcap").string() +
                           " -o tcp.check_checksum:TRUE -o ip.check_checksum:TRUE -T fields -e frame.protocols"
                           " -e ip.checksum.status -e tcp.checksum.status -e iec60870_104.type");
  ASSERT_EQ(shark.status, 0) << shark.err;
  EXPECT_NE(shark.out.find("eth:ethertype:ip:tcp:iec60870_104"), std::string::npos) << shark.out;
  EXPECT_NE(shark.out.find("iec60870_asdu"), std::string::npos) << shark.out;
  EXPECT_EQ(shark.out.find("\t2\t"), std::string::npos) << "bad checksum: " << shark.out;
  EXPECT_EQ(shark.out.find("\t0\t"), std::string::npos) << "unverified checksum: " << shark.out;
}

// A broken descriptor later in the chain leaves the recorders in front of it usable, as in the
// window; an existing recording is never overwritten unasked.
TEST_F(BoxE2E, RecordersBeforeABrokenDescriptorStayUsable) {
  TSim sim(disk, home, SimArgs());
  ASSERT_TRUE(sim.Running());
  ASSERT_EQ(Run(Ctl(sim, {"poke", "6020:0004", "00"})).status, 0);  // the third descriptor's signature
  const TRun list = Run(Ctl(sim, {"box", "list"}));
  EXPECT_EQ(list.status, 1) << list.err;
  EXPECT_NE(list.out.find("№1 "), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("№2 "), std::string::npos) << list.out;
  EXPECT_EQ(list.out.find("№3 "), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("breaks after the recorders listed"), std::string::npos) << list.err;

  const fs::path file = root.Path() / "first.txt";
  const std::vector<std::string> record{"box", "record", "--recorder", "1", "--seconds", "0.5", "-o", file.string()};
  const TRun first = Run(Ctl(sim, record));
  ASSERT_EQ(first.status, 0) << first.err;
  const std::string before = ReadText(file);
  const TRun again = Run(Ctl(sim, record));
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.err.find("exists"), std::string::npos) << again.err;
  EXPECT_EQ(ReadText(file), before);
  std::vector<std::string> append = record;
  append.push_back("--append");
  const TRun added = Run(Ctl(sim, append));
  EXPECT_EQ(added.status, 0) << added.err;
  const std::string after = ReadText(file);
  EXPECT_EQ(after.substr(0, before.size()), before);
  EXPECT_NE(Cp1251ToUtf8(after).find("Добавлены записи Чёрного Ящика №1"), std::string::npos);
}

// Ctrl+C during a capture: the part keeps its temporary name and the status says it failed.
TEST_F(BoxE2E, InterruptedCaptureIsNotGivenTheFinalName) {
  TSim sim(disk, home, SimArgs({"--delay", "200"}));  // slow answers: the copy takes seconds
  ASSERT_TRUE(sim.Running());
  std::this_thread::sleep_for(std::chrono::seconds(3));  // packets enough for many chunks
  const fs::path capture = root.Path() / "cut";
  const std::string part = (root.Path() / "cut.pcap.part").string();
  std::string command;
  for (const std::string& a : Ctl(sim, {"box", "pcap", "--recorder", std::to_string(sim::RecorderPorts().size() + 1),
                                        "-o", capture.string()}))
    command += "'" + a + "' ";
  const TRun run = Shell(command + "& pid=$!; while [ ! -e " + part + " ] && kill -0 $pid 2>/dev/null; do sleep 0.05; done; " +
                         "sleep 0.6; kill -INT $pid; wait $pid; echo status=$?");
  EXPECT_NE(run.out.find("status=1"), std::string::npos) << run.out << run.err;
  EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::exists(part));
  EXPECT_FALSE(fs::exists(root.Path() / "cut.pcap"));
}

TEST_F(BoxE2E, SerialRecordingsBecomeAPcapTsharkDissects) {
  TSim sim(disk, home, SimArgs());
  ASSERT_TRUE(sim.Running());
  std::string all;
  for (const int recorder : {1, 2, 7}) {
    const fs::path file = root.Path() / ("r" + std::to_string(recorder) + ".txt");
    const TRun run = Run(Ctl(sim, {"box", "record", "--recorder", std::to_string(recorder), "--seconds", "1.5", "-o",
                                   file.string()}));
    ASSERT_EQ(run.status, 0) << run.err;
    all += ReadText(file);
  }
  WriteBytes(root.Path() / "all.txt", all);
  const fs::path pcap = root.Path() / "all.pcap";
  const TRun convert = Run({VELMORCTL, "box", "topcap", (root.Path() / "all.txt").string(), "-o", pcap.string()});
  ASSERT_EQ(convert.status, 0) << convert.err;
  const size_t option = convert.err.find("tshark -d");
  ASSERT_NE(option, std::string::npos) << convert.err;
  const std::string options = convert.err.substr(option + 7, convert.err.find('\n', option) - option - 7);
  const TRun shark = Shell("tshark -r " + pcap.string() + " " + options +
                           " -T fields -e frame.protocols -e modbus.func_code -e iec60870_101.linkaddr"
                           " -e iec60870_104.apdulen -e iec60870_asdu.typeid");
  ASSERT_EQ(shark.status, 0) << shark.err;
  // Modbus read holding registers; IEC 101 single points (type 1) behind a link address;
  // IEC 104 short floats (type 13) behind an APCI.
  EXPECT_NE(shark.out.find("exported_pdu:mbrtu:modbus\t3\t\t\t"), std::string::npos) << shark.out;
  EXPECT_TRUE(std::regex_search(shark.out, std::regex("exported_pdu:iec60870_asdu\t\t\\d+\t\t1\n"))) << shark.out;
  EXPECT_TRUE(std::regex_search(shark.out, std::regex("exported_pdu:iec60870_asdu\t\t\t\\d+\t13\n"))) << shark.out;
}

// Every point, function and group of the SIRIUS traffic the generator sent appears in the
// analyzer's tree with as many appearances as the generator counted frames.
TEST_F(BoxE2E, AnalyzerFindsWhatTheGeneratorSent) {
  constexpr size_t kSirius = 3;
  TSim sim(disk, home, {"--seed", std::to_string(kSeed), "--box-rate", "50", "--box-clean"});
  ASSERT_TRUE(sim.Running());
  const fs::path file = root.Path() / "sirius.txt";
  const TRun record = Run(Ctl(sim, {"box", "record", "--recorder", "4", "--seconds", "1.2", "-o", file.string()}));
  ASSERT_EQ(record.status, 0) << record.err;
  const TRun run = Run({VELMORCTL, "box", "analyze", file.string()});
  ASSERT_EQ(run.status, 0) << run.err;

  // The frames the recording holds: from its first tick on, one per 20 ms.
  const std::string text = Cp1251ToUtf8(ReadText(file));
  const std::regex head(R"(^\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3}\|t *(\d+)\|)");
  std::istringstream lines(text);
  uint64_t first = 0, records = 0;
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_search(line, m, head)) continue;
    if (records++ == 0) first = (std::stoul(m[1]) - 3 * kSirius) * 50 / 1000;
  }
  ASSERT_GT(records, 20u);
  sim::TrafficGenerator traffic = sim::RingTraffic(kSirius, kSeed, false);
  for (uint64_t i = 0; i < first; ++i) traffic.Next();
  traffic.ClearSiriusSent();
  for (uint64_t i = 0; i < records; ++i) traffic.Next();

  // Point, function and group lines of the tree (indent 4, 6, 8) with their "C=" counts.
  std::map<sim::TrafficGenerator::SiriusKey, uint64_t> found;
  std::istringstream tree(run.out);
  int kp = -1, function = -1;
  const std::regex point(R"(^    Пункт(\d+) )"), func(R"(^      Функ([0-9A-F]{2})h)"),
      group(R"(^        Группа(\d+)\S* C=(\d+))");
  for (std::string line; std::getline(tree, line);) {
    std::smatch m;
    if (std::regex_search(line, m, point)) kp = std::stoi(m[1]);
    else if (std::regex_search(line, m, func)) function = std::stoi(m[1], nullptr, 16);
    else if (std::regex_search(line, m, group))
      found[{uint8_t(kp), uint8_t(function), uint8_t(std::stoi(m[1]))}] = std::stoull(m[2]);
  }
  EXPECT_EQ(found, traffic.SiriusSent()) << run.out;
  EXPECT_NE(run.out.find("ВЕЛМОР C=" + std::to_string(records) + " E=0 "), std::string::npos) << run.out;
}

}  // namespace
}  // namespace vlm::e2e
