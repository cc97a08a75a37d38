#include "cli/Commands.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/LinkCli.h"
#include "common/DataFolder.h"
#include "common/TextCodec.h"
#include "services/Autoexec.h"
#include "services/FileCompare.h"
#include "common/PathText.h"

namespace vlm::cli {
namespace {

// Keeps the last state line an operation showed (the compare tells its outcome there).
struct TStderrStates : IServiceObserver {
  void State(const std::string& text) override { last = text; }
  std::string last;
};

std::string WindowsText(const std::string& utf8) {
  std::string crlf;
  for (const char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return Utf8ToCp1251(crlf);
}

int AutoexecGet(TControllerLink& link, const std::string& out, bool raw) {
  TStderrStates states;
  TAutoexec autoexec(link, states);
  TAutoexecFile file;
  if (!autoexec.Read(file)) return LinkFailed(link, "autoexec get", kAutoexecName);
  const std::string text = AutoexecToEditor(file.Bytes);
  if (out.empty()) {
    const std::string shown = raw ? file.Bytes : text;
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
  }
  if (!WriteFileAtomically(PathFromUtf8(out), raw ? file.Bytes : WindowsText(text))) return BadInput("autoexec get", "cannot write " + out);
  return kExitOk;
}

int AutoexecPut(TControllerLink& link, const std::string& path, bool raw) {
  std::string bytes;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(PathFromUtf8(path), ec) || !ReadWholeFile(PathFromUtf8(path), bytes))
    return BadInput("autoexec put", "cannot read " + path);
  TStderrStates states;
  TAutoexec autoexec(link, states);
  if (!autoexec.Write(raw ? bytes : EditorToAutoexec(AnyToUtf8(bytes))))
    return LinkFailed(link, "autoexec put", kAutoexecName);
  return kExitOk;
}

int Cmp(TControllerLink& link, const std::string& name, const std::string& path) {
  TStderrStates states;
  const TStopFlag never;
  switch (CompareControllerFile(link, states, never, name, path, 1, 1)) {
    case TCompareOutcome::Equal:
      std::fprintf(stderr, "%s\n", states.last.c_str());
      return kExitOk;
    case TCompareOutcome::Different:
      return kExitFailed;  // the message went to the error box (stderr)
    case TCompareOutcome::Directory:
      return BadInput("cmp", name + " is a directory");
    default:
      return link.LastFailure == TLinkFailure::None ? kExitFailed : LinkFailed(link, "cmp", name);
  }
}

}  // namespace

void AddServiceCommands(CLI::App& app) {
  struct TArgsOfLine {
    std::string name, file, out;
    bool raw = false;
  };
  auto args = std::make_shared<TArgsOfLine>();
  const std::string group = "Controller commands (over the link)";
  CLI::App* autoexec = app.add_subcommand("autoexec", "read or write the controller's c:\\autoexec.bat");
  autoexec->group(group)->require_subcommand(1);
  CLI::App* get = autoexec->add_subcommand("get", "read it: to FILE as Windows-1251 text with CR LF, else to stdout");
  get->add_option("-o", args->out, "PC file to write");
  get->add_flag("--raw", args->raw, "the controller's bytes unchanged (code page 866)");
  SetLinkAction(*get, [args](TControllerLink& link) { return AutoexecGet(link, args->out, args->raw); });
  CLI::App* put = autoexec->add_subcommand("put", "write it from a Windows-1251 or UTF-8 text file (no restart)");
  put->add_option("FILE", args->file, "PC file")->required();
  put->add_flag("--raw", args->raw, "send the file's bytes unchanged");
  SetLinkAction(*put, [args](TControllerLink& link) { return AutoexecPut(link, args->file, args->raw); });

  CLI::App* cmp = app.add_subcommand("cmp", "compare a controller file with a PC file as the file exchange window does");
  cmp->group(group);
  cmp->add_option("NAME", args->name, "file on the controller")->required();
  cmp->add_option("FILE", args->file, "PC file")->required();
  SetLinkAction(*cmp, [args](TControllerLink& link) { return Cmp(link, args->name, args->file); });
}

}  // namespace vlm::cli
