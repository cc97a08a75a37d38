// A configuration with every port and point kind, every field off its default and rows in every
// table, must come back byte for byte through write -> read -> write.
#include <set>

#include "common/DataFolder.h"
#include "common/PathText.h"

#include "PortsFixture.h"
#include "ports/VLM_PortAct.h"

namespace vlm::test {
namespace {

class RoundTrip : public PortsFixture {
 protected:
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

// The stored tests/data/ports/all_kinds.cfg is what this configuration writes, byte for byte;
// scripts/write-test-data stores it anew after a deliberate change of the layout.
TEST_F(RoundTrip, EveryKindImageEqualsTheStoredFile) {
  BuildEverything();
  const Bytes image = WriteImage();
  const std::string written(image.begin(), image.end());
  const char* path = VELMOR_TEST_DATA "/ports/all_kinds.cfg";
  std::string stored;
  ASSERT_TRUE(ReadWholeFile(PathFromUtf8(path), stored));
  EXPECT_TRUE(stored == written) << "the image layout changed; scripts/write-test-data stores it anew if that was meant";
}

}  // namespace
}  // namespace vlm::test
