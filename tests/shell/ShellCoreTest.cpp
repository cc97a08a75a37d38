// The Qt-free shell: indicator ring, address list, program settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "common/IniFile.h"
#include "common/PathText.h"
#include "platform/System.h"
#include "support/TempDir.h"
#include "link/LinkSettings.h"
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

TEST_F(ShellFolder, ListAddressesConvertWithTheLinkRules) {
  // Texts typed into the list keep the low byte of each number, as the settings always did.
  EXPECT_EQ(IPToStr(StrToIP(" 10 . 0.300.7 ")), "10.0.44.7");
  EXPECT_THROW(StrToIP("10.0.1"), EConvertError);
}

TEST_F(ShellFolder, FleetBackupTargetsAndNames) {
  const fs::path ini = dir / "IPList.ini";
  TIpList list;
  list.rows = {{"10.0.0.1", "ПС \"Южная\"/1"}, {"10.0.0.x", "Сломанная"}, {"10.0.0.3", "ПС Северная"}};
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

  // A controller whose address is unusable fails by itself without touching the link.
  TBackupOptions options;
  options.folder = dir;
  const TBackupResult failed = BackupController(targets[1], options, when);
  EXPECT_EQ(failed.outcome, TBackupOutcome::Failed);
  EXPECT_NE(failed.error.find("10.0.0.x"), std::string::npos) << failed.error;
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

}  // namespace
}  // namespace vlm
