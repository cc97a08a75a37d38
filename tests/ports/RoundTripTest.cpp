// A configuration with every port and point kind, every field off its default and rows in every
// table, must come back byte for byte through write -> read -> write.
#include <set>

#include "PortsFixture.h"
#include "ports/VLM_PortAct.h"

namespace vlm::test {
namespace {

int64_t OffDefault(const TItemDef& d) {
  const auto choices = ItemChoices(d);
  for (const TChoice& c : choices)
    if (c.value != d.def) return c.value;
  return d.def + 1 <= ItemMax(d) ? d.def + 1 : d.def - 1;
}

void FillValues(TItemValues& values, int salt) {
  for (const TItemDef& d : values.Table()) {
    if (d.IsMarker()) continue;
    switch (d.kind) {
      case TItemKind::Ip: values.Set(d.id, 0xC0A80100 + salt); break;
      case TItemKind::Text:
      case TItemKind::Text256: values.SetText(d.id, "Место Ёж " + std::to_string(salt)); break;
      case TItemKind::Blob: {
        std::string bytes(d.width, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + salt);
        values.SetText(d.id, bytes);
        break;
      }
      default: values.Set(d.id, OffDefault(d)); break;
    }
  }
}

void FillTables(std::vector<TRowTable>& tables, int salt) {
  for (TRowTable& table : tables) {
    // Three rows in descending key order, so the sorts while writing have work to do.
    for (int r = 3; r >= 1; --r) {
      std::vector<uint8_t> row(table.Def().rowSize);
      for (size_t b = 0; b < row.size(); ++b) row[b] = static_cast<uint8_t>(r * 16 + b + salt);
      ASSERT_TRUE(table.AddRow(row));
    }
  }
}

void FillGroups(TDataPoint& point) {
  if (!point.Groups) return;
  for (int number : {1, 7, 255}) {
    TTIGroup& g = (*point.Groups)[number];
    g.Used = true;
    g.PollMode = 1;
    g.TimerPeriod = 60000 * number;
    g.UseMask = static_cast<uint8_t>(0xA5 ^ number);
    g.Deltas = {1, 2, 3, 4, 5, 6, 7, static_cast<uint8_t>(number)};
  }
}

class RoundTrip : public PortsFixture {
 protected:
  // Every port kind with one point of every kind it accepts, all off their defaults.
  void BuildEverything() {
    std::vector<TComPort*> free;
    for (uint8_t address : {0, 2, 4})
      for (TComPort* p : AddCard(address)->Ports)
        if (p) free.push_back(p);
    int salt = 1;
    for (const TPortKind* kind : PortKinds()) {
      TDataPort* port = AddPortOf(kind->typeId);
      ASSERT_NE(port, nullptr);
      port->Number = static_cast<uint8_t>(salt);
      port->Comment = kind->writesComment ? "Порт {" + std::to_string(salt) + "}" : "";
      if (port->NeedsHardPort()) {
        ASSERT_FALSE(free.empty());
        port->SetHardPort(free.back());
        free.pop_back();
      }
      FillValues(port->Values, salt);
      FillTables(port->Tables, salt);
      if (auto* active = dynamic_cast<TPortActive*>(port)) {
        active->StepCount = 3;
        active->Steps[0] = 1, active->Steps[1] = 0, active->Steps[2] = 2;
      }
      if (auto* tkr = dynamic_cast<TPortTKR*>(port)) {
        tkr->StepCount = 2;
        tkr->Steps[0] = {4, 1}, tkr->Steps[1] = {kTkrPausePoint, 3};
      }
      for (uint8_t id : kind->childIds) {
        TDataPoint* point = kind->singleChild ? dynamic_cast<TDataPoint*>(port->ChildObject(0))
                                              : AddPointOf(*port, id);
        ASSERT_NE(point, nullptr);
        FillValues(point->Values, salt + id);
        if (id == 108) point->Values.Set(112, 16);  // the ГРАНИТ protocol code is fixed
        FillTables(point->Tables, salt + id);
        FillGroups(*point);
        point->UpdateNode();
      }
      port->UpdateNode();
      ++salt;
    }
  }

  std::set<std::string> ClassesInTree() const {
    std::set<std::string> classes;
    tree.ForEach([&](TTreeNode& n) {
      if (n.Object()) classes.insert(n.Object()->ClassName());
    });
    return classes;
  }
};

TEST_F(RoundTrip, EveryKindOffDefaultComesBackByteExact) {
  BuildEverything();
  const Bytes first = WriteImage();
  EXPECT_TRUE(prompt.errors.empty()) << prompt.errors.front();
  ReadImage(first);
  EXPECT_TRUE(prompt.errors.empty());
  const Bytes second = WriteImage();
  ASSERT_EQ(first.size(), second.size());
  // The header carries the same stamp, so the images must agree in every byte.
  EXPECT_EQ(first, second);

  const std::set<std::string> classes = ClassesInTree();
  for (const TPortKind* kind : PortKinds()) EXPECT_TRUE(classes.count(kind->className)) << kind->className;
  for (const TPointKind* kind : PointKinds()) EXPECT_TRUE(classes.count(kind->className)) << kind->className;
}

TEST_F(RoundTrip, ReadingRestoresFieldsTablesGroupsAndBindings) {
  BuildEverything();
  const Bytes image = WriteImage();
  ReadImage(image);
  auto* rpt = dynamic_cast<TDataPort*>(ProcessorNode().Child(11)->Object());
  ASSERT_EQ(rpt->Kind().typeId, 13);
  // The place comes from the second item 149, the comment from the first.
  EXPECT_EQ(rpt->Place(), "Место Ёж 12");
  EXPECT_EQ(rpt->Comment, "Порт {12}");
  EXPECT_EQ(rpt->Tables[0].Count(), 3u);
  EXPECT_NE(Controller()->HardPortOf(rpt), nullptr);
  EXPECT_EQ(ProcessorNode().Child(11)->Text(), "№12 Порт передачи РПT80 {Порт {12}} Место Ёж 12");

  auto* active = dynamic_cast<TPortActive*>(ProcessorNode().Child(0)->Object());
  ASSERT_NE(active, nullptr);
  EXPECT_EQ(active->StepCount, 3);
  EXPECT_EQ(active->ChildCount(), 4u);
  auto* sirius = dynamic_cast<TDataPoint*>(active->ChildObject(0));
  EXPECT_TRUE((*sirius->Groups)[7].Used);
  EXPECT_EQ((*sirius->Groups)[7].TimerPeriod, 420000);
  EXPECT_FALSE((*sirius->Groups)[8].Used);

  // Ports without a hardware port are never bound, whatever item 107 holds (SNTP: 1).
  for (size_t i = 0; i < ProcessorNode().Count(); ++i) {
    auto* port = dynamic_cast<TDataPort*>(ProcessorNode().Child(i)->Object());
    EXPECT_EQ(Controller()->HardPortOf(port) != nullptr, port->NeedsHardPort()) << port->ClassName();
  }
}

}  // namespace
}  // namespace vlm::test
