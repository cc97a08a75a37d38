// The pure parts of the services: date-time texts, sorting, paths, names, code pages, viewer,
// upload messages, the reset button's flight and the status countdown.
#include <gtest/gtest.h>

#include "common/DataFolder.h"
#include "common/TextCodec.h"
#include "services/Autoexec.h"
#include "services/ControllerPath.h"
#include "services/FileCompare.h"
#include "services/FileInfo.h"
#include "services/FileView.h"
#include "services/Reset.h"
#include "services/ServiceNames.h"
#include "services/Upload.h"

namespace vlm {
namespace {

uint32_t Pack(int year, int month, int day, int hour, int minute, int second) {
  return uint32_t(year) << 25 | uint32_t(month) << 21 | uint32_t(day) << 16 | uint32_t(hour) << 11 |
         uint32_t(minute) << 5 | uint32_t(second / 2);
}

TEST(FileDateTimeText, PrintsPartsAndMarksEveryOutOfRangeOne) {
  EXPECT_EQ(FileDateTimeText(Pack(46, 12, 9, 13, 5, 8)), "09.12.2026  13:05:08");
  EXPECT_EQ(FileDateTimeText(Pack(0, 0, 1, 0, 0, 0)), "01.?00?.1980  00:00:00");
  EXPECT_EQ(FileDateTimeText(Pack(120, 1, 1, 0, 0, 0)), "01.01.?2100?  00:00:00");
  EXPECT_EQ(FileDateTimeText(Pack(119, 1, 1, 0, 0, 0)), "01.01.2099  00:00:00");
  EXPECT_EQ(FileDateTimeText(Pack(10, 13, 0, 24, 60, 60)), "?00?.?13?.1990  ?24?:?60?:?60?");
  EXPECT_EQ(FileDateTimeText(Pack(10, 12, 31, 23, 59, 58)), "31.12.1990  23:59:58");
}

TEST(FileInfo, FileNamesLowerCasedDirectoriesKeptAndSortedByEachColumn) {
  EXPECT_EQ(MakeFileInfo({0x20, 0, 1, "AUTOEXEC.BAT"}).Name, "autoexec.bat");
  EXPECT_EQ(MakeFileInfo({0x10, 0, 0, "SUB"}).Name, "SUB");
  std::vector<TFileInfo> items{{"b", 0x20, 5, 3}, {"Z", 0x10, 0, 9}, {"a", 0x20, 5, 1}, {"..", 0x10, 0, 9}, {"c", 0x20, 1, 1}};
  auto names = [&] {
    std::string s;
    for (const auto& i : items) s += i.Name + " ";
    return s;
  };
  SortFileInfos(items, kSortByName);
  EXPECT_EQ(names(), ".. Z a b c ");
  SortFileInfos(items, kSortBySize);
  EXPECT_EQ(names(), ".. Z c a b ");
  SortFileInfos(items, kSortByDate);
  EXPECT_EQ(names(), "a c b .. Z ");
}

TEST(FileInfo, SelectionSummaryCountsFilesOnly) {
  EXPECT_EQ(SelectionSummary({{"SUB", 0x10, 0, 0}, {"..", 0x10, 0, 0}}), "");
  EXPECT_EQ(SelectionSummary({{"SUB", 0x10, 0, 0}, {"a", 0x20, 100, 0}, {"b", 0x20, 3000000000u, 0}}),
            "Выбрано файлов: 2, байтов: 3000000100");
}

TEST(ControllerPath, ParentLabelColumnsAndMask) {
  const auto up = ParentPath("C:\\DIR\\SUB\\");
  ASSERT_TRUE(up);
  EXPECT_EQ(up->Path, "C:\\DIR\\");
  EXPECT_EQ(up->Left, "SUB");
  EXPECT_EQ(ParentPath("C:\\DIR\\")->Path, "C:\\");
  EXPECT_FALSE(ParentPath("C:\\"));
  EXPECT_EQ(PathUpToColumn("C:\\DIR\\SUB\\", 1), "C:\\");
  EXPECT_EQ(PathUpToColumn("C:\\DIR\\SUB\\", 4), "C:\\DIR\\");
  EXPECT_EQ(PathUpToColumn("C:\\DIR\\SUB\\", 7), "C:\\DIR\\");
  EXPECT_EQ(PathUpToColumn("C:\\DIR\\SUB\\", 8), "C:\\DIR\\SUB\\");
  EXPECT_EQ(PathUpToColumn("C:\\DIR\\SUB\\", 40), "C:\\DIR\\SUB\\");
  EXPECT_EQ(PathUpToColumn("C:\\ПАПКА\\SUB\\", 8), "C:\\ПАПКА\\");
  EXPECT_EQ(ChildPath("C:\\DIR\\", "SUB"), "C:\\DIR\\SUB\\");
  EXPECT_EQ(ListMask("C:\\DIR\\"), "C:\\DIR\\*.*");
}

TEST(ServiceNames, SystemFilesAndHostileNamesAreRefused) {
  for (const char* name : {"command.com", "ibmbio.sys", "ibmdos.sys", "io.sys", "msdos.sys"}) EXPECT_TRUE(IsSystemFile(name));
  EXPECT_FALSE(IsSystemFile("IO.SYS"));  // the list compares exactly
  EXPECT_FALSE(IsSystemFile("io.sy"));
  for (const char* name : {"..\\..\\x", "c:x", "con", "CON.TXT", "nul", "com1", "lpt9.bat", "abc\\def.txt", "a/b",
                           "..", ".", "x.", "", "aux ", "thirteen.char"})
    EXPECT_FALSE(PcFileNameFor(name)) << name;
  for (const char* name : {"vlm.cfg", "autoexec.bat", "com10", "console", "..x", "файл.txt", "twelve.chars"})
    EXPECT_EQ(PcFileNameFor(name).value_or("-"), name);
  EXPECT_EQ(SanitizeFileName("..\\..\\etc"), "....etc");
}

TEST(ServiceNames, ControllerKeepsTwelveBytesOfTheDosName) {
  EXPECT_EQ(ControllerFileName("abcdefgh.txtX"), "abcdefgh.txt");
  EXPECT_EQ(ControllerFileName("short.txt"), "short.txt");
  EXPECT_EQ(ControllerFileName("программа.exe"), "программа.ex");  // one byte a letter in 866
}

TEST(AutoexecText, CodePagesAndLineEndsBothWays) {
  const std::string dos = "@echo off\r\nrem \x8F\xE0\xA8\xA2\xA5\xE2\r\nvlm.exe\r\n";  // "Привет" in 866
  EXPECT_EQ(AutoexecToEditor(dos), "@echo off\nrem Привет\nvlm.exe\n");
  EXPECT_EQ(EditorToAutoexec("@echo off\nrem Привет\nvlm.exe\n"), dos);
  EXPECT_EQ(EditorToAutoexec("a\r\nb"), "a\r\nb");
  EXPECT_EQ(AutoexecToEditor("a\rb"), "a\nb");
  EXPECT_EQ(Utf8ToCp1251(AutoexecToEditor("\x8F")), "\xCF");  // П: 866 8F, 1251 CF
}

// The whole DOS 866 page, not the short-string table: box drawing and "№" keep their look, and
// a file read into the editor and written back unchanged keeps every byte.
TEST(AutoexecText, BoxDrawingAndNumeroSurviveAndEveryByteComesBack) {
  EXPECT_EQ(AutoexecToEditor("\xFC" "1 \xC9\xCD\xCD\xCD\xBB\r\n"), "№1 ╔═══╗\n");
  EXPECT_EQ(EditorToAutoexec("№1 ╚═══╝ 5°"), "\xFC" "1 \xC8\xCD\xCD\xCD\xBC 5\xF8");
  EXPECT_EQ(EditorToAutoexec("€"), "?");
  std::string all;
  for (int b = 0; b < 256; ++b)
    if (b != '\r' && b != '\n') all += char(b);
  all += "\r\n";
  EXPECT_EQ(EditorToAutoexec(AutoexecToEditor(all)), all);
  EXPECT_EQ(ViewText("\xFC" "1 \xC9\xCD\xBB"), "№1 ╔═╗");
}

TEST(FileView, TextConvertedAndBinaryShownAsHex) {
  EXPECT_EQ(ViewText("rem \x8F\xE0\xA8\xA2\xA5\xE2\r\n\t\x1A"), "rem Привет\r\n\t\x1A");
  EXPECT_TRUE(LooksBinary(std::string("MZ\x90\0", 4)));
  EXPECT_EQ(ViewText(std::string("MZ\x90\0\x01" "ABCDEFGHIJKLMNOP", 21)),
            "00000000  4D 5A 90 00 01 41 42 43 44 45 46 47 48 49 4A 4B  MZР..ABCDEFGHIJK\n"
            "00000010  4C 4D 4E 4F 50" + std::string(35, ' ') + "LMNOP\n");
}

TEST(Compare, DifferenceTextCarriesPositionAndBothBytes) {
  EXPECT_EQ(CompareDifferenceText("a.bin", 300, 1, 255),
            "Ошибка при сравнении файлов.\r\rФайл: a.bin\r\rПозиция данных в файле, начиная с 0: 300\r\r"
            "Данные в ЭВМ: 1  Данные в ВЕЛМОР: 255");
}

TEST(UploadText, SegmentsAndMismatchText) {
  EXPECT_EQ(SegmentCount(0), 0u);
  EXPECT_EQ(SegmentCount(460), 2u);
  EXPECT_EQ(SegmentCount(461), 3u);
  const uint8_t a[3] = {0x01, 0xAB, 0xFF}, b[2] = {0x01, 0x00};
  EXPECT_EQ(UploadMismatchText(a, 3, b, 2), "Ошибка в загруженном файле.\rОриг=01 AB FF \rФайл=01 00 \r");
  std::vector<uint8_t> many(230, 0xEE);
  std::string ee;
  for (int i = 0; i < 25; ++i) ee += "EE ";
  EXPECT_EQ(UploadMismatchText(many.data(), many.size(), many.data(), many.size()),
            "Ошибка в загруженном файле.\rОриг=" + ee + "\rФайл=" + ee + "\r");
}

TEST(ResetButton, FleesSoThePointerEndsOnTheRim) {
  // 167 x 167 picture at (100, 100) in a 400 x 400 client area; r = 83.
  EXPECT_EQ(FleeFromPointer({100, 100}, 167, 167, 0, 0, 400, 400), (TPlace{100, 100}));     // outside the circle
  EXPECT_EQ(FleeFromPointer({100, 100}, 167, 167, 83, 40, 400, 400), (TPlace{100, 140}));   // 43 above centre
  EXPECT_EQ(FleeFromPointer({100, 100}, 167, 167, 123, 83, 400, 400), (TPlace{57, 100}));   // 40 right of centre
  EXPECT_EQ(FleeFromPointer({100, 100}, 167, 167, 83, 83, 400, 400), (TPlace{183, 100}));   // centre: right by r
  EXPECT_EQ(FleeFromPointer({240, 100}, 167, 167, 43, 83, 400, 400), (TPlace{66, 100}));    // past the right edge
  EXPECT_EQ(FleeFromPointer({0, 100}, 167, 167, 123, 83, 400, 400), (TPlace{167, 100}));    // past the left edge
  EXPECT_EQ(FleeFromPointer({100, 0}, 167, 167, 83, 123, 400, 400), (TPlace{100, 167}));    // past the top
}

TEST(ResetStatus, StaysFiftyTicksThenLosesACharacterATick) {
  TStatusCountdown countdown;
  countdown.Start(ResetStatusText({127, 0, 0, 2}));
  EXPECT_EQ(countdown.Text(), "Выдана команда перезагрузки в контроллер 127.0.0.2");
  const size_t length = Utf8Length(countdown.Text());
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(countdown.Tick());
  EXPECT_EQ(Utf8Length(countdown.Text()), length);
  ASSERT_TRUE(countdown.Tick());
  EXPECT_EQ(countdown.Text(), "Выдана команда перезагрузки в контроллер 127.0.0.");
  int ticks = 1;
  while (countdown.Tick()) ++ticks;
  EXPECT_EQ(ticks, int(length) - 1);
  EXPECT_EQ(countdown.Text(), "");
  EXPECT_FALSE(countdown.Running());
}

}  // namespace
}  // namespace vlm
