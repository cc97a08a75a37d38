// The window's state without widgets: paths, the watch list, value edits, the work tick and the
// journal files.
#include <gtest/gtest.h>

#include "DiagFake.h"
#include "diag/DiagSession.h"

namespace vlm {
namespace {

struct Session : test::TDiagFixture {
  TDiagSession session{context};
  TFarPtr counter = 0, byteData = 0;
  void SetUp() override {
    TDiagFixture::SetUp();
    counter = build.Data({100, 0});
    byteData = build.Data({250});
    const TFarPtr port = build.Folder(
        "Порт 2", {build.Object(0, "Счётчики", 0), build.Object(4, "Принято", counter),
                   build.Object(2, "Адрес", byteData), build.Object(2, "Версия", build.Data({3}), kFlagConstant),
                   build.Object(6, "Знак", build.Data({0xFF, 0xFF, 0xFF, 0xFF})),
                   build.Object(4, "Формат;2;%d В", build.Data({1, 0}))});
    const TFarPtr cpu = build.Folder("Процессор", {port});
    build.SetRoot(build.Folder("Контроллер", {cpu}));
    ASSERT_TRUE(session.Scan());
  }
  TDiagObj& Port() {
    TDiagObj* p = FindByPath(context, *session.Root, "Процессор.Порт 2");
    EXPECT_TRUE(p);
    session.Open(*p);
    return *p;
  }
  TDiagObj& Row(const std::string& name) {
    for (auto& r : Port().Parameters) {
      r->ReadFormat();
      if (r->Name == name) return *r;
    }
    throw std::runtime_error("no row " + name);
  }
};

TEST_F(Session, PathsFindObjectsWithOrWithoutRootAndHeading) {
  TDiagObj* a = FindByPath(context, *session.Root, "Процессор.Порт 2.Принято");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Address, FindByPath(context, *session.Root, "Контроллер.Процессор.Порт 2.Счётчики.Принято")->Address);
  EXPECT_FALSE(FindByPath(context, *session.Root, "Процессор.Порт 3"));
  EXPECT_FALSE(FindByPath(context, *session.Root, "Процессор.Порт 2.Принято.Лишнее"));
}

TEST_F(Session, WatchListPrefixStartsBelowTheProcessor) {
  TDiagObj& received = Row("Принято");
  EXPECT_EQ(session.AddWatch(received), 0u);
  EXPECT_EQ(received.PathPrefix, "Порт 2.Счётчики.");
  EXPECT_EQ(session.AddWatch(received), 0u);  // present already: its row is selected
  ASSERT_TRUE(received.ChangeLog);
  EXPECT_EQ(TDiagSession::ProposedLogName(received), "Порт 2.Счётчики.Принято.log");
}

TEST_F(Session, StepsWriteTheShownNumberAndReadItBack) {
  TDiagObj& received = Row("Принято");
  received.ReadValue();
  EXPECT_EQ(session.StepValue(received, '+'), TStepResult::Written);
  EXPECT_EQ(received.Value, "110");
  EXPECT_EQ(memory.writes.back(), (std::vector<uint8_t>{110, 0}));
  EXPECT_EQ(session.StepValue(received, '_'), TStepResult::Written);
  EXPECT_EQ(session.StepValue(received, '-'), TStepResult::Written);
  EXPECT_EQ(received.Value, "99");

  TDiagObj& address = Row("Адрес");
  address.ReadValue();
  EXPECT_EQ(session.StepValue(address, '+'), TStepResult::Written);
  EXPECT_EQ(address.Value, "4");  // one byte: 260 wraps
  EXPECT_EQ(memory.writes.back().size(), 1u);

  TDiagObj& sign = Row("Знак");
  sign.ReadValue();
  EXPECT_EQ(session.StepValue(sign, '='), TStepResult::Written);
  EXPECT_EQ(sign.Value, "0");

  const size_t writes = memory.writes.size();
  TDiagObj& constant = Row("Версия");
  constant.ReadValue();
  EXPECT_EQ(session.StepValue(constant, '+'), TStepResult::NotEditable);
  TDiagObj& formatted = Row("Формат");
  formatted.ReadValue();
  EXPECT_EQ(session.StepValue(formatted, '+'), TStepResult::NotNumber);
  EXPECT_EQ(session.StepValue(Row("Счётчики"), '+'), TStepResult::NotEditable);
  EXPECT_EQ(memory.writes.size(), writes);
}

TEST_F(Session, WorkTickReadsVisibleRowsThenTheWatchListOnce) {
  TDiagObj& port = Port();
  TDiagObj& received = Row("Принято");
  session.AddWatch(received);
  std::vector<std::string> journal;
  session.Journal = [&](const std::string& line) { journal.push_back(line); };
  session.SelectLogged(received);
  session.BeginTick();
  session.RefreshRows(0, port.Parameters.size());
  const size_t reads = memory.readCounts.size();
  session.RefreshWatch();
  EXPECT_EQ(memory.readCounts.size(), reads);  // read by its row in this tick already
  PutU16(memory.At(counter), 101);
  session.BeginTick();
  session.RefreshWatch();
  EXPECT_EQ(received.Value, "101");
  EXPECT_EQ(journal.back(), "2025.12.09 12:00:00.000 | 101");
  EXPECT_EQ(journal[0], "Принято");
}

TEST_F(Session, HeadersAreReadRoundRobinSixATick) {
  std::vector<TDiagObj*> nodes;
  for (int i = 0; i < 10; ++i) nodes.push_back(session.Root.get());
  memory.readCounts.clear();
  int changed = 0;
  session.RefreshHeaders(nodes, [&](TDiagObj&) { ++changed; });
  EXPECT_EQ(memory.readCounts, std::vector<size_t>{16});  // six turns of one node: its header read once
  memory.At(session.Root->Address)[10] = 7;
  session.RefreshHeaders(nodes, [&](TDiagObj&) { ++changed; });
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(session.Root->Header.ImageIndex, 7);
}

TEST_F(Session, ScansTicksAndTheWatchListReadInBatchesAndASilentTickCostsOneRequestsTries) {
  memory.areas = true;
  std::vector<TFarPtr> rows;
  for (int i = 0; i < 25; ++i) rows.push_back(build.Object(4, "Р" + std::to_string(i), build.Data({uint8_t(i), 0})));
  std::vector<TFarPtr> ports;
  for (int i = 0; i < 4; ++i) ports.push_back(build.Folder("Порт " + std::to_string(i), {build.Object(2, "Адрес", build.Data({uint8_t(250 + i)}))}));
  rows.push_back(build.Folder("Порты", ports));
  build.SetRoot(build.Folder("Контроллер", {build.Folder("Процессор", rows)}));
  ASSERT_TRUE(session.Scan());
  memory.readCounts.clear();
  // Four requests a level (list headers, pointers, headers, names of the folders found), three
  // at the last (the rows' names are read with their values), whatever the number of objects.
  EXPECT_EQ(ScanSubtree(context, *session.Root, 64), 1u + 26u + 4u + 4u);
  EXPECT_EQ(memory.readCounts.size() + memory.areaCounts.size(), 4u + 4u + 4u + 3u);
  TDiagObj* cpu = FindByPath(context, *session.Root, "Процессор");
  ASSERT_TRUE(cpu && cpu->Scanned);
  ASSERT_EQ(cpu->Parameters.size(), 25u);
  session.Open(*cpu);

  memory.readCounts.clear();
  memory.areaCounts.clear();
  session.BeginTick();
  session.RefreshRows(0, 25);
  EXPECT_TRUE(memory.readCounts.empty());
  EXPECT_EQ(memory.areaCounts, (std::vector<size_t>{25, 25}));  // the names, then the values
  EXPECT_EQ(cpu->Parameters[7]->Name, "Р7");
  EXPECT_EQ(cpu->Parameters[7]->Value, "7");
  // Names known: the names due and the values come in one batch.
  for (size_t i = 0; i < 25; ++i) cpu->Parameters[i]->FormatCountdown = i < 5 ? 0 : 3;
  memory.areaCounts.clear();
  session.BeginTick();
  session.RefreshRows(0, 25);
  EXPECT_EQ(memory.areaCounts, (std::vector<size_t>{30}));
  // Watched objects of other folders come in one batch too; six headers in one more.
  for (auto& port : cpu->Nodes[0]->Nodes) {
    ASSERT_TRUE(port->Scanned);
    session.AddWatch(*port->Parameters[0]);
  }
  memory.areaCounts.clear();
  session.RefreshWatch();
  std::vector<TDiagObj*> nodes;
  for (auto& port : cpu->Nodes[0]->Nodes) nodes.push_back(port.get());
  nodes.push_back(cpu);
  nodes.push_back(session.Root.get());
  session.RefreshHeaders(nodes, {});
  ASSERT_EQ(memory.areaCounts.size(), 3u);
  EXPECT_EQ(memory.areaCounts[1], 4u);
  EXPECT_EQ(memory.areaCounts[2], 6u);
  EXPECT_EQ(session.Watch[3]->Value, "253");

  // A silent controller: the tick's first batch is tried three times and nothing else is sent.
  memory.failReads = 1000;
  memory.areaCounts.clear();
  points.clear();
  for (auto& row : cpu->Parameters) row->FormatCountdown = 0;
  session.BeginTick();
  session.RefreshRows(0, 25);
  EXPECT_EQ(memory.areaCounts.size(), 3u);
  EXPECT_TRUE(memory.readCounts.empty());
  EXPECT_EQ(points, std::vector<uint32_t>(3, DiagPoint::Red));
  EXPECT_FALSE(cpu->Parameters[7]->HasValue);
}

TEST_F(Session, JournalFileAndClipboard) {
  TDiagObj& received = Row("Принято");
  received.ReadValue();
  session.AddWatch(received);
  PutU16(memory.At(counter), 5);
  received.ReadValue();
  EXPECT_EQ(TDiagSession::ChangeLogFileText(received),
            "Порт 2.Счётчики.Принято\r\n100\r\n2025.12.09 12:00:00.000 | 5\r\n");
  const std::string table = session.ClipboardTable();
  EXPECT_NE(table.find("Принято\t5\r"), std::string::npos);
  EXPECT_EQ(session.ChangeLogLines(received).front(), "Принято");
}

}  // namespace
}  // namespace vlm
