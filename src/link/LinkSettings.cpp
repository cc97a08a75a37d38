#include "link/LinkSettings.h"

#include "common/IniFile.h"
#include "platform/SerialPort.h"

namespace vlm {

std::string SerialDeviceName(const TLinkSettings& settings) {
  if (!settings.ComPortDevice.empty()) return settings.ComPortDevice;
  return platform::ComPortDeviceName(settings.ComPortNumber);
}

std::string LinkOpenTargetText(const TLinkSettings& s) {
  if (s.LinkMode == kLinkSerial) return "порт " + SerialDeviceName(s);
  if (s.LinkMode == kLinkUdp) return "сокет UDP " + IPToStr(s.SelfIP) + ":" + std::to_string(s.UdpPort);
  return "связь: неизвестный режим " + std::to_string(s.LinkMode);
}

static TIPAddress ReadIP(const TIniFile& ini, std::string_view key) {
  const std::string text = ini.ReadString(kLinkIniSection, key, "0.0.0.0");
  try {
    return StrToIP(text);
  } catch (const EConvertError&) {
    ReportIniFallback(kLinkIniSection, key, text, "не IP-адрес (четыре числа 0..255 через точку)", "0.0.0.0");
    return TIPAddress{};
  }
}

TLinkSettings LoadLinkSettings(const TIniFile& ini) {
  TLinkSettings s;
  const auto sec = kLinkIniSection;
  s.LinkMode = static_cast<uint8_t>(ini.ReadInteger(sec, "LinkMode", s.LinkMode, kLinkModeRange));
  s.ComPortNumber = ini.ReadInteger(sec, "ComPortNumber", s.ComPortNumber, kComPortRange);
  s.ComPortDevice = ini.ReadString(sec, "ComPortDevice", "");
  s.UdpPort = static_cast<uint16_t>(ini.ReadInteger(sec, "UdpPort", s.UdpPort, kUdpPortRange));
  s.OscPort = static_cast<uint16_t>(ini.ReadInteger(sec, "OscPort", s.OscPort, kUdpPortRange));
  s.SelfIP = ReadIP(ini, "SelfIP");
  s.DestIP = ReadIP(ini, "DestIP");
  s.Attempts = ini.ReadInteger(sec, "Attempts", s.Attempts, kAttemptsRange);
  s.WaitTime = ini.ReadInteger(sec, "WaitTime", s.WaitTime, kWaitTimeRange);
  s.ShowErrors = ini.ReadInteger(sec, "ShowErrors", 0) != 0;
  s.CheckAnswerSum = ini.ReadInteger(sec, "CheckAnswerSum", 1) != 0;
  s.WriteWindow = ini.ReadInteger(sec, "WriteWindow", s.WriteWindow, kWriteWindowRange);
  s.ReadWindow = ini.ReadInteger(sec, "ReadWindow", s.ReadWindow, kWriteWindowRange);
  return s;
}

void SaveLinkSettings(TIniFile& ini, const TLinkSettings& s) {
  const auto sec = kLinkIniSection;
  ini.WriteInteger(sec, "LinkMode", s.LinkMode);
  ini.WriteInteger(sec, "ComPortNumber", s.ComPortNumber);
  // Only written when used, so an ini shared with the original program stays as it knows it.
  if (!s.ComPortDevice.empty()) ini.WriteString(sec, "ComPortDevice", s.ComPortDevice);
  else ini.DeleteKey(sec, "ComPortDevice");
  if (s.UdpPort != 208) ini.WriteInteger(sec, "UdpPort", s.UdpPort);
  else ini.DeleteKey(sec, "UdpPort");
  if (s.OscPort != 209) ini.WriteInteger(sec, "OscPort", s.OscPort);
  else ini.DeleteKey(sec, "OscPort");
  ini.WriteString(sec, "SelfIP", IPToStr(s.SelfIP));
  ini.WriteString(sec, "DestIP", IPToStr(s.DestIP));
  ini.WriteInteger(sec, "Attempts", s.Attempts);
  ini.WriteInteger(sec, "WaitTime", s.WaitTime);
  ini.WriteInteger(sec, "ShowErrors", s.ShowErrors ? 1 : 0);
  if (!s.CheckAnswerSum) ini.WriteInteger(sec, "CheckAnswerSum", 0);
  else ini.DeleteKey(sec, "CheckAnswerSum");
  if (s.WriteWindow != TLinkSettings{}.WriteWindow) ini.WriteInteger(sec, "WriteWindow", s.WriteWindow);
  else ini.DeleteKey(sec, "WriteWindow");
  if (s.ReadWindow != TLinkSettings{}.ReadWindow) ini.WriteInteger(sec, "ReadWindow", s.ReadWindow);
  else ini.DeleteKey(sec, "ReadWindow");
}

}  // namespace vlm
