// Addresses as text and the link's keys in the program's ini.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/IniFile.h"
#include "link/LinkSettings.h"
#include "platform/SerialPort.h"
#include "support/TempDir.h"

namespace vlm {
namespace {

TEST(LinkAddresses, TextToBytesInTextOrderAndBack) {
  EXPECT_EQ(StrToIP("192.168.1.20"), (TIPAddress{192, 168, 1, 20}));
  EXPECT_EQ(StrToIP(" 10 . 0 .0. 7 "), (TIPAddress{10, 0, 0, 7}));
  EXPECT_EQ(IPToStr({127, 0, 0, 2}), "127.0.0.2");
  EXPECT_THROW(StrToIP("10.0.0"), EConvertError);
  EXPECT_THROW(StrToIP("10.0.x.1"), EConvertError);
  EXPECT_THROW(StrToIP("10..0.1"), EConvertError);
  EXPECT_THROW(StrToIP("10.0.0.1.5"), EConvertError);  // the last part is "1.5"
}

TEST(LinkSettings, DefaultsFromAnEmptyIniAndARoundTrip) {
  const test::TTempDir dir("link_ini");
  const auto path = (dir / "velmor.ini").string();
  TIniFile empty(path);
  const TLinkSettings d = LoadLinkSettings(empty);
  EXPECT_EQ(d.LinkMode, 1);
  EXPECT_EQ(d.ComPortNumber, 1);
  EXPECT_EQ(d.Attempts, 3);
  EXPECT_EQ(d.WaitTime, 100);
  EXPECT_FALSE(d.ShowErrors);
  EXPECT_EQ(d.UdpPort, 208);
  EXPECT_EQ(d.DestIP, (TIPAddress{0, 0, 0, 0}));
  // COM1 by the system's name for it.
  EXPECT_EQ(SerialDeviceName(d), platform::ComPortDeviceName(1));
#ifdef _WIN32
  EXPECT_EQ(platform::ComPortDeviceName(1), "\\\\.\\COM1");  // the prefix opens COM10 and above as well
#else
  EXPECT_EQ(platform::ComPortDeviceName(1), "/dev/ttyS0");
#endif

  TLinkSettings s;
  s.LinkMode = 0;
  s.ComPortNumber = 3;
  s.ComPortDevice = "/dev/ttyUSB0";
  s.UdpPort = 20208;
  s.SelfIP = {10, 0, 0, 1};
  s.DestIP = {10, 0, 0, 2};
  s.Attempts = 10;
  s.WaitTime = 500;
  s.ShowErrors = true;
  {
    TIniFile ini(path);
    SaveLinkSettings(ini, s);
    ASSERT_TRUE(ini.UpdateFile());
  }
  TIniFile again(path);
  EXPECT_EQ(again.ReadString("Velmor", "DestIP", ""), "10.0.0.2");
  EXPECT_EQ(again.ReadInteger("Velmor", "ShowErrors", -1), 1);
  const TLinkSettings r = LoadLinkSettings(again);
  EXPECT_EQ(r.LinkMode, 0);
  EXPECT_EQ(r.ComPortNumber, 3);
  EXPECT_EQ(SerialDeviceName(r), "/dev/ttyUSB0");
  EXPECT_EQ(r.UdpPort, 20208);
  EXPECT_EQ(r.SelfIP, s.SelfIP);
  EXPECT_EQ(r.DestIP, s.DestIP);
  EXPECT_EQ(r.Attempts, 10);
  EXPECT_EQ(r.WaitTime, 500);
  EXPECT_TRUE(r.ShowErrors);

  again.WriteString("Velmor", "DestIP", "not an address");
  EXPECT_EQ(LoadLinkSettings(again).DestIP, (TIPAddress{0, 0, 0, 0}));
}

}  // namespace
}  // namespace vlm
