// Upload with its read-back check, autoexec.bat both ways, and the reset request.
#include "ServiceTestUtil.h"
#include "services/Autoexec.h"
#include "services/Reset.h"
#include "services/Upload.h"

namespace vlm::test {
namespace {

struct Upload : TServiceTest {
  TUpload upload{link, observer};
  void SetUp() override {
    TServiceTest::SetUp();
    upload.SettleMs = 0;
    disk.Add("C:\\", {"SUB", 0x10});
    disk.cwd = "C:\\SUB\\";  // left there by the file exchange
  }
  std::vector<size_t> WrittenBlocks() const {
    std::vector<size_t> sizes;
    for (const auto& r : disk.requests)
      if (r[1] == 0x96) sizes.push_back(r[23]);
    return sizes;
  }
};

TEST_F(Upload, SegmentsOf230AreWrittenIntoTheRootAndVerified) {
  WriteFile(pc / "prog.exe", Pattern(461, 6));
  ASSERT_TRUE(upload.Load(pc / "prog.exe"));
  EXPECT_EQ(WrittenBlocks(), (std::vector<size_t>{230, 230, 1}));
  EXPECT_EQ(disk.Count(0xA4), 1u);  // read back whole, in one long block
  ASSERT_TRUE(disk.Find("C:\\", "prog.exe"));
  EXPECT_EQ(disk.Find("C:\\", "prog.exe")->data, Pattern(461, 6));
  EXPECT_EQ(observer.logs, (std::vector<std::string>{
                               "Открыт файл " + (pc / "prog.exe").string(), "Размер файла: 461",
                               "Количество сегментов: 3", "Открыт порт связи.", "Выход в корневой каталог.",
                               "Загрузка файла...", "Загружено байтов: 461", "Проверка загруженного файла...",
                               "Проверка завершена успешно."}));
  EXPECT_EQ(observer.progressMax, 3u);

  disk.requests.clear();
  WriteFile(pc / "prog.exe", Pattern(460, 7));
  ASSERT_TRUE(upload.Load(pc / "prog.exe"));
  EXPECT_EQ(WrittenBlocks(), (std::vector<size_t>{230, 230}));
}

// A network that delivers every read-back answer twice: a copy is never taken for the next
// segment, so a good upload is not reported as damaged.
TEST_F(Upload, CheckTakesNoDuplicatedAnswerForTheNextSegment) {
  wire.device = [this](std::span<const uint8_t> frame) {
    auto answer = disk.Answer(frame);
    if (frame[1] == 0xA4) wire.ahead.push_back(answer);
    return answer;
  };
  WriteFile(pc / "dup.bin", Pattern(5000, 9));
  ASSERT_TRUE(upload.Load(pc / "dup.bin"));
  EXPECT_EQ(observer.logs.back(), "Проверка завершена успешно.");
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(Upload, ZeroLengthFileIsCreatedAndReportsSuccess) {
  disk.Add("C:\\", {"EMPTY.DAT", 0x20, 0, "old contents"});
  WriteFile(pc / "empty.dat", "");
  ASSERT_TRUE(upload.Load(pc / "empty.dat"));
  EXPECT_EQ(observer.logs.back(), "Проверка завершена успешно.");
  EXPECT_EQ(WrittenBlocks(), std::vector<size_t>{0});
  EXPECT_EQ(disk.Count(0x95), 0u);
  EXPECT_EQ(disk.Find("C:\\", "empty.dat")->data, "");
}

TEST_F(Upload, LongNameIsWrittenUnderTwelveCharacters) {
  WriteFile(pc / "abcdefgh.txtX", "twelve");
  ASSERT_TRUE(upload.Load(pc / "abcdefgh.txtX"));
  ASSERT_TRUE(disk.Find("C:\\", "abcdefgh.txt"));
  EXPECT_EQ(disk.Find("C:\\", "abcdefgh.txt")->data, "twelve");
}

TEST_F(Upload, SegmentThatComesBackChangedIsReportedWithItsPosition) {
  disk.corruptWrites = true;
  const std::string data = Pattern(300, 8);
  WriteFile(pc / "bad.bin", data);
  EXPECT_FALSE(upload.Load(pc / "bad.bin"));
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0].rfind("Ошибка в загруженном файле.\rОриг=", 0), 0u);
  EXPECT_EQ(observer.logs[observer.logs.size() - 2], "Ошибка проверки сегмента загруженного файла.");
  EXPECT_EQ(observer.logs.back(), " Позиция сегмента: 0");
}

TEST_F(Upload, RefusedWriteStopsWithItsMessage) {
  disk.refuseWrites = true;
  WriteFile(pc / "x.bin", "abc");
  EXPECT_FALSE(upload.Load(pc / "x.bin"));
  EXPECT_EQ(prompt.errors, (std::vector<std::string>{"Ошибка записи файла. 5 - Ошибка доступа.",
                                                     "Ошибка записи. Повторите загрузку."}));
  EXPECT_EQ(observer.logs.back(), "Ошибка записи.");
}

// A link that cannot open (here: a link mode the link does not know) is said with its reason,
// and the log does not claim the port was opened.
TEST_F(Upload, ALinkThatCannotOpenSaysWhy) {
  link.Settings.LinkMode = 9;
  WriteFile(pc / "x.bin", "abc");
  EXPECT_FALSE(upload.Load(pc / "x.bin"));
  const std::string why = "Не удалось открыть связь: неизвестный режим связи LinkMode=9 (0 — COM-порт, 1 — UDP)";
  EXPECT_EQ(prompt.errors, std::vector<std::string>{why});
  EXPECT_EQ(observer.logs.back(), why);
}

struct Autoexec : TServiceTest {
  TAutoexec autoexec{link, observer};
  const std::string dos = "@echo off\r\nrem \x8F\xE0\xA8\xA2\xA5\xE2\r\n";
  void SetUp() override {
    TServiceTest::SetUp();
    disk.Add("C:\\", {"AUTOEXEC.BAT", 0x20, 0x5A8B6000 | 5 << 5 | 4, dos});
    disk.Add("C:\\", {"SUB", 0x10});
    disk.cwd = "C:\\SUB\\";
  }
};

TEST_F(Autoexec, ReadGoesThroughTheBakFileAndWriteLandsInTheRoot) {
  TAutoexecFile file;
  ASSERT_TRUE(autoexec.Read(file));
  EXPECT_EQ(file.Bytes, dos);
  EXPECT_EQ(AutoexecToEditor(file.Bytes), "@echo off\nrem Привет\n");
  EXPECT_EQ(file.Size, dos.size());
  EXPECT_EQ(file.Time, "11.04.2025 12:05:08");
  EXPECT_EQ(ReadFile(home / "Bak" / "autoexec.bak"), dos);

  disk.cwd = "C:\\SUB\\";
  prompt.answers = {TAnswer::No};
  EXPECT_FALSE(autoexec.WriteAndAskReset(EditorToAutoexec("@echo on\nrem Пока\n")));
  EXPECT_EQ(prompt.questions, std::vector<std::string>{"Файл загружен.\r\rПерезапустить контроллер?"});
  EXPECT_EQ(disk.Find("C:\\", "autoexec.bat")->data, "@echo on\r\nrem \x8F\xAE\xAA\xA0\r\n");
  EXPECT_EQ(ReadFile(home / "Bak" / "autoexec.bat"), "@echo on\r\nrem \x8F\xAE\xAA\xA0\r\n");
  EXPECT_FALSE(disk.Find("C:\\SUB\\", "autoexec.bat"));
  EXPECT_TRUE(autoexec.WriteAndAskReset("x"));
}

TEST_F(Autoexec, MissingFileAndFailedReadHaveTheirMessages) {
  disk.dirs["C:\\"].erase(disk.dirs["C:\\"].begin());
  TAutoexecFile file;
  EXPECT_FALSE(autoexec.Read(file));
  EXPECT_EQ(prompt.errors.back(), "Ошибка поиска файла autoexec.bat.\r\r2 - Файл не найден.\rПопробуйте повторить загрузку.");
  disk.Add("C:\\", {"AUTOEXEC.BAT", 0x20, 0, Pattern(500, 9)});
  disk.emptyAt = {0};
  EXPECT_FALSE(autoexec.Read(file));
  EXPECT_EQ(prompt.errors.back(), "Ошибка чтения.\r\rОтветы контроллера искажены или не соответствуют запросам.\r"
                                  "Попробуйте повторить загрузку.");
}

TEST_F(Autoexec, ResetIsOneFrameWithoutAnswer) {
  EXPECT_TRUE(SendReset(link));
  ASSERT_EQ(disk.requests.size(), 1u);
  EXPECT_EQ(disk.requests[0], (std::vector<uint8_t>{1, 0x88, 0x88}));
  EXPECT_EQ(disk.resets, 1);
  EXPECT_EQ(opens, closes);
}

}  // namespace
}  // namespace vlm::test
