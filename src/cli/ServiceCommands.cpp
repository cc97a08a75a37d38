#include "cli/ServiceCommands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/LinkCli.h"
#include "common/DataFolder.h"
#include "common/TextCodec.h"
#include "services/Autoexec.h"
#include "services/FileCompare.h"

namespace vlm::cli {
namespace {

// The steps of an operation on stderr, as the windows show them in their state line.
struct TStderrStates : IServiceObserver {
  void State(const std::string& text) override { last = text; }
  std::string last;
};

bool TakeFlag(std::vector<std::string>& args, const std::string& flag) {
  const auto it = std::find(args.begin(), args.end(), flag);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

std::string WindowsText(const std::string& utf8) {
  std::string crlf;
  for (const char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return Utf8ToCp1251(crlf);
}

}  // namespace

int RunAutoexecGet(TControllerLink& link, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  const bool raw = TakeFlag(args, "--raw");
  std::string out;
  if (args.size() == 2 && args[0] == "-o") out = args[1];
  else if (!args.empty()) return BadInput("autoexec get", "usage: velmorctl [options] autoexec get [-o FILE] [--raw]");
  TStderrStates states;
  TAutoexec autoexec(link, states);
  TAutoexecFile file;
  if (!autoexec.Read(file)) return LinkFailed(link, "autoexec get", kAutoexecName);
  const std::string text = AutoexecToEditor(file.Bytes);
  if (out.empty()) {
    const std::string shown = raw ? file.Bytes : text;
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    return kExitOk;
  }
  if (!WriteFileAtomically(out, raw ? file.Bytes : WindowsText(text))) return BadInput("autoexec get", "cannot write " + out);
  return kExitOk;
}

int RunAutoexecPut(TControllerLink& link, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  const bool raw = TakeFlag(args, "--raw");
  if (args.size() != 1) return BadInput("autoexec put", "usage: velmorctl [options] autoexec put FILE [--raw]");
  std::string bytes;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(args[0], ec) || !ReadWholeFile(args[0], bytes))
    return BadInput("autoexec put", "cannot read " + args[0]);
  TStderrStates states;
  TAutoexec autoexec(link, states);
  if (!autoexec.Write(raw ? bytes : EditorToAutoexec(AnyToUtf8(bytes))))
    return LinkFailed(link, "autoexec put", kAutoexecName);
  return kExitOk;
}

int RunCmp(TControllerLink& link, const std::vector<std::string>& args) {
  if (args.size() != 2) return BadInput("cmp", "usage: velmorctl [options] cmp NAME FILE");
  TStderrStates states;
  const TStopFlag never;
  const TCompareOutcome outcome = CompareControllerFile(link, states, never, args[0], args[1], 1, 1);
  switch (outcome) {
    case TCompareOutcome::Equal:
      std::fprintf(stderr, "%s\n", states.last.c_str());
      return kExitOk;
    case TCompareOutcome::Different:
      return kExitFailed;  // the message went to the error box (stderr)
    case TCompareOutcome::Directory:
      return BadInput("cmp", args[0] + " is a directory");
    default:
      return link.LastFailure == TLinkFailure::None ? kExitFailed : LinkFailed(link, "cmp", args[0]);
  }
}

int RunAutoexec(TControllerLink& link, const std::vector<std::string>& args) {
  const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
  if (!args.empty() && args[0] == "get") return RunAutoexecGet(link, rest);
  if (!args.empty() && args[0] == "put") return RunAutoexecPut(link, rest);
  return BadInput("autoexec", "usage: velmorctl [options] autoexec get [-o FILE] [--raw] | autoexec put FILE [--raw]");
}

}  // namespace vlm::cli
