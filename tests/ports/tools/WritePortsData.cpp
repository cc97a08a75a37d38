// Writes the generated data the ports tests and the ports image fuzz target start from; run by
// scripts/write-test-data after a deliberate change of the image layout. Test runs never write
// data: they compare with what this stored.
//   write_ports_data PROJECT_FOLDER
// The writers are fixtures of their own so that the builders' checks stop a broken write.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "PortsFixture.h"
#include "common/DataFolder.h"
#include "ports/VLM_PortAct.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;

fs::path gRoot;

class PortsDataWriter : public PortsFixture {
 protected:
  static const fs::path& Root() { return gRoot; }
};

// tests/data/ports/all_kinds.cfg: every kind, every field off its default (RoundTrip compares).
TEST_F(PortsDataWriter, EveryKindImage) {
  BuildEverything();
  const Bytes image = WriteImage();
  const fs::path file = Root() / "tests/data/ports/all_kinds.cfg";
  ASSERT_TRUE(WriteFileAtomically(file, std::string(image.begin(), image.end())));
}

// The seed corpus of the ports image fuzz target: one small image per port kind with its points,
// old record versions and a foreign child.
TEST_F(PortsDataWriter, FuzzSeeds) {
  const fs::path folder = Root() / "fuzz/corpus/ports_image_fuzz";
  ASSERT_TRUE(fs::is_directory(folder)) << folder;
  for (const TPortKind* kind : PortKinds()) {
    station = NewConfiguration(tree);
    TDataPort* port = AddPortOf(kind->typeId);
    port->Number = 1;
    for (uint8_t id : kind->childIds)
      if (!kind->singleChild) AddPointOf(*port, id);
    FillTables(port->Tables, 1);
    const Bytes image = WriteImage();
    const fs::path name = folder / kind->className;
    ASSERT_TRUE(WriteFileAtomically(name, std::string(image.begin(), image.end())));
  }
  // Old record versions and a foreign child.
  const Bytes old = ImageWithPorts(2, [](TConfig& c) {
    size_t start = c.OpenContainer(9);
    c.WriteU8(101, 1);
    c.WriteU16(131, 2);
    const uint8_t rows[] = {1, 2, 3, 4, 5, 0, 6, 4, 9, 9, 9, 9, 9, 9, 9, 9};
    c.WriteItem(139, sizeof rows, rows);
    c.CloseContainer(start);
    start = c.OpenContainer(2);
    c.WriteU8(108, 2);
    c.WriteU8(109, 2);
    c.WriteItem(110, 2, rows);
    const size_t point = c.OpenContainer(100);
    c.WriteU8(101, 2);
    c.WriteU16(198, 1000);
    c.WriteU8(124, 1);
    const size_t group = c.OpenContainer(200);
    c.WriteU8(128, 0);
    c.CloseContainer(group);
    c.CloseContainer(point);
    c.CloseContainer(c.OpenContainer(104));
    c.CloseContainer(start);
  });
  ASSERT_TRUE(WriteFileAtomically(folder / "old_versions", std::string(old.begin(), old.end())));
}

}  // namespace
}  // namespace vlm::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2 || !std::filesystem::is_directory(std::filesystem::path(argv[1]) / "tests/data/ports")) {
    std::fprintf(stderr, "usage: write_ports_data PROJECT_FOLDER\n");
    return 2;
  }
  vlm::test::gRoot = argv[1];
  return RUN_ALL_TESTS();
}
