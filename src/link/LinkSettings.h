#pragma once
// Settings of the service link and the address texts they are kept in.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/IniFile.h"
#include "common/IpAddress.h"

namespace vlm {


enum : uint8_t { kLinkSerial = 0, kLinkUdp = 1 };

struct TLinkSettings {
  uint8_t LinkMode = kLinkUdp;  // any value but kLinkSerial/kLinkUdp makes every open and send fail
  int32_t ComPortNumber = 1;
  std::string ComPortDevice;    // overrides "/dev/ttyS(n-1)" (USB adapter, simulator pty)
  uint16_t UdpPort = 208;       // both ends; a user without the right to bind low ports picks another
  uint16_t OscPort = 209;       // the oscilloscope stream, both ends; another one as for UdpPort
  TIPAddress SelfIP{};
  TIPAddress DestIP{};
  int32_t Attempts = 3;
  int32_t WaitTime = 100;       // ms
  bool ShowErrors = false;
  // Answers carry the frame checksum by convention; a controller that sends bad sums can be
  // reached with this off (its answers are then taken unchecked).
  bool CheckAnswerSum = true;
  // File blocks written before their answers are awaited (UDP only); 1 writes block by block.
  int32_t WriteWindow = 8;
  // File block reads under way at once (UDP only); 1 reads block by block, for a controller that
  // cannot take requests faster than it answers them.
  int32_t ReadWindow = 8;
};

// The device a serial link opens: ComPortDevice when set, else the system's name of COM n
// ("/dev/ttyS<n-1>", "\\\\.\\COM<n>").
std::string SerialDeviceName(const TLinkSettings& settings);

// What each whole-number setting may be; the settings dialog offers the same.
inline constexpr TIntRange kLinkModeRange{kLinkSerial, kLinkUdp};
inline constexpr TIntRange kComPortRange{1, 99};
inline constexpr TIntRange kUdpPortRange{1, 65535};
inline constexpr TIntRange kAttemptsRange{1, 100};
inline constexpr TIntRange kWaitTimeRange{10, 10000};  // ms
inline constexpr TIntRange kWriteWindowRange{1, 32};

// What opening the link needs, in the windows' words: "сокет UDP 0.0.0.0:208", "порт COM1"
// ("порт /dev/ttyS0"), "связь: неизвестный режим 7".
std::string LinkOpenTargetText(const TLinkSettings& settings);

// Section "Velmor" of the program's ini. A value that is unreadable or out of its range gives
// the default and is reported (ReportIniFallback): a damaged ini must not stop the program from
// starting, nor reach the link as it is (LinkMode=7 opens nothing, Attempts=-5 tries nothing).
inline constexpr std::string_view kLinkIniSection = "Velmor";
TLinkSettings LoadLinkSettings(const TIniFile& ini);
void SaveLinkSettings(TIniFile& ini, const TLinkSettings& settings);

}  // namespace vlm
