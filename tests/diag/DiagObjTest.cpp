// Reading objects and folders from a controller's memory: attempts, texts, constants, scans in
// pieces and the structures a broken or hostile firmware could publish.
#include <gtest/gtest.h>

#include "DiagFake.h"
#include "diag/DiagScan.h"

namespace vlm {
namespace {

using test::TDiagFixture;
using Objects = TDiagFixture;

TEST_F(Objects, ReadsAreTriedThreeTimesWithAPointEach) {
  uint8_t out[4];
  memory.failReads = 2;
  EXPECT_TRUE(diagMemory.ReadDiagMemory(0x00000208, out));
  EXPECT_EQ(points, (std::vector<uint32_t>{0x0000FF, 0x0000FF, 0x008000}));
  memory.failReads = 3;
  points.clear();
  EXPECT_FALSE(diagMemory.ReadDiagMemory(0x00000208, out));
  EXPECT_EQ(points, (std::vector<uint32_t>{0x0000FF, 0x0000FF, 0x0000FF}));
  // The reserved F-segments and reads leaving their segment are never asked for.
  const size_t before = memory.readCounts.size();
  EXPECT_FALSE(diagMemory.ReadDiagMemory(0xF0000000, out));
  EXPECT_FALSE(diagMemory.ReadDiagMemory(0x1000FFFE, out));
  EXPECT_EQ(memory.readCounts.size(), before);
}

TEST_F(Objects, TextsAreReadIn32BytesThenTheRest) {
  const TFarPtr shortText = build.String("Короткое");
  EXPECT_EQ(DosToUtf8(*diagMemory.ReadText(shortText)), "Короткое");
  EXPECT_EQ(memory.readCounts.back(), 32u);
  const std::string long70(70, 'x');
  memory.readCounts.clear();
  EXPECT_EQ(*diagMemory.ReadText(build.String(long70)), long70);
  EXPECT_EQ(memory.readCounts, (std::vector<size_t>{32, 70 - 31}));
  // A length byte that runs past the segment is refused, not wrapped to its start.
  *memory.At(0x1000FFF0) = 40;
  EXPECT_FALSE(diagMemory.ReadText(0x1000FFF0));
  EXPECT_NE(diagMemory.Refusal().find("выходит за сегмент"), std::string::npos);
}

TEST_F(Objects, HeaderKindsAndNames) {
  const TFarPtr value = build.Object(4, "Напряжение;2;%d В", build.Data({0x10, 0x27}));
  TDiagObj obj(context, value);
  EXPECT_TRUE(obj.ReadEnabled);
  EXPECT_TRUE(obj.Name.empty());  // parameters read their names when shown
  obj.ReadValue();
  EXPECT_EQ(obj.Name, "Напряжение");
  EXPECT_EQ(obj.Value, "10000 В");
  EXPECT_TRUE(obj.HasValue);

  TDiagObj heading(context, build.Object(0, "Счётчики", 0));
  EXPECT_FALSE(heading.ReadEnabled);
  EXPECT_TRUE(heading.IsConstant());

  TDiagObj folder(context, build.Folder("Процессор", {}));
  EXPECT_EQ(folder.Name, "Процессор");  // nodes read their names at once

  TDiagObj nil(context, build.Object(1, "", 0));
  EXPECT_EQ(nil.Name, "\"nil\"");

  const TFarPtr junk = build.Data({0x55, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
  TDiagObj other(context, junk);
  EXPECT_FALSE(other.ReadEnabled);
  EXPECT_FALSE(other.HighlightEnabled);
  EXPECT_EQ(other.Header.Magic, 0x55);
  EXPECT_EQ(other.Header.Kind, 1);

  memory.failReads = 3;
  TDiagObj lost(context, value);
  EXPECT_EQ(lost.Header.Magic, 0);
  EXPECT_EQ(lost.Header.DataPtr, 0u);
}

TEST_F(Objects, ConstantsAreReadOnceAndKeepTheirValue) {
  const TFarPtr data = build.Data({42});
  TDiagObj obj(context, build.Object(2, "Версия", data, kFlagConstant));
  obj.ReadValue();
  EXPECT_EQ(obj.Value, "42");
  *memory.At(data) = 43;
  const size_t reads = memory.readCounts.size();
  obj.ReadValue();
  obj.ReadValue();
  EXPECT_EQ(obj.Value, "42");
  EXPECT_FALSE(obj.Changed);
  EXPECT_EQ(memory.readCounts.size(), reads);
}

TEST_F(Objects, ValueChangesAndTheChangeLog) {
  const TFarPtr data = build.Data({1, 0});
  TDiagObj obj(context, build.Object(4, "Счёт", data));
  obj.ReadValue();
  EXPECT_FALSE(obj.Changed);  // the first value is no change
  obj.EnsureChangeLog();
  for (int i = 2; i < 1100; ++i) {
    PutU16(memory.At(data), uint16_t(i));
    obj.ReadValue();
    ASSERT_TRUE(obj.Changed);
  }
  EXPECT_EQ(obj.ChangeCount, 1099);
  ASSERT_EQ(obj.ChangeLog->size(), 1000u);
  EXPECT_EQ(obj.ChangeLog->back(), "2025.12.09 12:00:00.000 | 1099");
  // A failed read keeps the old value but says it has none now.
  memory.failReads = 3;
  obj.ReadValue();
  EXPECT_EQ(obj.Value, "1099");
  EXPECT_FALSE(obj.HasValue);
}

TEST_F(Objects, CharsAtAPointer) {
  std::vector<uint8_t> chars(32, '.');
  chars[0] = 0x01;
  const TFarPtr text = build.Data(chars);
  std::vector<uint8_t> pointer(4);
  PutU32(pointer.data(), text);
  TDiagObj obj(context, build.Object(36, "Экран", build.Data(pointer)));
  obj.ReadValue();
  EXPECT_EQ(obj.Value, "\" " + std::string(31, '.') + "\"");
  TDiagObj nil(context, build.Object(36, "Пусто", build.Data({0, 0, 0, 0})));
  nil.ReadValue();
  EXPECT_EQ(nil.Value, "\"");
}

TEST_F(Objects, FolderOf120IsReadInThreePieces) {
  std::vector<TFarPtr> children;
  for (int i = 0; i < 120; ++i) children.push_back(build.Object(2, "П" + std::to_string(i), build.Data({uint8_t(i)})));
  const TFarPtr folderAt = build.Folder("Много", children);
  TDiagObj folder(context, folderAt);
  int maximum = 0, last = 0;
  TScanProgress progress;
  progress.Start = [&](int m) { maximum = m; };
  progress.Step = [&](int p) { last = p; };
  memory.readCounts.clear();
  ASSERT_TRUE(ScanFolder(context, folder, progress));
  std::vector<size_t> pointerReads;
  for (size_t n : memory.readCounts)
    if (n != 16 && n != 8) pointerReads.push_back(n);
  EXPECT_EQ(pointerReads, (std::vector<size_t>{200, 200, 80}));
  EXPECT_EQ(maximum, 120);
  EXPECT_EQ(last, 120);
  EXPECT_EQ(folder.Parameters.size(), 120u);
  EXPECT_TRUE(folder.Scanned);
}

TEST_F(Objects, NodesParametersPlaceholdersAndTheNilEnd) {
  const TFarPtr sub = build.Folder("Порт 1", {build.Object(2, "x", build.Data({1}))});
  const TFarPtr empty = build.Folder("Пустая", {}, 0);
  const TFarPtr ti = build.Object(43, "ТИ", build.Data({0, 0, 0, 0, 0, 0, 0}));
  const TFarPtr row = build.Object(2, "Адрес", build.Data({5}));
  TDiagObj folder(context, build.Folder("Процессор", {sub, row, empty, ti, 0, row}));
  ASSERT_TRUE(ScanFolder(context, folder));
  ASSERT_EQ(folder.Nodes.size(), 3u);
  EXPECT_TRUE(folder.Nodes[0]->HasPlaceholder);
  EXPECT_FALSE(folder.Nodes[1]->HasPlaceholder);
  EXPECT_EQ(folder.Nodes[2]->Kind(), 43);
  EXPECT_EQ(folder.Parameters.size(), 1u);  // the nil pointer ended the list
}

TEST_F(Objects, AFailedReadEndsTheScanUnscanned) {
  std::vector<TFarPtr> children;
  for (int i = 0; i < 60; ++i) children.push_back(build.Object(2, "П", build.Data({1})));
  TDiagObj folder(context, build.Folder("Много", children));
  memory.failReads = 0;
  int headers = 0;
  TScanProgress progress;
  progress.Step = [&](int) {
    if (++headers == 50) memory.failReads = 3;  // the second piece of pointers gets no answer
  };
  EXPECT_FALSE(ScanFolder(context, folder, progress));
  EXPECT_FALSE(folder.Scanned);
  EXPECT_EQ(folder.Parameters.size(), 50u);
}

struct Hostile : TDiagFixture {
  bool HasErrorRow(const TDiagObj& folder, const std::string& part) {
    for (const auto& p : folder.Parameters)
      if (p->IsError && p->Name.find(part) != std::string::npos) return true;
    return false;
  }
};

TEST_F(Hostile, FolderContainingItselfOrItsParent) {
  // The folder's list is patched to hold the folder itself and then the root above it.
  const TFarPtr list = build.List({0, 0});
  const TFarPtr inner = build.Object(1, "Внутри", list, 0x80);
  const TFarPtr root = build.Folder("Корень", {inner});
  const TFarPtr pointers = GetU32(memory.At(list + 2));
  PutU32(memory.At(pointers), inner);
  PutU32(memory.At(pointers + 4), root);
  build.SetRoot(root);
  std::unique_ptr<TDiagObj> top;
  ASSERT_TRUE(ReadDiagRoot(context, top));
  ScanSubtree(context, *top, 50);
  ASSERT_EQ(top->Nodes.size(), 1u);
  const TDiagObj& in = *top->Nodes[0];
  EXPECT_TRUE(in.Nodes.empty());
  EXPECT_EQ(in.Parameters.size(), 2u);
  EXPECT_TRUE(HasErrorRow(in, "папка ссылается на себя или на папку выше: 1000:0000"));
}

TEST_F(Hostile, TwoHeadersSharingAList) {
  const TFarPtr list = build.List({0});
  const TFarPtr a = build.Object(1, "A", list, 0x80);
  PutU32(memory.At(GetU32(memory.At(list + 2))), build.Object(1, "B", list, 0x80));
  TDiagObj folder(context, a);
  EXPECT_EQ(ScanSubtree(context, folder, 100), 1u);
  EXPECT_TRUE(HasErrorRow(folder, "повторяет список папки выше"));
}

TEST_F(Hostile, CountsPointersAndStrings) {
  TDiagObj huge(context, build.Object(1, "Много", build.List({}, 5000)));
  EXPECT_FALSE(ScanFolder(context, huge));
  EXPECT_TRUE(HasErrorRow(huge, "5000"));
  TDiagObj negative(context, build.Object(1, "Минус", build.List({}, 0x8000)));
  EXPECT_FALSE(ScanFolder(context, negative));
  EXPECT_TRUE(HasErrorRow(negative, "-32768"));

  TDiagObj reserved(context, build.Folder("F", {0xF0001234, build.Object(2, "x", build.Data({1}))}));
  EXPECT_TRUE(ScanFolder(context, reserved));
  EXPECT_TRUE(HasErrorRow(reserved, "F000:1234 в зарезервированную область"));
  EXPECT_EQ(reserved.Parameters.size(), 2u);

  // A name whose length byte runs past its segment names the fault instead.
  const TFarPtr obj = build.Object(2, "x", build.Data({1}));
  *memory.At(0x2000FFF8) = 100;
  PutU32(memory.At(obj + 2), 0x2000FFF8);
  TDiagObj bad(context, obj);
  bad.ReadValue();
  EXPECT_NE(bad.Name.find("выходит за сегмент"), std::string::npos);
  EXPECT_FALSE(bad.HasFormat);

  TDiagObj listInF(context, build.Object(1, "F", 0xF1230000));
  EXPECT_FALSE(ScanFolder(context, listInF));
  EXPECT_TRUE(HasErrorRow(listInF, "F123:0000"));
}

TEST_F(Hostile, RootPointer) {
  std::unique_ptr<TDiagObj> root;
  EXPECT_TRUE(ReadDiagRoot(context, root));
  EXPECT_FALSE(root);  // 0: no tree
  memory.failReads = 3;
  EXPECT_FALSE(ReadDiagRoot(context, root));
}

}  // namespace
}  // namespace vlm
