// Frames of the service requests and the reading of their answers within the received bytes.
#include <gtest/gtest.h>

#include "FakeTransport.h"
#include "common/Prompt.h"
#include "link/ServiceRequests.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
uint8_t Sum(const Bytes& f) {
  uint8_t s = 0;
  for (size_t i = 1; i < f.size(); ++i) s = uint8_t(s + f[i]);
  return s;
}
Bytes WithSum(Bytes f) { f.push_back(Sum(f)); return f; }

struct Requests : test::TFakeControllerLink {
};

TEST(DosErrorText, KnownCodesAndTheRest) {
  EXPECT_EQ(DosErrorText(2), "2 - Файл не найден.");
  EXPECT_EQ(DosErrorText(3), "3 - Путь не найден.");
  EXPECT_EQ(DosErrorText(4), "4 - Много открытых файлов.");
  EXPECT_EQ(DosErrorText(5), "5 - Ошибка доступа.");
  EXPECT_EQ(DosErrorText(8), "8 - Недостаточно памяти.");
  EXPECT_EQ(DosErrorText(18), "18 - Конец списка файлов.");
  EXPECT_EQ(DosErrorText(21), "Код ошибки: DosErrCode=21");
}

TEST_F(Requests, FileRequestFramesCarryTheNameFieldsAndNumbers) {
  link.File.FileName = "c:\\vlm.cfg";
  link.File.FileOffset = 0x01020304;
  link.File.FileSize = 0x0A0B0C0D;
  link.File.BlockSize = 230;
  controller.files["c:\\vlm.cfg"] = Bytes(300, 1);
  const Bytes name13 = Concat({{10}, Text("c:\\vlm.cfg"), {0, 0}});
  Bytes block(230);
  // 230 bytes are owed at that offset and the controller has none: its answer is not this
  // block's, and the read fails rather than leaving a hole.
  EXPECT_FALSE(ReadFileBlock(link, block));
  EXPECT_EQ(wire.sent.back(), WithSum(Concat({{23, 0x95, 4, 3, 2, 1, 0x0D, 0x0C, 0x0B, 0x0A, 230}, name13})));
  EXPECT_EQ(wire.expected.back(), 236u);

  link.File.BlockSize = 1420;
  link.File.FileOffset = 0;
  link.File.FileSize = 300;
  ASSERT_TRUE(ReadFileBlockLong(link, block));
  EXPECT_EQ(wire.sent.back(),
            WithSum(Concat({{27, 0xA4, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x01, 0, 0, 0x8C, 0x05}, name13})));
  EXPECT_EQ(wire.expected.back(), 29u);
  EXPECT_EQ(link.File.BlockGot, 230);  // as much as the destination holds

  link.File.FileSize = 300;
  link.File.BlockSize = 500;  // more than one frame carries: cut to 230
  ASSERT_TRUE(WriteFileBlock(link, Bytes(300, 0xAA)));
  EXPECT_EQ(link.File.BlockSize, 230);
  EXPECT_EQ(wire.sent.back().size(), 23u + 230 + 2);
  EXPECT_EQ(Bytes(wire.sent.back().begin(), wire.sent.back().begin() + 25),
            Concat({{253, 0x96}, name13, {0, 0, 0, 0, 0x2C, 0x01, 0, 0, 230, 0xAA}}));

  ASSERT_TRUE(DeleteRemoteFile(link));
  EXPECT_EQ(wire.sent.back(), WithSum(Concat({{16, 0x98, 0, 0}, name13})));
  EXPECT_EQ(wire.expected.back(), 5u);

  EXPECT_FALSE(ChangeDir(link, "c:\\bin"));
  EXPECT_EQ(wire.sent.back(), WithSum(Concat({{10, 0x97, 0, 0, 6}, Text("c:\\bin")})));
}

TEST_F(Requests, SearchAndListingFrames) {
  link.File.FileName = "vlm.cfg";
  controller.files["vlm.cfg"] = Bytes(1234);
  TDirEntry entry;
  ASSERT_TRUE(FindFile(link, true, &entry));
  Bytes find{55, 0x94, 1};
  find.resize(48, 0);
  EXPECT_EQ(wire.sent.back(), WithSum(Concat({find, {7}, Text("vlm.cfg")})));
  EXPECT_EQ(wire.expected.back(), 49u);
  EXPECT_EQ(entry.Size, 1234u);
  EXPECT_EQ(entry.Name, "vlm.cfg");
  EXPECT_EQ(entry.DateTime, 0x5A8B6000u);

  link.File.PathMask = "c:\\*.*";
  std::vector<TDirEntry> entries;
  bool complete = true;
  ASSERT_TRUE(ListDirBlock(link, true, entries, complete));
  EXPECT_EQ(wire.sent.back(), WithSum(Concat({{14, 0xA5, 0, 0, 0, 1, 6}, Text("c:\\*.*"), {0, 0}})));
  EXPECT_FALSE(complete);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].Name, "vlm.cfg");
}

TEST_F(Requests, NamesAreCutTo12CharactersAndSentInTheDosCodePage) {
  link.File.FileName = "абвгдежзийклмн.txt";
  EXPECT_FALSE(DeleteRemoteFile(link));
  const Bytes& f = wire.sent.back();
  EXPECT_EQ(f[4], 12);
  EXPECT_EQ(f[5], 0xA0);   // "а" in code page 866
  EXPECT_EQ(f[16], 0xAB);  // the twelfth letter, "л"
  EXPECT_EQ(f.size(), 18u);
}

TEST_F(Requests, MemoryWritesAndAreaReads) {
  ASSERT_TRUE(WriteMemory(link, 0x1234, 0x0010, Bytes{0xDE, 0xAD}));
  EXPECT_EQ(wire.sent.back(), WithSum({8, 0x81, 0x10, 0x00, 0x34, 0x12, 2, 0xDE, 0xAD}));
  EXPECT_EQ(wire.expected.back(), 8u);
  EXPECT_FALSE(WriteMemory(link, 0, 0, Bytes(250)));  // would not fit the length byte

  wire.answers = {test::Sealed({5, 0xA3, 1, 2, 3, 4, 0})};
  const TMemoryArea areas[] = {{0x10, 0x1234, 3}, {0x20, 0x4000, 1}};
  ASSERT_TRUE(ReadMemoryAreas(link, areas));
  EXPECT_EQ(wire.sent.back(), WithSum({12, 0xA3, 2, 0x10, 0, 0x34, 0x12, 3, 0x20, 0, 0, 0x40, 1}));
  EXPECT_EQ(wire.expected.back(), 7u);  // data + 3: a serial line reads the checksum too
  wire.answers = {Bytes{5, 0xA3, 1, 2, 3}};  // one data byte short
  EXPECT_FALSE(ReadMemoryAreas(link, areas));
}

TEST_F(Requests, DeletingAMissingFileAlwaysSaysSo) {
  link.File.FileName = "nothere.txt";
  EXPECT_FALSE(DeleteRemoteFile(link));
  EXPECT_EQ(prompt.errors, (std::vector<std::string>{"Ошибка удаления файла. \r2 - Файл не найден."}));
  EXPECT_EQ(link.LastDosError, 2);
}

TEST_F(Requests, SearchMessagesOnlyWithShowErrorsAndNeverAtTheEndOfAList) {
  link.File.FileName = "a.txt";
  EXPECT_FALSE(FindFile(link, true));
  EXPECT_TRUE(prompt.errors.empty());
  link.Settings.ShowErrors = true;
  EXPECT_FALSE(FindFile(link, true));
  Bytes end(49);
  end[0] = 47;
  end[1] = 0x94;
  end[3] = 18;
  wire.answers = {test::Sealed(end)};
  link.File.PathMask = "c:\\*.*";
  EXPECT_FALSE(FindMask(link, false));
  EXPECT_EQ(link.LastDosError, 18);
  EXPECT_EQ(prompt.errors, (std::vector<std::string>{"Ошибка поиска файла.\ra.txt\r2 - Файл не найден."}));
}

TEST_F(Requests, BlockReadsAreTriedAttemptsTimesThenReported) {
  link.Settings.Attempts = 4;
  link.File.FileName = "gone.dat";
  link.File.BlockSize = 230;
  Bytes block(230);
  EXPECT_FALSE(ReadFileBlock(link, block));
  EXPECT_EQ(wire.sent.size(), 4u);
  EXPECT_EQ(prompt.errors.back(), "Ошибка чтения файла. \rgone.dat\r2 - Файл не найден.");

  // Silence first, then an answer: one more try is enough.
  controller.files["gone.dat"] = Bytes(10, 3);
  wire.answers = {Bytes{}, Bytes{}};
  EXPECT_TRUE(ReadFileBlock(link, block));
  EXPECT_EQ(wire.sent.size(), 7u);
  EXPECT_EQ(link.File.BlockGot, 10);

  wire.answers = {Bytes{}, Bytes{}, Bytes{}, Bytes{}};
  EXPECT_FALSE(ReadFileBlock(link, block));
  EXPECT_EQ(prompt.errors.back(), "Ошибка чтения файла. \rgone.dat");
}

TEST_F(Requests, AnswersShorterThanTheirFieldsOrClaimingMoreThanTheyCarryFail) {
  // The fields are read within the received bytes even when sums are not checked.
  link.Settings.CheckAnswerSum = false;
  link.Settings.Attempts = 1;
  link.File.FileName = "f";
  link.File.BlockSize = 230;
  Bytes block(230);
  const Bytes shortAnswers[] = {
      {3, 0x95, 0},                          // error code cut off
      {3, 0x95, 0, 0},                       // count missing
      WithSum({14, 0x95, 0, 0, 200, 1, 2}),  // claims 200 bytes, carries 3
  };
  for (const auto& answer : shortAnswers) {
    wire.answers = {answer};
    EXPECT_FALSE(ReadFileBlock(link, block));
    EXPECT_EQ(link.LastFailure, TLinkFailure::BadAnswer);
  }
  EXPECT_EQ(prompt.errors.size(), 3u);

  wire.answers = {Bytes{3, 0x98, 0}};
  EXPECT_FALSE(DeleteRemoteFile(link));
  EXPECT_EQ(prompt.errors.back(), "Ошибка удаления файла. \rНеполный ответ контроллера.");
  wire.answers = {Bytes{3, 0x96}};
  EXPECT_FALSE(WriteFileBlock(link, Bytes(1)));
  EXPECT_EQ(prompt.errors.back(), "Ошибка записи файла. Неполный ответ контроллера.");

  // An answer to another request is passed over; the controller's own answer decides.
  link.File.BlockSize = 10;
  wire.answers = {WithSum({14, 0x94, 0, 0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})};
  EXPECT_FALSE(ReadFileBlock(link, block));
  EXPECT_EQ(link.LastFailure, TLinkFailure::DosError);

  // A search entry whose name runs past the answer.
  Bytes find(40);
  find[1] = 0x94;
  find[35] = 12;
  wire.answers = {find};
  EXPECT_FALSE(FindFile(link, true));
  // A listing block with more entries than it holds.
  Bytes list{0, 0xA5, 0, 0, 1, 0, 0, 3, 0x20, 0, 0, 0, 0, 5, 0, 0, 0, 1, 'a'};
  wire.answers = {list};
  std::vector<TDirEntry> entries;
  bool complete = false;
  EXPECT_FALSE(ListDirBlock(link, true, entries, complete));
  EXPECT_TRUE(entries.empty());
}

}  // namespace
}  // namespace vlm
