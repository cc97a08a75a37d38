// The file exchange service against the fake disk: listing, navigation, copy, compare, delete.
#include "ServiceTestUtil.h"
#include "services/FileExchange.h"
#include "services/FileTime.h"
#include "services/FileView.h"

namespace vlm::test {
namespace {

struct FileExchange : TServiceTest {
  TFileExchange files{link, observer};
  void SetUp() override {
    TServiceTest::SetUp();
    files.PcDir = pc;
    disk.Add("C:\\", {"AUTOEXEC.BAT", 0x20, 0x5A8B6000, "@echo off\r\n"});
    disk.Add("C:\\", {"SUB", 0x10});
    disk.Add("C:\\SUB\\", {"INNER.TXT", 0x20, 0x5A8B6000, "inner"});
  }
  std::vector<TFileInfo> Listed(const std::string& name) {
    for (const auto& item : files.Items())
      if (item.Name == name) return {item};
    ADD_FAILURE() << name << " not listed";
    return {};
  }
  std::string Names() const {
    std::string s;
    for (const auto& item : files.Items()) s += item.Name + " ";
    return s;
  }
};

TEST_F(FileExchange, BlockListingHidesDotAndLeadsUpByDotDot) {
  files.ChangeControllerDir("C:\\");
  EXPECT_EQ(Names(), "SUB autoexec.bat ");
  EXPECT_TRUE(observer.Stated("Файлов: 2, байтов: 11"));
  EXPECT_EQ(files.Enter(Listed("SUB")[0]), "..");
  EXPECT_EQ(files.ControllerPath, "C:\\SUB\\");
  EXPECT_EQ(Names(), ".. inner.txt ");
  EXPECT_EQ(files.Enter(Listed("..")[0]), "SUB");
  EXPECT_EQ(files.ControllerPath, "C:\\");
  EXPECT_EQ(disk.Count(0x94), 0u);
  EXPECT_EQ(Bad(), 0u);
}

// A link that cannot open is said as such, in the listing and the copy alike, not as an empty folder.
TEST_F(FileExchange, ALinkThatCannotOpenSaysWhy) {
  link.SetTransportFactory(MakeDefaultTransport);
  link.Settings.LinkMode = 9;
  files.ReadControllerDir();
  EXPECT_TRUE(files.Items().empty());
  const std::string why = "Не удалось открыть связь: неизвестный режим связи LinkMode=9 (0 — COM-порт, 1 — UDP)";
  EXPECT_EQ(observer.states.back(), why);
  TFileInfo item;
  item.Name = "AUTOEXEC.BAT";
  EXPECT_FALSE(files.CopyToPC({item}));
  EXPECT_EQ(observer.states.back(), why);
}

TEST_F(FileExchange, FailingBlockListingFallsBackToSingleEntries) {
  disk.blockListing = false;
  files.ChangeControllerDir("C:\\SUB\\");
  EXPECT_EQ(Names(), ".. inner.txt ");
  // One failed block request, then first, next, next and the end counted as failures until the
  // attempts are used up.
  EXPECT_EQ(disk.Count(0xA5), 1u);
  EXPECT_EQ(disk.Count(0x94), 3u + 3u);
  EXPECT_EQ(Bad(), 1u + 3u);
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(FileExchange, BlockListingOfManyEntriesComesInSeveralBlocks) {
  for (int i = 0; i < 200; ++i) disk.Add("C:\\", {"F" + std::to_string(i) + ".DAT", 0x20, 0, std::string(size_t(i), 'x')});
  disk.entriesPerBlock = 7;
  files.ReadControllerDir();
  EXPECT_EQ(files.Items().size(), 202u);
  EXPECT_EQ(disk.Count(0xA5), (202u + 6) / 7);
  EXPECT_TRUE(observer.Stated("Файлов: 202, байтов: " + std::to_string(199 * 200 / 2 + 11)));
}

TEST_F(FileExchange, CopyBringsFilesWithTheirTimesOnLongReads) {
  const std::string big = Pattern(5000, 1);
  disk.Add("C:\\", {"BIG.BIN", 0x20, 0x5A8B6000 | 3 << 11 | 7, big});
  files.ReadControllerDir();
  ASSERT_TRUE(files.CopyToPC({Listed("autoexec.bat")[0], Listed("big.bin")[0]}));
  EXPECT_EQ(ReadFile(pc / "big.bin"), big);
  EXPECT_EQ(ReadFile(pc / "autoexec.bat"), "@echo off\r\n");
  EXPECT_EQ(FileDosTime(pc / "big.bin"), 0x5A8B6000u | 3 << 11 | 7 << 0);
  EXPECT_EQ(disk.Count(0x95), 0u);
  EXPECT_EQ(disk.Count(0xA4), 1u + 4u);
  EXPECT_EQ(observer.deselected, (std::vector<std::string>{"autoexec.bat", "big.bin"}));
  EXPECT_EQ(observer.states.back().rfind("Копирование big.bin завершено (файлов: 2, байтов: 5011, время: ", 0), 0u);
  EXPECT_FALSE(fs::exists(pc / "big.bin.vlmpart"));
}

TEST_F(FileExchange, FailedFirstLongReadMakesTheWholeOperationUseShortReads) {
  disk.longReads = false;
  disk.Add("C:\\", {"TWO.BIN", 0x20, 0, Pattern(500, 2)});
  files.ReadControllerDir();
  ASSERT_TRUE(files.CopyToPC({Listed("autoexec.bat")[0], Listed("two.bin")[0]}));
  EXPECT_EQ(ReadFile(pc / "two.bin"), Pattern(500, 2));
  EXPECT_EQ(disk.Count(0xA4), 3u);  // the attempts of the first block, then never again
  EXPECT_GE(disk.Count(0x95), 1u + 3u);
  EXPECT_TRUE(prompt.errors.empty());  // a fallback that works is no error
}

TEST_F(FileExchange, SystemFileRefusedBeforeAnyRead) {
  disk.Add("C:\\", {"IO.SYS", 0x27, 0, "system"});
  files.ReadControllerDir();
  disk.requests.clear();
  observer.points.clear();
  EXPECT_FALSE(files.CopyToPC({Listed("io.sys")[0], Listed("autoexec.bat")[0]}));
  EXPECT_TRUE(disk.requests.empty());
  EXPECT_EQ(observer.states.back(), "Копирование io.sys отменено: системные файлы не копируются.");
  EXPECT_EQ(observer.deselected, std::vector<std::string>{"io.sys"});
  EXPECT_EQ(observer.points, std::vector<TPoint>{TPoint::Bad});
  EXPECT_FALSE(fs::exists(pc / "autoexec.bat"));
}

TEST_F(FileExchange, DirectoryIsSkippedAndTheFollowingFilesCopy) {
  files.ReadControllerDir();
  EXPECT_TRUE(files.CopyToPC({Listed("SUB")[0], Listed("autoexec.bat")[0]}));
  EXPECT_TRUE(observer.Stated("Копирование SUB отменено: копирование каталогов не поддерживается."));
  EXPECT_EQ(ReadFile(pc / "autoexec.bat"), "@echo off\r\n");
  EXPECT_FALSE(fs::exists(pc / "SUB"));
}

TEST_F(FileExchange, ZeroLengthFileIsCreatedWithTheControllersTimeWithoutReading) {
  disk.Add("C:\\", {"EMPTY.DAT", 0x20, 0x4B2A5C21, ""});
  files.ReadControllerDir();
  disk.requests.clear();
  ASSERT_TRUE(files.CopyToPC(Listed("empty.dat")));
  ASSERT_TRUE(fs::exists(pc / "empty.dat"));
  EXPECT_EQ(fs::file_size(pc / "empty.dat"), 0u);
  EXPECT_EQ(FileDosTime(pc / "empty.dat"), 0x4B2A5C21u);
  EXPECT_EQ(disk.Count(0x95) + disk.Count(0xA4), 0u);
  EXPECT_EQ(disk.Count(0x94), 2u);  // the search, and the one that confirms it after the blocks
}

TEST_F(FileExchange, EmptyAnswersBeforeTheEndFailTheCopyAndKeepTheOldFile) {
  disk.Add("C:\\", {"HOLE.BIN", 0x20, 0, Pattern(3000, 3)});
  disk.emptyAt = {1420};
  WriteFile(pc / "hole.bin", "previous copy");
  files.ReadControllerDir();
  EXPECT_FALSE(files.CopyToPC(Listed("hole.bin")));
  EXPECT_EQ(observer.states.back(), "Копирование hole.bin отменено из-за ошибки при чтении. "
                                    "Ответы контроллера искажены или не соответствуют запросам.");
  // the good first block, the last one sent beside it, then the bounded empty answers
  EXPECT_EQ(disk.Count(0xA4), 1u + 1u + 3u);
  EXPECT_EQ(ReadFile(pc / "hole.bin"), "previous copy");
  EXPECT_FALSE(fs::exists(pc / "hole.bin.vlmpart"));
}

TEST_F(FileExchange, StopLeavesNoTruncatedFileAndEndsTheOperation) {
  disk.Add("C:\\", {"LONG.BIN", 0x20, 0, Pattern(20000, 4)});
  files.ReadControllerDir();
  observer.onPump = [&] { files.Stop.Requested = true; };
  EXPECT_FALSE(files.CopyToPC({Listed("long.bin")[0], Listed("autoexec.bat")[0]}));
  EXPECT_EQ(observer.states.back(), "Копирование long.bin отменено пользователем.");
  EXPECT_FALSE(fs::exists(pc / "long.bin"));
  EXPECT_FALSE(fs::exists(pc / "long.bin.vlmpart"));
  EXPECT_FALSE(fs::exists(pc / "autoexec.bat"));
  EXPECT_EQ(observer.points.back(), TPoint::Bad);
}

TEST_F(FileExchange, NothingSelectedAndMissingFile) {
  EXPECT_FALSE(files.CopyToPC({}));
  EXPECT_EQ(observer.states.back(), "Перед нажатием кнопки выберите файл(ы) на правой панели.");
  EXPECT_FALSE(files.CopyToPC({{"gone.txt", 0x20, 1, 0}}));
  EXPECT_EQ(observer.states.back(), "Копирование gone.txt отменено: файл не найден.");
}

TEST_F(FileExchange, HostileNamesAreReportedAndSkippedTheRestCopied) {
  for (const char* name : {"..\\..\\x", "c:x", "con", "abc\\def.txt"}) disk.Add("C:\\", {name, 0x20, 0, "evil"});
  files.ReadControllerDir();
  std::vector<TFileInfo> all;
  for (const auto& item : files.Items())
    if (!item.IsDirectory()) all.push_back(item);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_FALSE(files.CopyToPC(all));
  EXPECT_EQ(ReadFile(pc / "autoexec.bat"), "@echo off\r\n");
  size_t onPc = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) onPc += entry.is_regular_file();
  EXPECT_EQ(onPc, 1u);
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "Файлы с именами, недопустимыми на ЭВМ, не скопированы:\r..\\..\\x\rabc\\def.txt\rc:x\rcon");
}

TEST_F(FileExchange, CompareEqualDifferentAndOfOtherLength) {
  const std::string data = Pattern(1000, 5);
  disk.Add("C:\\", {"DATA.BIN", 0x20, 0, data});
  files.ReadControllerDir();
  WriteFile(pc / "data.bin", data);
  EXPECT_TRUE(files.Compare(Listed("data.bin")));
  EXPECT_EQ(observer.states.back(), "Сравнение data.bin завершено успешно.");
  EXPECT_EQ(observer.deselected, std::vector<std::string>{"data.bin"});
  EXPECT_EQ(disk.Count(0xA4), 1u);

  std::string changed = data;
  changed[700] = char(uint8_t(data[700]) ^ 0xFF);
  WriteFile(pc / "data.bin", changed);
  EXPECT_FALSE(files.Compare(Listed("data.bin")));
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "Ошибка при сравнении файлов.\r\rФайл: data.bin\r\rПозиция данных в файле, начиная с 0: 700"
                              "\r\rДанные в ЭВМ: " + std::to_string(uint8_t(changed[700])) +
                              "  Данные в ВЕЛМОР: " + std::to_string(uint8_t(data[700])));

  WriteFile(pc / "data.bin", data + "tail");
  EXPECT_FALSE(files.Compare(Listed("data.bin")));
  EXPECT_EQ(prompt.errors.back(), "Ошибка при сравнении файлов.\r\rФайл: data.bin\r\rРазмер файла в ЭВМ: 1004  в ВЕЛМОР: 1000");
  WriteFile(pc / "data.bin", data.substr(0, 999));
  EXPECT_FALSE(files.Compare(Listed("data.bin")));
  EXPECT_EQ(prompt.errors.back(), "Ошибка при сравнении файлов.\r\rФайл: data.bin\r\rРазмер файла в ЭВМ: 999  в ВЕЛМОР: 1000");
  fs::remove(pc / "data.bin");
  EXPECT_FALSE(files.Compare(Listed("data.bin")));
  EXPECT_EQ(prompt.errors.back().rfind("Ошибка при сравнении файлов.\r\rФайл: data.bin\r\rНе удаётся открыть файл ", 0), 0u);
}

TEST_F(FileExchange, DeleteAsksAndReReadsTheListing) {
  files.ReadControllerDir();
  prompt.answers = {TAnswer::No};
  EXPECT_TRUE(files.Delete(Listed("autoexec.bat")[0]));
  EXPECT_EQ(prompt.questions, std::vector<std::string>{"autoexec.bat\r\rВы действительно хотите удалить файл?"});
  EXPECT_EQ(disk.Count(0x98), 0u);
  EXPECT_TRUE(files.Delete(Listed("autoexec.bat")[0]));
  EXPECT_EQ(disk.Count(0x98), 1u);
  EXPECT_TRUE(observer.Stated("Файл autoexec.bat удалён."));
  EXPECT_EQ(Names(), "SUB ");
  EXPECT_FALSE(files.Delete(Listed("SUB")[0]));  // directories are not deleted, nor asked about
  EXPECT_EQ(prompt.questions.size(), 2u);
}

TEST_F(FileExchange, ViewerReadsThroughTheTempFileAndConverts) {
  disk.Add("C:\\", {"NOTE.TXT", 0x20, 0, std::string(300, 'a') + "\x8F\xE0\xA8\xA2\xA5\xE2"});
  std::string text;
  ASSERT_TRUE(ReadFileForView(link, observer, "note.txt", text));
  EXPECT_EQ(text, std::string(300, 'a') + "Привет");
  EXPECT_EQ(ReadFile(home / "Bak" / "tempfile.bak"), std::string(300, 'a') + "\x8F\xE0\xA8\xA2\xA5\xE2");
  EXPECT_EQ(disk.Count(0xA4), 1u);
  EXPECT_FALSE(ReadFileForView(link, observer, "none.txt", text));
  EXPECT_EQ(prompt.errors.back(), "Ошибка поиска файла.\r\rФайл: none.txt\r\r2 - Файл не найден.\rПопробуйте повторить загрузку.");
}

}  // namespace
}  // namespace vlm::test
