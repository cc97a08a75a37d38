// velmorctl's controller service commands: the link options in front, then one command.
//   velmorctl [--ip A] [--self A] [--port N] [--serial DEV] [--link-mode N] [--attempts N] [--wait MS] [--show-errors]
//             ls|get|put|rm|reset|read-config|write-config|peek|poke ...
// The commands themselves live in LinkFileCommands.cpp and LinkMemoryCommands.cpp.
#include <cstdio>
#include <functional>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/LinkCli.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "link/LinkSettings.h"
#include "common/PathText.h"

namespace vlm::cli {
namespace {

// What the built-in commands were given; the link options are read from the line itself, so a
// controller command of any group sees them (SetLinkAction).
struct TLinkLine {
  std::string first, second, out;
  std::vector<std::string> more;
  bool verify = false;
  bool force = false;
  std::string areas;  // peek: area size of batched reads, empty for plain reads
};

using TRun = int (*)(TControllerLink&, const TArgs&);
using TCollect = TArgs (*)(const TLinkLine&);

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

int RunOnLink(const CLI::App& command, const std::function<int(TControllerLink&)>& run) {
  TControllerLink link;
  link.Settings = SettingsOfLine(command);
  link.RecentCountsFile = DataFolder() / kRecentCountsFileName;
  TLinkSession session(link);
  if (!session.Opened()) {
    std::fprintf(stderr, "velmorctl: %s: %s\n", command.get_name().c_str(),
                 LinkOpenFailureText(link.LastOpenFailure(), link.Settings).c_str());
    return kExitFailed;
  }
  return run(link);
}

CLI::App* AddCommand(CLI::App& app, const std::shared_ptr<TLinkLine>& line, const std::string& name,
                     const std::string& help, TRun run, TCollect collect) {
  CLI::App* command = app.add_subcommand(name, help);
  SetLinkAction(*command, [line, run, collect](TControllerLink& link) { return run(link, collect(*line)); });
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
      "");
  return check;
}

const CLI::Validator& AddressCheck() {
  static const CLI::Validator check(
      [](std::string& text) -> std::string {
        uint16_t segment = 0, offset = 0;
        return ParseAddress(text, segment, offset) ? std::string() : "bad address " + text + " (SEG:OFF in hex)";
      },
      "");
  return check;
}

void AddLinkOptions(CLI::App& app) {
  const std::string group = "Link options (in front of a controller command; the saved settings by default)";
  app.add_option("--ip", "address of the controller")->type_name("A.B.C.D")->check(IpCheck())->group(group);
  app.add_option("--self", "address of this PC to bind")->type_name("A.B.C.D")->check(IpCheck())->group(group);
  app.add_option("--port", "UDP port")->type_name("N")->check(CLI::Range(1, 65535))->group(group);
  app.add_option("--serial", "serial device instead of UDP")->type_name("DEV")->group(group);
  // Not limited here: a mode the link does not know is named by the link's own message.
  app.add_option("--link-mode", "0 serial line, 1 UDP (LinkMode of the settings)")->type_name("N")
      ->check(CLI::Range(0, 255))->group(group);
  app.add_option("--attempts", "attempts per request")->type_name("N")->check(CLI::Range(1, 100))->group(group);
  app.add_option("--wait", "wait for an answer, ms")->type_name("MS")->check(CLI::Range(1, 600000))->group(group);
  app.add_flag("--show-errors")->description("show the controller's error boxes as text")->group(group);
}

}  // namespace

// The saved settings with the link options of the line applied (validated while parsing).
TLinkSettings SettingsOfLine(const CLI::App& command) {
  const CLI::App* root = &command;
  while (root->get_parent()) root = root->get_parent();
  TLinkSettings s = LoadLinkSettings(TIniFile(PathToUtf8(SettingsIniPath())));
  auto given = [root](const char* name) -> const CLI::Option* {
    const CLI::Option* option = root->get_option(name);
    return option->count() > 0 ? option : nullptr;
  };
  if (auto* o = given("--ip")) s.DestIP = StrToIP(o->as<std::string>());
  if (auto* o = given("--self")) s.SelfIP = StrToIP(o->as<std::string>());
  if (auto* o = given("--link-mode")) s.LinkMode = uint8_t(o->as<int>());
  if (auto* o = given("--serial")) s.LinkMode = kLinkSerial, s.ComPortDevice = o->as<std::string>();
  if (auto* o = given("--port")) s.UdpPort = o->as<uint16_t>();
  if (auto* o = given("--attempts")) s.Attempts = o->as<int>();
  if (auto* o = given("--wait")) s.WaitTime = o->as<int>();
  if (given("--show-errors")) s.ShowErrors = true;
  return s;
}

std::string FailureWhy(TLinkFailure failure, uint16_t dosError, const TLinkSettings& settings) {
  std::string why;
  switch (failure) {
    case TLinkFailure::NoAnswer: why = "no answer from the controller (" + Endpoint(settings) + ")"; break;
    case TLinkFailure::BadAnswer: why = "the controller's answer is incomplete or inconsistent"; break;
    case TLinkFailure::DosError: why = "the controller reports: " + DosErrorText(dosError); break;
    case TLinkFailure::Send: why = "the request could not be sent (" + Endpoint(settings) + ")"; break;
    case TLinkFailure::NotOpen: why = "the link is not open"; break;
    case TLinkFailure::Busy: why = "the link is busy"; break;
    case TLinkFailure::Disconnected: why = "the serial device was disconnected (" + OpenTarget(settings) + ")"; break;
    case TLinkFailure::IsDirectory: why = "it is a directory, not a file"; break;
    case TLinkFailure::Stopped: why = "stopped"; break;
    case TLinkFailure::Unconfirmed:
      why = "two readings of the file disagreed: the link loses, delays or repeats answers (" + Endpoint(settings) + ")";
      break;
    case TLinkFailure::Mismatch: why = "the file read back from the controller differs from what was written"; break;
    case TLinkFailure::None: why = "failed"; break;
  }
  return why;
}

int LinkFailed(const TControllerLink& link, const std::string& command, const std::string& what) {
  const std::string why = FailureWhy(link.LastFailure, link.LastDosError, link.Settings);
  std::fprintf(stderr, "velmorctl: %s: %s: %s\n", command.c_str(), what.c_str(), why.c_str());
  return kExitFailed;
}

int BadInput(const std::string& command, const std::string& text) {
  std::fprintf(stderr, "velmorctl: %s: %s\n", command.c_str(), text.c_str());
  return kExitBadInput;
}

void SetLinkAction(CLI::App& command, std::function<int(TControllerLink&)> run) {
  SetAction(command, [&command, run = std::move(run)] { return RunOnLink(command, run); });
}

void AddLinkCommands(CLI::App& app) {
  auto line = std::make_shared<TLinkLine>();
  AddLinkOptions(app);
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
                 [](const TLinkLine& l) { return l.force ? TArgs{l.first, "--force"} : TArgs{l.first}; });
  writeConfig->add_option("FILE.cfg", line->first, "PC file")->required();
  writeConfig->add_flag("--force", line->force, "write a file that is no readable configuration");

  CLI::App* peek = AddCommand(app, line, "peek", "print bytes of the controller's memory", RunPeek,
                              [](const TLinkLine& l) {
                                return l.areas.empty() ? TArgs{l.first, l.second} : TArgs{l.first, l.second, l.areas};
                              });
  peek->add_option("SEG:OFF", line->first, "address, hex")->required()->check(AddressCheck());
  peek->add_option("COUNT", line->second, "number of bytes")->required();
  peek->add_option("--areas", line->areas,
                   "read as the live windows do: areas of this many bytes (1-255), many to a request");

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
