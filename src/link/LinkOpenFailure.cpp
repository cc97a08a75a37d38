#include "link/LinkOpenFailure.h"

#include "link/LinkSettings.h"

namespace vlm {
namespace {

// "COM3" rather than the system's "\\.\COM3"; a device path (/dev/ttyUSB0) as it is.
std::string SerialPortName(const TLinkSettings& s) {
  std::string name = SerialDeviceName(s);
  if (name.rfind("\\\\.\\", 0) == 0) name.erase(0, 4);
  return name;
}

std::string UdpPortText(const TLinkSettings& s) {
  std::string text = "порт UDP " + std::to_string(s.UdpPort);
  if (s.SelfIP != TIPAddress{}) text += " адреса " + IPToStr(s.SelfIP);
  return text;
}

}  // namespace

TLinkOpenError OpenErrorOf(platform::TOpenError error) {
  switch (error) {
    case platform::TOpenError::None: return TLinkOpenError::None;
    case platform::TOpenError::InUse: return TLinkOpenError::PortInUse;
    case platform::TOpenError::NoDevice: return TLinkOpenError::NoSuchPort;
    case platform::TOpenError::NoAddress: return TLinkOpenError::NoSuchAddress;
    case platform::TOpenError::Other: break;
  }
  return TLinkOpenError::Other;
}

std::string LinkOpenFailureText(const TLinkOpenFailure& f, const TLinkSettings& s) {
  const bool serial = s.LinkMode == kLinkSerial;
  const std::string what = serial ? "порт " + SerialPortName(s) : UdpPortText(s);
  std::string text = "Не удалось открыть связь: ";
  switch (f.kind) {
    case TLinkOpenError::None: return {};
    case TLinkOpenError::PortInUse: return text + what + " занят другой программой";
    case TLinkOpenError::NoSuchPort: return text + "порта " + SerialPortName(s) + " нет на этом компьютере";
    case TLinkOpenError::NoSuchAddress:
      return text + "адреса " + IPToStr(s.SelfIP) + " нет на этом компьютере (настройка «IP-адрес ПЭВМ»)";
    case TLinkOpenError::WrongMode:
      return text + "неизвестный режим связи LinkMode=" + std::to_string(s.LinkMode) + " (0 — COM-порт, 1 — UDP)";
    case TLinkOpenError::Other: break;
  }
  text += what;
  if (!f.systemText.empty()) text += ": " + f.systemText;
  return text;
}

}  // namespace vlm
