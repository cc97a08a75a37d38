// Text files of a type-0 reader: the recording header, the overwrite question, appending, and
// the saved display.
#include "BoxReaderFixture.h"
#include "common/TextCodec.h"

namespace vlm::test {
namespace {

using Recording = BoxReaderTest;

const std::string kHeader =
    "Файл данных программы Конфигуратор ВЕЛМОР Версия: 4.1.9 Velmor SCADA\r\n" + std::string(99, '-') +
    "\r\n Чёрный Ящик №1 COM2 МЭК\r\n" + std::string(99, '-') +
    "\r\n Формат записей:\r\n"
    "Время ЭВМ|tТики контроллера,мс|dДельта,мc|pПротокол|eОшибки|LДлина|№Ящика|<>Направление|Данные(hex)\r\n"
    "Коды ошибок: 0=нет 1=бит(ЧМ) 2=четность(ЧМ) 3=КС(ФМ) 4=длина(ЛИСНА) 5=ош.КС ДОЗУ 6=БК<>20h 7=ош.CRC\r\n" +
    std::string(99, '-') + "\r\n";

TEST_F(Recording, NewFileGetsTheHeaderInCp1251AndRecordsFromBuffer0) {
  memory.Put(kDescriptorSegment, 0, TBoxLayout::Descriptor(0, 0, Utf8ToCp1251("COM2 МЭК")));
  memory.Put(kDescriptorSegment, 32, {0x00, 0x20});
  auto reader = std::make_unique<TBoxDriver>(context, DescriptorInMemory(), kDescriptorSegment, 0);
  EXPECT_EQ(reader->NodeText(), "№1 COM2 МЭК");
  context.view.showText = false;
  PutRecord(0, 7, 35, 0, {0x01});
  SetWriteIndex(1);
  reader->StartRecording();
  ASSERT_TRUE(reader->Recording());
  EXPECT_EQ(events.recordingChanges, 1);
  reader->Poll();  // not current, but recording
  reader->StopRecording();
  EXPECT_EQ(events.recordingChanges, 2);
  EXPECT_EQ(ReadFile(folder / "BlackBox01.txt"),
            Utf8ToCp1251(kHeader + "2024.01.02 03:04:05.678|t     7|d   7|p035|e0|L  1|№1|-->|01 \r\n"));
  EXPECT_TRUE(reader->Lines().empty()) << "display lines only for the current reader";
}

TEST_F(Recording, ExistingFileIsReplacedKeptOrLeftAlone) {
  auto reader = MakeReader();
  reader->FileName = "old.txt";
  const auto path = folder / "old.txt";
  std::ofstream(path, std::ios::binary) << "old\r\n";

  prompt.answers = {TAnswer::Cancel};
  reader->StartRecording();
  EXPECT_FALSE(reader->Recording());
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0], "Файл " + path.string() +
                                     " уже существует. Удалить?\r\rYes - удалить старые данные\r"
                                     "No  - оставить старые данные и добавить новые");
  EXPECT_EQ(ReadFile(path), "old\r\n");

  prompt.answers = {TAnswer::No};
  reader->StartRecording();
  ASSERT_TRUE(reader->Recording());
  reader->StopRecording();
  EXPECT_EQ(ReadFile(path), "old\r\n" + Utf8ToCp1251("--------------------- Добавлены записи Чёрного Ящика №1 COM2 "
                                                     "---------------------\r\n"));

  prompt.answers = {TAnswer::Yes};
  reader->StartRecording();
  reader->StopRecording();
  EXPECT_EQ(ReadFile(path).substr(0, 10), Utf8ToCp1251("Файл данных программы").substr(0, 10));
}

TEST_F(Recording, NameThatLeavesTheFolderIsKeptInIt) {
  auto reader = MakeReader();
  reader->FileName = "../escape.txt";
  reader->StartRecording();
  reader->StopRecording();
  EXPECT_EQ(reader->RecordingPath().parent_path(), folder);
  EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "escape.txt"));
}

TEST_F(Recording, SaveAllTextWritesTheDisplayWithoutColours) {
  auto reader = MakeReader();
  reader->AddLines("first\r\nsecond", 79);
  ASSERT_TRUE(reader->SaveAllText(folder / "all.txt"));
  EXPECT_EQ(ReadFile(folder / "all.txt"),
            Utf8ToCp1251("Файл данных программы Конфигуратор ВЕЛМОР Версия: 4.1.9 Velmor SCADA\r\n"
                         " Чёрный Ящик №1 COM2\r\n" +
                         std::string(99, '-') + "\r\nfirst\r\nsecond\r\n"));
  EXPECT_FALSE(reader->SaveAllText(folder / "missing" / "all.txt"));
}

}  // namespace
}  // namespace vlm::test
