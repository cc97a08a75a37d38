// Addresses as text and the link's keys in the program's ini.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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
  // A part above 255 is refused, never wrapped round to another controller (300 -> 44).
  EXPECT_EQ(StrToIP("255.255.255.255"), (TIPAddress{255, 255, 255, 255}));
  for (const char* wrong : {"127.0.0.300", "127.0.0.256", "10.0.0.-1", "10.0.0.+1", "10.0.65536.1", "10.0.0.99999999999"})
    EXPECT_THROW(StrToIP(wrong), EConvertError) << wrong;
  try {
    StrToIP("127.0.0.304");
    ADD_FAILURE() << "127.0.0.304 was taken";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'127.0.0.304' is not a valid IP address (304 is above 255)");
  }
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

// A hand-edited or damaged ini: every value the link cannot use gives its default, each named in
// a report line, and the next save writes the defaults back.
TEST(LinkSettings, ValuesOutOfRangeFallBackToTheirDefaultsAndAreReported) {
  const test::TTempDir dir("link_ini_bad");
  const auto path = (dir / "velmor.ini").string();
  TIniFile ini(path);
  for (const auto& [key, value] : std::vector<std::pair<const char*, const char*>>{
           {"LinkMode", "7"}, {"Attempts", "-5"}, {"WaitTime", "0"}, {"ComPortNumber", "x"}, {"UdpPort", "70000"},
           {"WriteWindow", "99"}, {"DestIP", "127.0.0.300"}, {"SelfIP", "10.0.0.1"}, {"OscPort", "$D1"}})
    ini.WriteString("Velmor", key, value);
  std::vector<std::string> reports;
  TLinkSettings s;
  {
    const TIniReportGuard guard([&](const std::string& line) { reports.push_back(line); });
    s = LoadLinkSettings(ini);
  }
  const TLinkSettings d;
  EXPECT_EQ(s.LinkMode, d.LinkMode);
  EXPECT_EQ(s.Attempts, d.Attempts);
  EXPECT_EQ(s.WaitTime, d.WaitTime);
  EXPECT_EQ(s.ComPortNumber, d.ComPortNumber);
  EXPECT_EQ(s.UdpPort, d.UdpPort);
  EXPECT_EQ(s.WriteWindow, d.WriteWindow);
  EXPECT_EQ(s.DestIP, d.DestIP);
  EXPECT_EQ(s.SelfIP, (TIPAddress{10, 0, 0, 1}));  // good values stay
  EXPECT_EQ(s.OscPort, 209);                        // "$D1" is 209 in hexadecimal
  EXPECT_EQ(reports, (std::vector<std::string>{
                         "Настройка [Velmor] LinkMode=7: вне пределов 0..1, взято 1",
                         "Настройка [Velmor] ComPortNumber=x: не целое число, взято 1",
                         "Настройка [Velmor] UdpPort=70000: вне пределов 1..65535, взято 208",
                         "Настройка [Velmor] DestIP=127.0.0.300: не IP-адрес (четыре числа 0..255 через точку), взято 0.0.0.0",
                         "Настройка [Velmor] Attempts=-5: вне пределов 1..100, взято 3",
                         "Настройка [Velmor] WaitTime=0: вне пределов 10..10000, взято 100",
                         "Настройка [Velmor] WriteWindow=99: вне пределов 1..32, взято 8",
                     }));
  SaveLinkSettings(ini, s);
  EXPECT_EQ(ini.ReadString("Velmor", "LinkMode", ""), "1");
  EXPECT_EQ(ini.ReadString("Velmor", "Attempts", ""), "3");
  EXPECT_EQ(ini.ReadString("Velmor", "WaitTime", ""), "100");
  EXPECT_EQ(ini.ReadString("Velmor", "DestIP", ""), "0.0.0.0");
  EXPECT_FALSE(ini.ValueExists("Velmor", "WriteWindow"));  // the default is not written
}

}  // namespace
}  // namespace vlm
