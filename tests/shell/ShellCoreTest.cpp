// The Qt-free shell: indicator ring, address list, program settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "platform/System.h"
#include "support/TempDir.h"
#include "link/FakeController.h"
#include "link/LinkSettings.h"
#include "link/UdpResponder.h"
#include "shell/AppContext.h"
#include "shell/FleetBackup.h"
#include "shell/IndicatorRing.h"
#include "shell/IpList.h"

namespace vlm {
namespace {

namespace fs = std::filesystem;

TEST(IndicatorRing, KeepsTheNewest256AndTwoWriters) {
  TIndicatorRing ring;
  for (uint32_t i = 0; i < 300; ++i) ring.Add(i);
  const auto drained = ring.Drain();
  ASSERT_EQ(drained.size(), 256u);
  EXPECT_EQ(drained.front(), 44u);
  EXPECT_EQ(drained.back(), 299u);
  EXPECT_TRUE(ring.Drain().empty());

  // Two writers and a drainer: every point is either drained or overwritten, never torn.
  size_t got = 0;
  std::thread other([&] {
    for (int i = 0; i < 20000; ++i) ring.Add(PointColor::Red);
  });
  for (int i = 0; i < 20000; ++i) {
    ring.Add(PointColor::Green);
    for (uint32_t c : ring.Drain()) {
      ASSERT_TRUE(c == PointColor::Green || c == PointColor::Red) << c;
      ++got;
    }
  }
  other.join();
  got += ring.Drain().size();
  EXPECT_GT(got, 20000u);
  EXPECT_LE(got, 40000u);
}

// A folder of its own per test, removed afterwards; VELMOR_HOME points at it.
struct ShellFolder : ::testing::Test {
  test::TTempDir temp{"shell"};
  fs::path dir = temp.Path();
  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    platform::SetEnvironment("VELMOR_HOME", PathToUtf8(dir));
  }
  void TearDown() override {
    platform::SetEnvironment("VELMOR_HOME", "");
  }
};

TEST_F(ShellFolder, IpListRowsAndFile) {
  const fs::path ini = dir / "IPList.ini";
  TIpList list;
  list.Load(ini);
  EXPECT_TRUE(list.rows.empty());
  ASSERT_TRUE(list.Save(ini));
  EXPECT_FALSE(fs::exists(ini));  // nothing to save writes nothing

  list.rows = {{"10.0.0.1", "ПС Южная"}, {"10.0.0.2", "ПС Северная"}, {"10.0.0.3", "ПС Южная"},
               {"10.0.0.4", ""}, {"10.0.0.5", "a=b"}};
  EXPECT_EQ(list.MoveUp(0), 0);
  EXPECT_EQ(list.MoveDown(4), 4);
  EXPECT_EQ(list.MoveDown(0), 1);
  EXPECT_EQ(list.rows[1].address, "10.0.0.1");
  ASSERT_TRUE(list.Save(ini));
  TIpList again;
  again.Load(ini);
  // The same place twice is one line (the later address wins); an empty place is not saved; an
  // "=" cannot survive in a key.
  ASSERT_EQ(again.rows.size(), 3u);
  EXPECT_EQ(again.PlaceOf("10.0.0.3"), "ПС Южная");
  EXPECT_EQ(again.Find("10.0.0.5"), 2);
  EXPECT_EQ(again.rows[2].place, "ab");

  again.Delete(0);
  EXPECT_EQ(again.rows.size(), 2u);
  again.Delete(1);
  again.Delete(0);
  ASSERT_EQ(again.rows.size(), 1u);  // the last row is only cleared
  EXPECT_EQ(again.rows[0].address, "");
}

TEST_F(ShellFolder, ListRowsThatAreNoAddressesAreKnown) {
  // A typo above 255 must not wrap round to another controller (300 is not 44).
  EXPECT_TRUE((TIpRow{" 10 . 0.30.7 ", "a"}.AddressValid()));
  EXPECT_FALSE((TIpRow{" 10 . 0.300.7 ", "a"}.AddressValid()));
  EXPECT_FALSE((TIpRow{"10.0.1", "a"}.AddressValid()));
}

TEST_F(ShellFolder, FleetBackupTargetsAndNames) {
  const fs::path ini = dir / "IPList.ini";
  TIpList list;
  list.rows = {{"10.0.0.1", "ПС \"Южная\"/1"}, {"10.0.0.304", "Сломанная"}, {"10.0.0.3", "ПС Северная"}};
  ASSERT_TRUE(list.Save(ini));
  TIniFile file(ini.string());
  file.WriteInteger(LinkSectionOf("10.0.0.3"), "UdpPort", 2208);
  file.WriteInteger(LinkSectionOf("10.0.0.3"), "WaitTime", 2500);
  ASSERT_TRUE(file.UpdateFile());
  TIpList again;
  again.Load(ini);  // the list itself does not see the sections of the link settings
  ASSERT_EQ(again.rows.size(), 3u);
  TLinkSettings base;
  base.Attempts = 7;
  const auto targets = BackupTargets(again, TIniFile(ini.string()), base);
  ASSERT_EQ(targets.size(), 3u);
  EXPECT_EQ(targets[0].settings.DestIP, (TIPAddress{10, 0, 0, 1}));
  EXPECT_EQ(targets[0].settings.UdpPort, 208);
  EXPECT_FALSE(targets[1].settingsError.empty());
  EXPECT_EQ(targets[2].settings.UdpPort, 2208);
  EXPECT_EQ(targets[2].settings.WaitTime, 2500);
  EXPECT_EQ(targets[2].settings.Attempts, 7);
  // The place loses what the program's own backups drop from it, the time is sortable.
  const TDateTime when = EncodeDateTime({2026, 2, 1, 3, 4, 5, 0});
  EXPECT_EQ(FleetBackupName(targets[0].place, targets[0].address, when), "ПС Южная1_10.0.0.1_20260201-030405.cfg");
  EXPECT_EQ(FleetBackupName("", "10.0.0.3", when), "_10.0.0.3_20260201-030405.cfg");
  EXPECT_EQ(BackupFileName("A/B:C", when), "2026_02_01 03_04_05 ABC.cfg");
  EXPECT_EQ(BackupFileName("\"x*+<>?\\|y\tПС", when), "2026_02_01 03_04_05 xyПС.cfg");
  std::string longPlace;
  for (int i = 0; i < 200; ++i) longPlace += "Ж";  // 400 bytes: no file system takes such a name
  const std::string cut = BackupFileName(longPlace, when);
  EXPECT_LE(cut.size() + 4, kBackupNameLimit);
  EXPECT_TRUE(cut.ends_with("ЖЖ.cfg")) << cut;  // cut between letters, not inside one

  // A controller whose address is unusable fails by itself without touching the link.
  TBackupOptions options;
  options.folder = dir;
  const TBackupResult failed = BackupController(targets[1], options, when, TBackupFolder(dir));
  EXPECT_EQ(failed.outcome, TBackupOutcome::Failed);
  EXPECT_NE(failed.error.find("'10.0.0.304' is not a valid IP address"), std::string::npos) << failed.error;
}

TEST_F(ShellFolder, SettingsRoundTripKeepsTheLinkAndWindowKeys) {
  {
    TAppContext context;
    context.LoadSettings();
    EXPECT_EQ(context.Main.FormWidth, TMainSettings{}.FormWidth);
    context.Main.FormWidth = 1234;
    context.Main.RecentDirectory = "/data/Cfg";
    context.Main.CloseReset = false;
    context.Link.Settings.DestIP = {10, 1, 2, 3};
    context.Link.Settings.UdpPort = 20208;
    ASSERT_TRUE(context.SaveSettings());
  }
  EXPECT_EQ(TIniFile((dir / "velmor.ini").string()).ReadString(kLinkIniSection, "DestIP", ""), "10.1.2.3");
  TAppContext again;
  again.LoadSettings();
  EXPECT_EQ(again.Main.FormWidth, 1234);
  EXPECT_EQ(again.Main.RecentDirectory, "/data/Cfg");
  EXPECT_FALSE(again.Main.CloseReset);
  EXPECT_EQ(again.Link.Settings.DestIP, (TIPAddress{10, 1, 2, 3}));
  EXPECT_EQ(again.Link.Settings.UdpPort, 20208);
}

// An ini edited by hand: what the link cannot use is taken as its default, told in the exchange
// log, and written back so at the next save.
TEST_F(ShellFolder, SettingsOutOfRangeAreLoggedAndSavedAsTheirDefaults) {
  TIniFile bad((dir / "velmor.ini").string());
  bad.WriteString("Velmor", "LinkMode", "7");
  bad.WriteString("Velmor", "Attempts", "-5");
  bad.WriteString("Velmor", "WaitTime", "0");
  bad.WriteString("Velmor", "FormWidth", "-900");
  bad.WriteString("Velmor", "FormLeft", "-200");  // a second screen on the left
  ASSERT_TRUE(bad.UpdateFile());
  TAppContext context;
  context.LoadSettings();
  EXPECT_EQ(context.Link.Settings.LinkMode, kLinkUdp);
  EXPECT_EQ(context.Link.Settings.Attempts, 3);
  EXPECT_EQ(context.Link.Settings.WaitTime, 100);
  EXPECT_EQ(context.Main.FormWidth, TMainSettings{}.FormWidth);
  EXPECT_EQ(context.Main.FormLeft, -200);
  const auto lines = context.Log.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "Настройка [Velmor] WaitTime=0: вне пределов 10..10000, взято 100");
  EXPECT_EQ(lines[3], "Настройка [Velmor] FormWidth=-900: вне пределов 0..16384, взято 900");
  ASSERT_TRUE(context.SaveSettings());
  const TIniFile saved((dir / "velmor.ini").string());
  EXPECT_EQ(saved.ReadString("Velmor", "LinkMode", ""), "1");
  EXPECT_EQ(saved.ReadString("Velmor", "Attempts", ""), "3");
  EXPECT_EQ(saved.ReadString("Velmor", "FormWidth", ""), "900");
}

// The field set-up: every controller answers on one port to one PC address. Eight jobs read
// them at once over one socket, each copy holds its own controller's bytes, a silent controller
// fails alone with its reason, an address listed twice waits its turn (said once), a place of 200
// letters gets a short name of its own, and a second run finds every copy identical.
TEST_F(ShellFolder, BackupAllReadsControllersOnOnePortAtOnceIntoShortNames) {
  std::vector<std::unique_ptr<test::TFakeController>> controllers;
  std::vector<std::unique_ptr<test::TUdpResponder>> responders;
  uint16_t port = 0;
  for (int i = 0; i < 7; ++i) {
    auto& c = *controllers.emplace_back(std::make_unique<test::TFakeController>());
    c.files["c:\\vlm.cfg"] = std::vector<uint8_t>(500 + 100 * i, uint8_t(i + 1));
    responders.push_back(std::make_unique<test::TUdpResponder>(
        "127.0.0." + std::to_string(2 + i), [&c](std::span<const uint8_t> req) { return c.Answer(req); }, port));
#ifdef _WIN32
    // wine refuses a second loopback address on a port held exclusively by the first.
    if (i > 0 && !responders.back()->Ok()) GTEST_SKIP() << "one port on two loopback addresses is refused here";
#endif
    ASSERT_TRUE(responders.back()->Ok());
    port = responders.back()->Port();
  }
  std::string place1;
  for (int i = 0; i < 200; ++i) place1 += "Ж";
  const std::string place2 = place1.substr(0, 150 * 2) + std::string(50, 'y');
  TIpList list;
  for (int i = 0; i < 7; ++i) list.rows.push_back({"127.0.0." + std::to_string(2 + i), "ТП " + std::to_string(i)});
  list.rows[0].place = place1;
  list.rows[1].place = place2;
  list.rows.push_back({"127.0.0.2", "ТП 0 ещё раз"});
  list.rows.push_back({"127.0.0.20", "Выключен"});
  TLinkSettings base;
  base.SelfIP = {127, 0, 0, 1};
  base.UdpPort = port;
  base.Attempts = 1;
  base.WaitTime = 50;
  const auto targets = BackupTargets(list, TIniFile((dir / "none.ini").string()), base);
  TBackupOptions options;
  options.folder = dir / "copies";
  fs::create_directories(options.folder);
  options.jobs = 8;
  std::vector<std::string> notes;
  options.note = [&](const std::string& note) { notes.push_back(note); };

  const auto first = BackupAll(targets, options);
  ASSERT_EQ(first.size(), 9u);
  for (size_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(list.rows[i].place);
    ASSERT_EQ(first[i].outcome, TBackupOutcome::Saved) << first[i].error;
    const std::string name = FileNameUtf8(first[i].file);
    EXPECT_LE(name.size() + 4, kBackupNameLimit);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(first[i].file, bytes));
    const size_t c = i == 7 ? 0 : i;
    EXPECT_EQ(bytes, std::string(500 + 100 * c, char(c + 1)));
  }
  EXPECT_NE(first[0].file, first[1].file);  // the two long places share their first 150 letters
  EXPECT_NE(first[0].file, first[7].file);
  EXPECT_EQ(first[8].outcome, TBackupOutcome::Failed);
  EXPECT_EQ(first[8].failure, TLinkFailure::NoAnswer);
  EXPECT_EQ(notes, (std::vector<std::string>{
                       "по одному читаются контроллеры 127.0.0.2, 127.0.0.2 (один адрес в списке несколько раз)"}));

  options.when = Now() + 2.0 / 86400;  // two seconds later: new names unless identical
  const auto second = BackupAll(targets, options);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(second[i].outcome, TBackupOutcome::Identical) << i;
    EXPECT_EQ(second[i].file, first[i].file) << i;
  }
  EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(options.folder), fs::directory_iterator())), 8u);
}

}  // namespace
}  // namespace vlm
