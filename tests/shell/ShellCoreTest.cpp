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
