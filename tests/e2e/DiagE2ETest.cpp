// The diagnostics core against velmor-sim over loopback UDP, and against a responder that
// publishes a cyclic folder.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "../link/UdpResponder.h"
#include "SimProcess.h"
#include "common/Numbers.h"
#include "diag/DiagSession.h"
#include "link/Velmor_PC.h"

namespace vlm::e2e {
namespace {

struct DiagE2E : ::testing::Test {
  TTempDir root;
  fs::path home = root.Path() / "home", disk = root.Path() / "disk";
  TControllerLink link;
  TDiagMemory memory{link};
  TDiagContext context{memory};
  TDiagSession session{context};

  void SetUp() override {
    for (const auto& d : {home, disk}) fs::create_directories(d);
    link.Settings.DestIP = {127, 0, 0, 2};
    link.Settings.SelfIP = {127, 0, 0, 1};
    link.Settings.WaitTime = 500;
  }
  void Connect(uint16_t port) {
    link.Settings.UdpPort = port;
    ASSERT_TRUE(link.OpenLink());
  }
  // Reads obj until its value changes; gives up after a few seconds (no timing is asserted).
  bool WaitForChange(TDiagObj& obj) {
    const std::string first = obj.Value;
    for (int i = 0; i < 100; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      obj.ReadValue();
      if (obj.Value != first) return true;
    }
    return false;
  }
};

size_t CountErrors(const TDiagObj& folder) {
  size_t errors = 0;
  ForEachChild(folder, [&](TDiagObj& child) { errors += child.IsError + CountErrors(child); });
  return errors;
}

TEST_F(DiagE2E, TheSimulatorsTreeIsScannedWhole) {
  TSim sim(disk, home, {"--seed", "5"});
  ASSERT_TRUE(sim.Running());
  Connect(sim.Port());
  ASSERT_TRUE(session.Scan());
  ASSERT_TRUE(session.Root);
  EXPECT_EQ(session.Root->Name, "Контроллер ВЕЛМОР");
  const size_t objects = ScanSubtree(context, *session.Root, 10);
  EXPECT_GT(objects, 500u);
  EXPECT_EQ(CountErrors(*session.Root), 0u);
  TDiagObj* ip = FindByPath(context, *session.Root, "Процессор.Сеть.IP адрес");
  ASSERT_TRUE(ip);
  ip->ReadValue();
  EXPECT_EQ(ip->Value, "192.168.2.1");
  TDiagObj* ti = FindByPath(context, *session.Root, "Процессор.Таблицы МЭК 104.ТИ");
  ASSERT_TRUE(ti);
  EXPECT_EQ(ti->Kind(), 43);
}

TEST_F(DiagE2E, CountersMoveAndEditsAreReadBack) {
  TSim sim(disk, home);
  ASSERT_TRUE(sim.Running());
  Connect(sim.Port());
  ASSERT_TRUE(session.Scan());
  TDiagObj* received = FindByPath(context, *session.Root, "Процессор.Порт 2.Принято");
  ASSERT_TRUE(received);
  received->ReadValue();
  EXPECT_TRUE(WaitForChange(*received));

  TDiagObj* address = FindByPath(context, *session.Root, "Процессор.Порт 2.Адрес");
  ASSERT_TRUE(address);
  session.Open(*address->Parent());
  address->ReadValue();
  EXPECT_EQ(address->Value, "2");
  EXPECT_EQ(session.StepValue(*address, '+'), TStepResult::Written);
  EXPECT_EQ(address->Value, "12");
  address->ReadValue();
  EXPECT_EQ(address->Value, "12");
}

TEST_F(DiagE2E, ACyclicFolderEndsWithAnErrorRow) {
  // Root 1000:0000 is a folder whose list holds a parameter and the root itself.
  std::vector<uint8_t> mem(0x100000);
  auto put32 = [&](size_t at, uint32_t v) { PutU32(&mem[at], v); };
  mem[0x208] = 0;
  put32(0x208, 0x10000000);
  const size_t root = 0x10000;
  mem[root] = 0x77, mem[root + 1] = 1, mem[root + 11] = 0x80;
  put32(root + 2, 0x10000100);
  put32(root + 6, 0x10000200);
  mem[0x10100] = 5;
  std::copy_n("Цикл", 5, &mem[0x10101]);  // bytes as they come, the name does not matter
  put32(0x10200 + 2, 0x10000300);
  mem[0x10200 + 6] = 2;
  put32(0x10300, 0x10000000);
  put32(0x10304, 0x10000000);
  test::TUdpResponder responder("127.0.0.2", [&](std::span<const uint8_t> req) {
    std::vector<uint8_t> a;
    if (req.size() < 8 || req[1] != 0x80) return a;
    a.assign(req.begin(), req.begin() + 7);
    a[0] = uint8_t(req[6] + 6);
    const size_t base = size_t(GetU16(&req[4])) * 16 + GetU16(&req[2]);
    for (size_t i = 0; i < req[6]; ++i) a.push_back(mem[(base + i) & 0xFFFFF]);
    uint8_t sum = 0;
    for (size_t i = 1; i < a.size(); ++i) sum = uint8_t(sum + a[i]);
    a.push_back(sum);
    return a;
  });
  ASSERT_TRUE(responder.Ok());
  Connect(responder.Port());
  ASSERT_TRUE(session.Scan());
  ASSERT_TRUE(session.Root);
  ScanSubtree(context, *session.Root, 100);
  EXPECT_EQ(CountErrors(*session.Root), 2u);
  EXPECT_TRUE(session.Root->Nodes.empty());
  EXPECT_NE(session.Root->Parameters.back()->Name.find("папка ссылается на себя"), std::string::npos);
}

struct DiagCli : DiagE2E {
  TRun Ctl(const TSim& sim, std::vector<std::string> rest) {
    std::vector<std::string> args{VELMORCTL, "--ip", "127.0.0.2", "--self", "127.0.0.1", "--port",
                                  std::to_string(sim.Port()), "diag"};
    args.insert(args.end(), rest.begin(), rest.end());
    return RunProgram(std::move(args), home, root.Path());
  }
};

TEST_F(DiagCli, TreeGetWatchAndTables) {
  TSim sim(disk, home);
  ASSERT_TRUE(sim.Running());
  const TRun tree = Ctl(sim, {"tree"});
  ASSERT_EQ(tree.status, 0) << tree.err;
  EXPECT_EQ(tree.out.rfind("Контроллер ВЕЛМОР/\n  Процессор/\n    -- Система --\n    Версия ПО = ВЕЛМОР 4.1.9\n", 0), 0u)
      << tree.out.substr(0, 300);
  EXPECT_NE(tree.out.find("\n    IP адрес = 192.168.2.1\n"), std::string::npos);
  EXPECT_NE(tree.out.find("\n      КП 4/\n        Связь = "), std::string::npos);
  EXPECT_NE(tree.out.find("\n      ТИ <ТИ>\n"), std::string::npos);
  const TRun shallow = Ctl(sim, {"tree", "--depth", "0"});
  EXPECT_EQ(shallow.out, "Контроллер ВЕЛМОР/\n  Процессор/\n  Параметры/\n");

  const TRun get = Ctl(sim, {"get", "Процессор.Порт 2.Скорость"});
  EXPECT_EQ(get.out, "9600 бод\n");
  EXPECT_EQ(Ctl(sim, {"get", "Процессор.Порт 9"}).status, 1);
  EXPECT_EQ(Ctl(sim, {"get"}).status, 2);

  const TRun watch = Ctl(sim, {"watch", "Процессор.Порт 2.Принято", "--interval", "100", "--count", "2"});
  ASSERT_EQ(watch.status, 0) << watch.err;
  std::vector<std::string> lines;
  for (size_t at = 0, next; (next = watch.out.find('\n', at)) != std::string::npos; at = next + 1)
    lines.push_back(watch.out.substr(at, next - at));
  ASSERT_EQ(lines.size(), 3u) << watch.out;
  const std::string middle = " | Процессор.Порт 2.Принято | ";
  for (const auto& line : lines) EXPECT_EQ(line.substr(23, middle.size()), middle) << line;
  EXPECT_NE(lines[0].substr(lines[0].rfind(' ') + 1), lines[1].substr(lines[1].rfind(' ') + 1));

  const TRun ti = Ctl(sim, {"ti", "Процессор.Таблицы МЭК 104.ТИ"});
  ASSERT_EQ(ti.status, 0) << ti.err;
  EXPECT_EQ(std::count(ti.out.begin(), ti.out.end(), '\n'), 301);
  EXPECT_NE(ti.out.find("\n101\t1-1-1-2\t"), std::string::npos);
  const TRun ts = Ctl(sim, {"ts", "Процессор.Таблицы МЭК 104.ТС"});
  EXPECT_EQ(std::count(ts.out.begin(), ts.out.end(), '\n'), 401);
  const TRun tablo = Ctl(sim, {"tablo", "Процессор.Таблицы МЭК 104.Табло"});
  EXPECT_EQ(std::count(tablo.out.begin(), tablo.out.end(), '\n'), 241);
  EXPECT_EQ(Ctl(sim, {"ti", "Процессор.Таблицы МЭК 104.ТС"}).status, 2);
}

}  // namespace
}  // namespace vlm::e2e
