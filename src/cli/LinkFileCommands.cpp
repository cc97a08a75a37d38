// velmorctl commands on the controller's disk: ls, get, put, rm, read-config, write-config.
#include <cstdio>
#include <filesystem>

#include "cli/CfgSupport.h"
#include "cli/LinkCli.h"
#include "common/DataFolder.h"
#include "common/DateTime.h"
#include "common/TextCodec.h"
#include "link/FileRead.h"
#include "link/ServiceRequests.h"
#include "model/Config.h"
#include "model/TreeNode.h"
#include "ports/KindRegistration.h"
#include "shell/FleetBackup.h"
#include "common/PathText.h"

namespace vlm::cli {
namespace {

constexpr const char* kConfigName = "c:\\vlm.cfg";

// The mask a listing sends: a folder gets "*.*" appended.
std::string ListMask(std::string path) {
  if (path.empty()) return "c:\\*.*";
  if (path.find_first_of("*?") != std::string::npos) return path;
  if (path.back() != '\\' && path.back() != ':') path += '\\';
  return path + "*.*";
}

// The last component of a controller path, made safe as a PC file name.
std::string LocalNameFor(const std::string& remote) {
  const size_t cut = remote.find_last_of("\\/:");
  return SanitizeFileName(cut == std::string::npos ? remote : remote.substr(cut + 1));
}

// The name as the controller will hold it: DOS code page, at most 12 characters.
std::string ControllerName(const std::string& name) {
  std::string dos = Utf8ToDos(name);
  if (dos.size() > kFileNameMax) dos.resize(kFileNameMax);
  return DosToUtf8(dos);
}

bool ReadLocal(const std::string& path, std::string& bytes) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathFromUtf8(path), ec) && ReadWholeFile(PathFromUtf8(path), bytes);
}

int SaveLocal(const std::string& command, const std::string& path, const std::vector<uint8_t>& data) {
  const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
  if (!WriteFileAtomically(PathFromUtf8(path), bytes)) return BadInput(command, "cannot write " + path);
  return kExitOk;
}

// Names are padded by characters, not bytes: Cyrillic letters take two bytes of UTF-8.
std::string PadRight(const std::string& text, size_t width) {
  size_t chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return text + std::string(width > chars ? width - chars : 0, ' ');
}

std::string EntryLine(const TDirEntry& e) {
  const std::string size = e.IsDirectory() ? "<DIR>" : std::to_string(e.Size);
  const std::string stamp = FormatDateTime("dd.mm.yyyy hh:nn:ss", DosToDateTime(e.DateTime));
  char line[64];
  std::snprintf(line, sizeof line, " %10s  %s\n", size.c_str(), stamp.c_str());
  return PadRight(e.Name, kFileNameMax) + line;
}

// `before`: what the controller held under `name` before (a configuration write), kept on a failure.
int WriteFileTo(TControllerLink& link, const std::string& command, const std::string& path, const std::string& name,
                TWriteCheck check, const std::vector<uint8_t>* before = nullptr) {
  std::string bytes;
  if (!ReadLocal(path, bytes)) return BadInput(command, "cannot read " + path);
  if (bytes.size() > UINT32_MAX) return BadInput(command, path + " is too large for the controller");
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  const bool ok = WriteControllerFile(link, name, data, StderrProgress(command + " " + name), check);
  EndProgress();
  if (ok) {
    if (check == TWriteCheck::Always) std::fprintf(stderr, "velmorctl: %s: %s read back and verified (%zu bytes)\n",
                                                   command.c_str(), name.c_str(), data.size());
    return kExitOk;
  }
  LinkFailed(link, command, name);
  if (before) {
    std::string text = IncompleteConfigText(KeepPreWriteCopy(*before, IPToStr(link.Settings.DestIP), Now()));
    for (char& c : text)
      if (c == '\r') c = ' ';
    std::fprintf(stderr, "velmorctl: %s: %s\n", command.c_str(), text.c_str());
    return kExitFailed;
  }
  std::fprintf(stderr, "velmorctl: %s: the controller may now hold an incomplete file %s\n", command.c_str(),
               name.c_str());
  return kExitFailed;
}


int ReadFileFrom(TControllerLink& link, const std::string& command, const std::string& name, const std::string& path) {
  std::vector<uint8_t> data;
  TReadOptions options;
  options.progress = StderrProgress(command + " " + name);
  options.showReadError = false;  // said once below, with its cause
  TReadReport report;
  const bool ok = ReadControllerFile(link, name, data, options, &report);
  EndProgress();
  if (report.echoes > 0)
    std::fprintf(stderr, "velmorctl: %s: the line echoes every request (an RS-485 adapter or a loopback plug); "
                 "the echoes were skipped\n", command.c_str());
  if (!ok) return LinkFailed(link, command, name);
  return SaveLocal(command, path, data);
}

}  // namespace

int RunLs(TControllerLink& link, const TArgs& args) {
  const std::string mask = ListMask(args.empty() ? "" : args[0]);
  std::vector<TDirEntry> entries;
  if (!ListControllerDir(link, mask, entries)) return LinkFailed(link, "ls", mask);
  for (const auto& e : entries)
    if (e.Name != ".") std::fputs(EntryLine(e).c_str(), stdout);
  return kExitOk;
}

int RunGet(TControllerLink& link, const TArgs& args) {
  std::string out;
  if (!args.empty() && ControllerName(args[0]) != args[0])
    std::fprintf(stderr, "velmorctl: get: the controller keeps 12 characters: %s\n", ControllerName(args[0]).c_str());
  if (args.size() == 3 && args[1] == "-o") out = args[2];
  else if (args.size() != 1) return BadInput("get", "usage: velmorctl [options] get NAME [-o FILE]");
  else out = LocalNameFor(args[0]);
  if (out.empty()) return BadInput("get", "no PC file name can be made of " + args[0] + "; give -o FILE");
  return ReadFileFrom(link, "get", args[0], out);
}

int RunPut(TControllerLink& link, const TArgs& allArgs) {
  TArgs args;
  bool verify = false;
  for (const auto& a : allArgs) {
    if (a == "--verify") verify = true;
    else args.push_back(a);
  }
  if (args.empty() || args.size() > 2) return BadInput("put", "usage: velmorctl [options] put FILE [NAME] [--verify]");
  std::string name = args.size() > 1 ? args[1] : FileNameUtf8(PathFromUtf8(args[0]));
  if (name.empty()) return BadInput("put", "no controller file name given");
  const std::string kept = ControllerName(name);
  if (kept != name) std::fprintf(stderr, "velmorctl: put: the controller keeps 12 characters: %s\n", kept.c_str());
  return WriteFileTo(link, "put", args[0], kept, verify ? TWriteCheck::Always : TWriteCheck::WhenUncertain);
}

int RunRm(TControllerLink& link, const TArgs& args) {
  link.File.FileName = args[0];
  return DeleteRemoteFile(link) ? kExitOk : LinkFailed(link, "rm", args[0]);
}

int RunReadConfig(TControllerLink& link, const TArgs& args) {
  if (args[0] != "-o") return BadInput("read-config", "usage: velmorctl [options] read-config -o FILE.cfg");
  return ReadFileFrom(link, "read-config", kConfigName, args[1]);
}

int RunWriteConfig(TControllerLink& link, const TArgs& args) {
  // What the program itself would refuse to read is not given to the controller to boot from
  // (a truncated, random or empty file), unless the engineer insists.
  const bool force = args.size() > 1 && args[1] == "--force";
  if (!force) {
    RegisterPortKinds();
    TTree tree;
    TConfig cfg;
    if (ReadConfigFile(args[0], tree, cfg) != 0)
      return BadInput("write-config", args[0] + " is not a configuration this program can read; nothing was written "
                      "(--force writes it anyway)");
  }
  // What the controller holds now is read first, to be kept should the write fail half-way (a
  // controller without a configuration has nothing to keep; one that does not answer is not
  // written to at all).
  std::vector<uint8_t> before;
  TReadOptions quiet;
  quiet.showReadError = false;
  if (!ReadControllerFile(link, kConfigName, before, quiet)) {
    if (link.LastFailure != TLinkFailure::DosError) return LinkFailed(link, "write-config", kConfigName);
    before.clear();
  }
  // A configuration the controller would boot from must be exactly the one written.
  return WriteFileTo(link, "write-config", args[0], kConfigName, TWriteCheck::Always, &before);
}

}  // namespace vlm::cli
