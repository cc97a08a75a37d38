// velmorctl diag: the controller's diagnostic tree, single objects, watching values and the IEC
// 104 tables, over the same core as the diagnostics window.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

#include "cli/LinkCli.h"
#include "common/Format.h"
#include "common/Numbers.h"
#include "diag/DiagKinds.h"
#include "diag/DiagSession.h"
#include "diag/DiagTablo.h"
#include "diag/DiagValueTable.h"

namespace vlm::cli {
namespace {

constexpr const char* kUsage =
    "usage: velmorctl [options] diag tree [--depth N]\n"
    "       velmorctl [options] diag get PATH\n"
    "       velmorctl [options] diag watch PATH... [--interval MS] [--count N]\n"
    "       velmorctl [options] diag ti|ts|tablo PATH";

bool ParseCount(std::string_view text, long min, long& out) {
  long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min) return false;
  out = value;
  return true;
}

// "\r" line breaks of the program's texts become new lines on the console.
std::string Console(std::string text) {
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}

struct TDiagCli {
  explicit TDiagCli(TControllerLink& link) : memory(link), context(memory), session(context) {}
  TDiagMemory memory;
  TDiagContext context;
  TDiagSession session;

  bool Root() {
    if (!session.Scan()) {
      std::fprintf(stderr, "velmorctl: diag: %s\n", Console(kNoRootText).c_str());
      return false;
    }
    if (!session.Root) std::fprintf(stderr, "velmorctl: diag: the controller publishes no diagnostic tree\n");
    return session.Root != nullptr;
  }
  TDiagObj* Find(const std::string& path) {
    TDiagObj* obj = FindByPath(context, *session.Root, path);
    if (!obj) std::fprintf(stderr, "velmorctl: diag: no object %s\n", path.c_str());
    return obj;
  }
};

std::string ObjectLine(TDiagObj& obj) {
  if (obj.IsError) return obj.Name;
  if (obj.Name.empty()) obj.ReadFormat();
  if (obj.Kind() == kDiagHeading && obj.Valid()) return "-- " + obj.Name + " --";
  if (obj.IsFolder()) return obj.Name + "/";
  if (IsViewKind(obj.Kind()))
    return obj.Name + (obj.Kind() == kDiagTI ? " <ТИ>" : obj.Kind() == kDiagTS ? " <ТС>" : obj.Kind() == kDiagTablo ? " <табло>" : " <осциллограф>");
  obj.ReadValue();
  return obj.Name + " = " + (obj.HasValue ? obj.Value : std::string("?"));
}

void PrintTree(TDiagObj& folder, int level) {
  std::printf("%s%s\n", std::string(size_t(level) * 2, ' ').c_str(), ObjectLine(folder).c_str());
  for (auto& row : folder.Parameters)
    std::printf("%s%s\n", std::string(size_t(level + 1) * 2, ' ').c_str(), ObjectLine(*row).c_str());
  for (auto& node : folder.Nodes) {
    if (node->IsFolder() && node->Scanned) PrintTree(*node, level + 1);
    else std::printf("%s%s\n", std::string(size_t(level + 1) * 2, ' ').c_str(), ObjectLine(*node).c_str());
  }
}

int Tree(TDiagCli& cli, const TArgs& args) {
  long depth = 64;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--depth" && i + 1 < args.size() && ParseCount(args[i + 1], 0, depth)) ++i;
    else return BadInput("diag tree", kUsage);
  }
  if (!cli.Root()) return kExitFailed;
  ScanSubtree(cli.context, *cli.session.Root, int(depth));
  PrintTree(*cli.session.Root, 0);
  return kExitOk;
}

int Get(TDiagCli& cli, const TArgs& args) {
  if (args.size() != 1) return BadInput("diag get", kUsage);
  if (!cli.Root()) return kExitFailed;
  TDiagObj* obj = cli.Find(args[0]);
  if (!obj) return kExitFailed;
  obj->ReadValue();
  if (!obj->HasValue) {
    std::fprintf(stderr, "velmorctl: diag get: %s has no value\n", args[0].c_str());
    return kExitFailed;
  }
  std::printf("%s\n", obj->Value.c_str());
  return kExitOk;
}

int Watch(TDiagCli& cli, const TArgs& args) {
  long interval = 400, count = -1;
  std::vector<std::string> paths;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--interval" && i + 1 < args.size() && ParseCount(args[i + 1], 10, interval)) ++i;
    else if (args[i] == "--count" && i + 1 < args.size() && ParseCount(args[i + 1], 1, count)) ++i;
    else if (!args[i].starts_with("--")) paths.push_back(args[i]);
    else return BadInput("diag watch", kUsage);
  }
  if (paths.empty()) return BadInput("diag watch", kUsage);
  if (!cli.Root()) return kExitFailed;
  std::vector<TDiagObj*> objects;
  for (const auto& path : paths) {
    TDiagObj* obj = cli.Find(path);
    if (!obj) return kExitFailed;
    obj->ReadEnabled = true;  // a constant watched on purpose is read again too
    objects.push_back(obj);
  }
  // The first values as the change log starts, then one line per change.
  for (size_t i = 0; i < objects.size(); ++i) {
    objects[i]->ReadValue();
    std::printf("%s%s | %s\n", TDiagObj::Stamp(cli.context.Clock()).c_str(), paths[i].c_str(), objects[i]->Value.c_str());
  }
  std::fflush(stdout);
  for (long changes = 0; count < 0 || changes < count;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(interval));
    for (size_t i = 0; i < objects.size() && (count < 0 || changes < count); ++i) {
      objects[i]->ReadValue();
      if (!objects[i]->Changed) continue;
      std::printf("%s%s | %s\n", TDiagObj::Stamp(objects[i]->ChangeTime).c_str(), paths[i].c_str(), objects[i]->Value.c_str());
      std::fflush(stdout);
      ++changes;
    }
  }
  return kExitOk;
}

template <typename T>
bool RunPass(T& table) {
  for (size_t tick = 0; tick < 100000; ++tick)
    if (table.ScanTick()) return true;
  return false;
}

int Table(TDiagCli& cli, const std::string& which, const TArgs& args) {
  if (args.size() != 1) return BadInput("diag " + which, kUsage);
  if (!cli.Root()) return kExitFailed;
  TDiagObj* obj = cli.Find(args[0]);
  if (!obj) return kExitFailed;
  const uint8_t kind = which == "ti" ? kDiagTI : which == "ts" ? kDiagTS : kDiagTablo;
  if (obj->Kind() != kind) return BadInput("diag " + which, args[0] + " is not a " + which + " table (kind " + std::to_string(obj->Kind()) + ")");
  auto failed = [&] {
    std::fprintf(stderr, "velmorctl: diag %s: %s: the table could not be read%s%s\n", which.c_str(), args[0].c_str(),
                 cli.memory.Refusal().empty() ? "" : ": ", cli.memory.Refusal().c_str());
    return kExitFailed;
  };
  if (kind == kDiagTablo) {
    TTablo tablo(cli.context);
    if (!tablo.Start(*obj) || !RunPass(tablo) || !RunPass(tablo)) return failed();
    std::printf("КП\tГруппа\tПараметр\tСостояние\tИсточник\n");
    for (const auto& [kp, point] : tablo.Points())
      for (const auto& [number, group] : point.Groups)
        for (size_t p = 0; p < 8; ++p)
          if (group.Present[p]) {
            const auto& b = group.Records[p].Bytes;
            std::printf("%d\t%d\t%zu\t%d\t%d-%d-%d-%d\n", kp, number, p + 1, b[10], b[0], b[1], b[2], b[3]);
          }
    return kExitOk;
  }
  TValueTable table(cli.context, kind == kDiagTI ? kTiTable : kTsTable);
  if (!table.Start(*obj) || !RunPass(table)) return failed();
  if (kind == kDiagTI) std::printf("АОИ\tАдрес\tЗначение\tДанные\tВходящих\n");
  else std::printf("АОИ\tАдрес\tСостояние\tИзменений\tВходящих\n");
  for (const auto& v : table.Values()) {
    const uint8_t* r = v->Record.data();
    if (kind == kDiagTI)
      std::printf("%u\t%s\t%s\t%s\t%u\n", table.Ioa(*v), v->SourceAddress().c_str(),
                  TiValueText(SingleFromBytes(std::span<const uint8_t, 4>(r + 21, 4))).c_str(),
                  Format("%8.8xh", {GetU32(r + 15)}).c_str(), GetU16(r + 19));
    else
      std::printf("%u\t%s\t%u\t%u\t%u\n", table.Ioa(*v), v->SourceAddress().c_str(), r[6], GetU16(r + 9), GetU16(r + 11));
  }
  return kExitOk;
}

}  // namespace

int RunDiag(TControllerLink& link, const TArgs& args) {
  if (args.empty()) return BadInput("diag", kUsage);
  TDiagCli cli(link);
  const TArgs rest(args.begin() + 1, args.end());
  if (args[0] == "tree") return Tree(cli, rest);
  if (args[0] == "get") return Get(cli, rest);
  if (args[0] == "watch") return Watch(cli, rest);
  if (args[0] == "ti" || args[0] == "ts" || args[0] == "tablo") return Table(cli, args[0], rest);
  return BadInput("diag", kUsage);
}

}  // namespace vlm::cli
