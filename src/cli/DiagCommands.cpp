// velmorctl diag: the controller's diagnostic tree, single objects, watching values and the IEC
// 104 tables, over the same core as the diagnostics window.
#include <algorithm>
#include <memory>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

#include "cli/CommandLine.h"
#include "cli/LinkCli.h"
#include "common/Format.h"
#include "common/Numbers.h"
#include "diag/DiagKinds.h"
#include "diag/DiagSession.h"
#include "diag/DiagTablo.h"
#include "diag/DiagValueTable.h"

namespace vlm::cli {
namespace {

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

// Whether ObjectLine shows the object's value.
bool ShowsValue(const TDiagObj& obj) {
  return !obj.IsError && !(obj.Kind() == kDiagHeading && obj.Valid()) && !obj.IsFolder() && !IsViewKind(obj.Kind());
}

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

void CollectTree(TDiagObj& folder, std::vector<TDiagObj*>& objects) {
  objects.push_back(&folder);
  for (auto& row : folder.Parameters) objects.push_back(row.get());
  for (auto& node : folder.Nodes) {
    if (node->IsFolder() && node->Scanned) CollectTree(*node, objects);
    else objects.push_back(node.get());
  }
}

int Tree(TDiagCli& cli, int depth) {
  if (!cli.Root()) return kExitFailed;
  ScanSubtree(cli.context, *cli.session.Root, depth);
  // What the printout reads, read ahead in batches: the names not read yet, then the values.
  std::vector<TDiagObj*> objects, nameless, valued;
  CollectTree(*cli.session.Root, objects);
  for (TDiagObj* obj : objects)
    if (!obj->IsError && obj->Name.empty()) nameless.push_back(obj);
  const TDiagPrefetch ahead(cli.memory);
  PrefetchFormats(cli.context, nameless);
  for (TDiagObj* obj : nameless) obj->ReadFormat();
  for (TDiagObj* obj : objects)
    if (ShowsValue(*obj)) valued.push_back(obj);
  PrefetchValues(cli.context, valued);
  PrintTree(*cli.session.Root, 0);
  return kExitOk;
}

int Get(TDiagCli& cli, const std::string& path) {
  if (!cli.Root()) return kExitFailed;
  TDiagObj* obj = cli.Find(path);
  if (!obj) return kExitFailed;
  obj->ReadValue();
  if (!obj->HasValue) {
    std::fprintf(stderr, "velmorctl: diag get: %s has no value\n", path.c_str());
    return kExitFailed;
  }
  std::printf("%s\n", obj->Value.c_str());
  return kExitOk;
}

// The window's work tick over the rows of one folder, `ticks` times; then the rows as read.
int Refresh(TDiagCli& cli, const std::string& path, int ticks) {
  if (!cli.Root()) return kExitFailed;
  TDiagObj* folder = cli.Find(path);
  if (!folder) return kExitFailed;
  if (!folder->IsFolder()) return BadInput("diag refresh", path + " is not a folder");
  if (!cli.session.Open(*folder)) {
    std::fprintf(stderr, "velmorctl: diag refresh: %s could not be read\n", path.c_str());
    return kExitFailed;
  }
  for (int i = 0; i < ticks; ++i) {
    cli.session.BeginTick();
    cli.session.RefreshRows(0, folder->Parameters.size());
  }
  for (auto& row : folder->Parameters) {
    if (!ShowsValue(*row)) std::printf("%s\n", ObjectLine(*row).c_str());
    else std::printf("%s = %s\n", row->Name.c_str(), row->HasValue ? row->Value.c_str() : "?");
  }
  return kExitOk;
}

// count 0: until stopped.
int Watch(TDiagCli& cli, const std::vector<std::string>& paths, int interval, int count) {
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
  for (int changes = 0; count == 0 || changes < count;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(interval));
    for (size_t i = 0; i < objects.size() && (count == 0 || changes < count); ++i) {
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

int Table(TDiagCli& cli, const std::string& which, const std::string& path) {
  if (!cli.Root()) return kExitFailed;
  const TArgs args{path};
  TDiagObj* obj = cli.Find(path);
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

void AddDiagCommands(CLI::App& app) {
  struct TDiagLine {
    std::vector<std::string> paths;
    int depth = 64, interval = 400, count = 0;
  };
  auto line = std::make_shared<TDiagLine>();
  CLI::App* diag = app.add_subcommand("diag", "the controller's diagnostic objects and IEC 104 tables");
  diag->group("Controller commands (over the link)");
  diag->require_subcommand(1);

  CLI::App* tree = diag->add_subcommand("tree", "the diagnostic tree with the values of its objects");
  tree->add_option("--depth", line->depth, "levels of folders below the root (all by default)")->check(CLI::Range(0, 64));
  SetLinkAction(*tree, [line](TControllerLink& link) {
    TDiagCli cli(link);
    return Tree(cli, line->depth);
  });

  CLI::App* refresh = diag->add_subcommand("refresh", "the rows of one folder, read as the window's work tick reads them");
  refresh->add_option("PATH", line->paths, "the folder")->required()->expected(1);
  refresh->add_option("--ticks", line->count, "work ticks before the rows are printed (1 by default)")->check(CLI::Range(1, 100000));
  SetLinkAction(*refresh, [line](TControllerLink& link) {
    TDiagCli cli(link);
    return Refresh(cli, line->paths.front(), std::max(1, line->count));
  });

  CLI::App* get = diag->add_subcommand("get", "the value of one object");
  get->add_option("PATH", line->paths, "names from the root down, joined by \".\" (\"Процессор.Порт 2.Принято\")")
      ->required()
      ->expected(1);
  SetLinkAction(*get, [line](TControllerLink& link) {
    TDiagCli cli(link);
    return Get(cli, line->paths.front());
  });

  CLI::App* watch = diag->add_subcommand("watch", "one line per change of the objects' values, with its time");
  watch->add_option("PATH", line->paths, "objects to watch")->required();
  watch->add_option("--interval", line->interval, "ms between reads (400 by default)")->check(CLI::Range(10, 3600000));
  watch->add_option("--count", line->count, "stop after this many changes (0: until stopped)")->check(CLI::Range(0, 1000000));
  SetLinkAction(*watch, [line](TControllerLink& link) {
    TDiagCli cli(link);
    return Watch(cli, line->paths, line->interval, line->count);
  });

  for (const char* which : {"ti", "ts", "tablo"}) {
    const std::string name = which;
    CLI::App* table = diag->add_subcommand(name, name == "ti" ? "the TI table as text" : name == "ts" ? "the TS table as text"
                                                                                                      : "the tablo as text");
    table->add_option("PATH", line->paths, "the table's object")->required()->expected(1);
    SetLinkAction(*table, [line, name](TControllerLink& link) {
      TDiagCli cli(link);
      return Table(cli, name, line->paths.front());
    });
  }
}

}  // namespace vlm::cli
