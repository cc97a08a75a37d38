#include "common/DataFolder.h"
#include "common/PathText.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vlm {
namespace {

TEST(PathText, CyrillicFolderRoundTripsThroughTheFileSystem) {
  const std::string place = "ПС 110 кВ Северная";
  const std::filesystem::path dir = PathFromUtf8(place);
  EXPECT_EQ(PathToUtf8(dir), place);
  EXPECT_EQ(FileNameUtf8(PathFromUtf8("c:/Cfg/" + place + "/vlm.cfg")), "vlm.cfg");

  test::TTempDir temp;
  const std::filesystem::path folder = temp.Path() / dir;
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(WriteFileAtomically(folder / PathFromUtf8("Станция.cfg"), "bytes"));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(PathFromUtf8(PathToUtf8(folder) + "/Станция.cfg"), back));
  EXPECT_EQ(back, "bytes");
  bool listed = false;
  for (const auto& entry : std::filesystem::directory_iterator(temp.Path()))
    listed |= FileNameUtf8(entry.path()) == place;
  EXPECT_TRUE(listed);
}

}  // namespace
}  // namespace vlm
