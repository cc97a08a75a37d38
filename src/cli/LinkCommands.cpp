// velmorctl's controller service commands: global link options, then one command.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "cli/Commands.h"
#include "cli/LinkCli.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "link/LinkSettings.h"

namespace vlm::cli {
namespace {

struct TCommand {
  const char* name;
  const char* usage;
  size_t minArgs, maxArgs;
  int (*run)(TControllerLink&, const TArgs&);
};

constexpr TCommand kCommands[] = {
    {"ls", "ls [PATH]", 0, 1, RunLs},
    {"get", "get NAME [-o FILE]", 1, 3, RunGet},
    {"put", "put FILE [NAME] [--verify]", 1, 3, RunPut},
    {"rm", "rm NAME", 1, 1, RunRm},
    {"reset", "reset", 0, 0, RunReset},
    {"read-config", "read-config -o FILE.cfg", 2, 2, RunReadConfig},
    {"write-config", "write-config FILE.cfg", 1, 1, RunWriteConfig},
    {"peek", "peek SEG:OFF COUNT", 2, 2, RunPeek},
    {"poke", "poke SEG:OFF HEXBYTES", 2, 256, RunPoke},
    {"box", "box list | box record --recorder N [--seconds S] [-o FILE.txt] [--text] | box pcap --recorder N -o FILE",
     1, 10, RunBoxLinkCommand},
};

bool ParseInt(std::string_view text, int min, int max, int& out) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
    return false;
  out = value;
  return true;
}

// Applies one global option; false (and a message) when it or its value is wrong.
bool ApplyOption(const std::string& option, const std::string* value, TLinkSettings& s) {
  if (option == "--show-errors") {
    s.ShowErrors = true;
    return true;
  }
  if (!value) {
    std::fprintf(stderr, "velmorctl: %s needs a value\n", option.c_str());
    return false;
  }
  int number = 0;
  try {
    if (option == "--ip") s.DestIP = StrToIP(*value);
    else if (option == "--self") s.SelfIP = StrToIP(*value);
    else if (option == "--serial") s.LinkMode = kLinkSerial, s.ComPortDevice = *value;
    else if (option == "--port" && ParseInt(*value, 1, 65535, number)) s.UdpPort = uint16_t(number);
    else if (option == "--attempts" && ParseInt(*value, 1, 100, number)) s.Attempts = number;
    else if (option == "--wait" && ParseInt(*value, 1, 600000, number)) s.WaitTime = number;
    else {
      std::fprintf(stderr, "velmorctl: bad option or value: %s %s\n", option.c_str(), value->c_str());
      return false;
    }
  } catch (const EConvertError& e) {
    std::fprintf(stderr, "velmorctl: %s: %s\n", option.c_str(), e.what());
    return false;
  }
  return true;
}

// Reads the global options in front of the command; returns the index of the command word.
bool ParseOptions(const TArgs& args, TLinkSettings& s, size_t& command) {
  size_t i = 0;
  while (i < args.size() && args[i].starts_with("--")) {
    const bool flag = args[i] == "--show-errors";
    const std::string* value = !flag && i + 1 < args.size() ? &args[i + 1] : nullptr;
    if (!ApplyOption(args[i], value, s)) return false;
    i += flag ? 1 : 2;
  }
  command = i;
  return true;
}

std::string Endpoint(const TLinkSettings& s) {
  if (s.LinkMode == kLinkSerial) return "serial " + SerialDeviceName(s);
  return "UDP " + IPToStr(s.DestIP) + ":" + std::to_string(s.UdpPort);
}

// What opening the link needs: the local UDP address to bind, or the serial device.
std::string OpenTarget(const TLinkSettings& s) {
  if (s.LinkMode == kLinkSerial) return "serial device " + SerialDeviceName(s);
  if (s.LinkMode != kLinkUdp) return "link mode " + std::to_string(s.LinkMode);
  return "UDP " + IPToStr(s.SelfIP) + ":" + std::to_string(s.UdpPort);
}

void PrintUsage() {
  std::fputs("usage: velmorctl [--ip A] [--self A] [--port N] [--serial DEV] [--attempts N] [--wait MS]\n"
             "                 [--show-errors] COMMAND\n",
             stderr);
  for (const auto& c : kCommands) std::fprintf(stderr, "  %s\n", c.usage);
}

}  // namespace

int LinkFailed(const TControllerLink& link, const std::string& command, const std::string& what) {
  std::string why;
  switch (link.LastFailure) {
    case TLinkFailure::NoAnswer: why = "no answer from the controller (" + Endpoint(link.Settings) + ")"; break;
    case TLinkFailure::BadAnswer: why = "the controller's answer is incomplete or inconsistent"; break;
    case TLinkFailure::DosError: why = "the controller reports: " + DosErrorText(link.LastDosError); break;
    case TLinkFailure::Send: why = "the request could not be sent (" + Endpoint(link.Settings) + ")"; break;
    case TLinkFailure::NotOpen: why = "the link is not open"; break;
    case TLinkFailure::Busy: why = "the link is busy"; break;
    case TLinkFailure::Disconnected: why = "the serial device was disconnected (" + OpenTarget(link.Settings) + ")"; break;
    case TLinkFailure::IsDirectory: why = "it is a directory, not a file"; break;
    case TLinkFailure::Mismatch: why = "the file read back from the controller differs from what was written"; break;
    case TLinkFailure::None: why = "failed"; break;
  }
  std::fprintf(stderr, "velmorctl: %s: %s: %s\n", command.c_str(), what.c_str(), why.c_str());
  return kExitFailed;
}

int BadInput(const std::string& command, const std::string& text) {
  std::fprintf(stderr, "velmorctl: %s: %s\n", command.c_str(), text.c_str());
  return kExitBadInput;
}

int RunLinkCommand(const std::vector<std::string>& args) {
  TControllerLink link;
  link.Settings = LoadLinkSettings(TIniFile(SettingsIniPath().string()));
  size_t at = 0;
  if (!ParseOptions(args, link.Settings, at)) return kExitBadInput;
  if (at >= args.size()) {
    PrintUsage();
    return kExitBadInput;
  }
  const TArgs rest(args.begin() + long(at) + 1, args.end());
  for (const auto& command : kCommands) {
    if (args[at] != command.name) continue;
    if (rest.size() < command.minArgs || rest.size() > command.maxArgs)
      return BadInput(command.name, std::string("usage: velmorctl [options] ") + command.usage);
    errno = 0;
    TLinkSession session(link);
    if (!session.Opened()) {
      std::fprintf(stderr, "velmorctl: %s: cannot open the link (%s): %s\n", command.name,
                   OpenTarget(link.Settings).c_str(), errno ? std::strerror(errno) : "unknown link mode");
      return kExitFailed;
    }
    return command.run(link, rest);
  }
  std::fprintf(stderr, "velmorctl: unknown command: %s\n", args[at].c_str());
  PrintUsage();
  return kExitBadInput;
}

}  // namespace vlm::cli
