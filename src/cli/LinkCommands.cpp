// velmorctl's controller service commands: the link options in front, then one command.
//   velmorctl [--ip A] [--self A] [--port N] [--serial DEV] [--attempts N] [--wait MS] [--show-errors]
//             ls|get|put|rm|reset|read-config|write-config|peek|poke ...
// The commands themselves live in LinkFileCommands.cpp and LinkMemoryCommands.cpp.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "cli/CommandLine.h"
#include "cli/LinkCli.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "link/LinkSettings.h"

namespace vlm::cli {
namespace {

// The link options; what is not given comes from the settings the program saved.
struct TLinkOptions {
  std::optional<std::string> ip, self, serial;
  std::optional<int> port, attempts, wait;
  bool showErrors = false;
};

// One command line: the options, then what the chosen command was given.
struct TLinkLine {
  TLinkOptions options;
  std::string first, second, out;
  std::vector<std::string> more;
  bool verify = false;
};

using TRun = int (*)(TControllerLink&, const TArgs&);
using TCollect = TArgs (*)(const TLinkLine&);

void ApplyOptions(const TLinkOptions& o, TLinkSettings& s) {
  if (o.ip) s.DestIP = StrToIP(*o.ip);
  if (o.self) s.SelfIP = StrToIP(*o.self);
  if (o.serial) s.LinkMode = kLinkSerial, s.ComPortDevice = *o.serial;
  if (o.port) s.UdpPort = uint16_t(*o.port);
  if (o.attempts) s.Attempts = *o.attempts;
  if (o.wait) s.WaitTime = *o.wait;
  if (o.showErrors) s.ShowErrors = true;
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

int RunOnLink(const std::string& name, TRun run, const TArgs& args, const TLinkOptions& options) {
  TControllerLink link;
  link.Settings = LoadLinkSettings(TIniFile(SettingsIniPath().string()));
  ApplyOptions(options, link.Settings);
  errno = 0;
  TLinkSession session(link);
  if (!session.Opened()) {
    std::fprintf(stderr, "velmorctl: %s: cannot open the link (%s): %s\n", name.c_str(),
                 OpenTarget(link.Settings).c_str(), errno ? std::strerror(errno) : "unknown link mode");
    return kExitFailed;
  }
  return run(link, args);
}

CLI::App* AddCommand(CLI::App& app, const std::shared_ptr<TLinkLine>& line, const std::string& name,
                     const std::string& help, TRun run, TCollect collect) {
  CLI::App* command = app.add_subcommand(name, help);
  SetAction(*command, [line, name, run, collect] { return RunOnLink(name, run, collect(*line), line->options); });
  return command;
}

const CLI::Validator& IpCheck() {
  static const CLI::Validator check(
      [](std::string& text) -> std::string {
        try {
          StrToIP(text);
          return {};
        } catch (const EConvertError& e) {
          return e.what();
        }
      },
      "A.B.C.D");
  return check;
}

const CLI::Validator& AddressCheck() {
  static const CLI::Validator check(
      [](std::string& text) -> std::string {
        uint16_t segment = 0, offset = 0;
        return ParseAddress(text, segment, offset) ? std::string() : "bad address " + text + " (SEG:OFF in hex)";
      },
      "SEG:OFF");
  return check;
}

void AddLinkOptions(CLI::App& app, TLinkOptions& o) {
  const std::string group = "Link options (in front of a controller command; the saved settings by default)";
  app.add_option("--ip", o.ip, "address of the controller")->check(IpCheck())->group(group);
  app.add_option("--self", o.self, "address of this PC to bind")->check(IpCheck())->group(group);
  app.add_option("--port", o.port, "UDP port")->check(CLI::Range(1, 65535))->group(group);
  app.add_option("--serial", o.serial, "serial device instead of UDP")->group(group);
  app.add_option("--attempts", o.attempts, "attempts per request")->check(CLI::Range(1, 100))->group(group);
  app.add_option("--wait", o.wait, "wait for an answer, ms")->check(CLI::Range(1, 600000))->group(group);
  app.add_flag("--show-errors", o.showErrors, "show the controller's error boxes as text")->group(group);
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

void AddLinkCommands(CLI::App& app) {
  auto line = std::make_shared<TLinkLine>();
  AddLinkOptions(app, line->options);
  const std::string group = "Controller commands (over the link)";

  CLI::App* ls = AddCommand(app, line, "ls", "list a folder of the controller's disk (c:\\ by default)", RunLs,
                            [](const TLinkLine& l) { return l.first.empty() ? TArgs{} : TArgs{l.first}; });
  ls->add_option("PATH", line->first, "folder or mask");

  CLI::App* get = AddCommand(app, line, "get", "copy a file from the controller", RunGet, [](const TLinkLine& l) {
    return l.out.empty() ? TArgs{l.first} : TArgs{l.first, "-o", l.out};
  });
  get->add_option("NAME", line->first, "file on the controller")->required();
  get->add_option("-o", line->out, "PC file (the name's last part in the current folder by default)");

  CLI::App* put = AddCommand(app, line, "put", "copy a file to the controller", RunPut, [](const TLinkLine& l) {
    TArgs args{l.first};
    if (!l.second.empty()) args.push_back(l.second);
    if (l.verify) args.push_back("--verify");
    return args;
  });
  put->add_option("FILE", line->first, "PC file")->required();
  put->add_option("NAME", line->second, "name on the controller (the file's name by default, 12 characters kept)");
  put->add_flag("--verify", line->verify, "read the file back and compare it with what was written");

  CLI::App* rm = AddCommand(app, line, "rm", "delete a file on the controller", RunRm,
                            [](const TLinkLine& l) { return TArgs{l.first}; });
  rm->add_option("NAME", line->first, "file on the controller")->required();

  AddCommand(app, line, "reset", "restart the controller", RunReset, [](const TLinkLine&) { return TArgs{}; });

  CLI::App* readConfig = AddCommand(app, line, "read-config", "copy the configuration (c:\\vlm.cfg) from the controller",
                                    RunReadConfig, [](const TLinkLine& l) { return TArgs{"-o", l.out}; });
  readConfig->add_option("-o", line->out, "PC file to write")->required();

  CLI::App* writeConfig =
      AddCommand(app, line, "write-config", "copy a configuration to the controller as c:\\vlm.cfg", RunWriteConfig,
                 [](const TLinkLine& l) { return TArgs{l.first}; });
  writeConfig->add_option("FILE.cfg", line->first, "PC file")->required();

  CLI::App* peek = AddCommand(app, line, "peek", "print bytes of the controller's memory", RunPeek,
                              [](const TLinkLine& l) { return TArgs{l.first, l.second}; });
  peek->add_option("SEG:OFF", line->first, "address, hex")->required()->check(AddressCheck());
  peek->add_option("COUNT", line->second, "number of bytes")->required();

  CLI::App* poke = AddCommand(app, line, "poke", "write bytes into the controller's memory", RunPoke,
                              [](const TLinkLine& l) {
                                TArgs args{l.first};
                                args.insert(args.end(), l.more.begin(), l.more.end());
                                return args;
                              });
  poke->add_option("SEG:OFF", line->first, "address, hex")->required()->check(AddressCheck());
  poke->add_option("HEXBYTES", line->more, "bytes as hex pairs")->required();

  for (CLI::App* command : {ls, get, put, rm, readConfig, writeConfig, peek, poke}) command->group(group);
  app.get_subcommand("reset")->group(group);
}

}  // namespace vlm::cli
