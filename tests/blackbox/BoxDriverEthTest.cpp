// Type-1 recorders: status lines, chunked copy at F-prefixed linear addresses, the pcap header,
// the stop at the write index, restarts and wrapped buffers, file names.
#include "BoxReaderFixture.h"
#include "blackbox/BoxDriverEth.h"
#include "common/Numbers.h"

namespace vlm::test {
namespace {

struct EthReader : BoxReaderTest {
  std::string cwd;
  void SetUp() override {
    BoxReaderTest::SetUp();
    for (size_t i = 0; i < memory.linear.size(); ++i) memory.linear[i] = uint8_t(i * 7);
    SetEth(600, false);
  }
  void SetEth(uint32_t writeIndex, bool wrapped, uint32_t size = 4096, uint32_t base = 0x00200000) {
    auto d = TBoxLayout::Descriptor(0, 1, "ETH");
    PutU32(&d[13], base);
    PutU32(&d[17], size);
    PutU32(&d[21], writeIndex);
    d[25] = wrapped;
    memory.Put(kDescriptorSegment, 0, d);
  }
  std::unique_ptr<TBoxDriverEth> MakeEth() {
    auto reader = std::make_unique<TBoxDriverEth>(context, DescriptorInMemory(), kDescriptorSegment, 0);
    reader->FileName = (folder / "capture").string();
    return reader;
  }
  std::string Linear(size_t from, size_t to) {
    return std::string(memory.linear.begin() + long(from), memory.linear.begin() + long(to));
  }
  static std::string Header() {
    return std::string("\xD4\xC3\xB2\xA1\x02\x00\x04\x00\0\0\0\0\0\0\0\0\xFF\xFF\0\0\x01\0\0\0", 24);
  }
  // Polls until the recording stops, at most n times; returns the chunk lengths asked for.
  std::vector<int> Run(TBoxDriverEth& reader, int n = 100) {
    std::vector<int> chunks;
    for (int i = 0; i < n && reader.Recording(); ++i) {
      const size_t before = memory.requests.size();
      reader.Poll();
      for (size_t r = before; r < memory.requests.size(); ++r) chunks.push_back(memory.requests[r][6]);
    }
    return chunks;
  }
};

TEST_F(EthReader, WriteIndex600IsCopiedIn248_248_104) {
  auto reader = MakeEth();
  reader->StartRecording();
  ASSERT_TRUE(reader->Recording());
  EXPECT_FALSE(std::filesystem::exists(folder / "capture.pcap")) << "the capture grows under a temporary name";
  memory.requests.clear();
  EXPECT_EQ(Run(*reader), (std::vector<int>{248, 248, 104}));
  // F-prefixed linear addresses: 0020_0000h + position.
  EXPECT_EQ(memory.requests[1][2], 248);
  EXPECT_EQ(memory.requests[1][4], 0x20);
  EXPECT_EQ(memory.requests[1][5], 0xF0);
  EXPECT_FALSE(reader->Recording());
  EXPECT_EQ(events.recordingChanges, 2);
  const std::string file = ReadFile(folder / "capture.pcap");
  EXPECT_EQ(file.size(), 624u);
  EXPECT_EQ(file, Header() + Linear(0, 600));
  EXPECT_EQ(reader->BytesWritten(), 600);

  // A second start with the write index unchanged: a file of the header alone.
  prompt.answers = {TAnswer::Yes};
  reader->StartRecording();
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0],
            "Файл " + (folder / "capture.pcap").string() + " уже существует. Удалить?\r\rYes - удалить старые данные");
  memory.requests.clear();
  EXPECT_EQ(Run(*reader), std::vector<int>{0});
  EXPECT_EQ(ReadFile(folder / "capture.pcap"), Header());

  // More was recorded since: the next start continues where the last one ended.
  SetEth(700, false);
  reader->StartRecording();
  Run(*reader);
  EXPECT_EQ(ReadFile(folder / "capture.pcap"), Header() + Linear(600, 700));
}

TEST_F(EthReader, WriteIndex0StopsAtOnceWithTheHeaderOnly) {
  SetEth(0, false);
  auto reader = MakeEth();
  reader->StartRecording();
  memory.requests.clear();
  EXPECT_EQ(Run(*reader), std::vector<int>{0});
  EXPECT_EQ(ReadFile(folder / "capture.pcap"), Header());
}

TEST_F(EthReader, NamesWithAnExtensionAreKept) {
  auto reader = MakeEth();
  EXPECT_EQ(reader->CapturePath(), folder / "capture.pcap");
  reader->FileName = (folder / "capture.bin").string();
  EXPECT_EQ(reader->CapturePath(), folder / "capture.bin");
  TBoxDriverEth fresh(context, DescriptorInMemory(), kDescriptorSegment, 0);
  EXPECT_EQ(fresh.FileName, "BlackBox02.pcap");
}

TEST_F(EthReader, FailedChunkIsAskedAgain) {
  auto reader = MakeEth();
  reader->StartRecording();
  memory.failReads = 1;
  reader->Poll();
  EXPECT_EQ(events.points.back(), kPointYellow);
  EXPECT_EQ(reader->ReadPosition(), 0u);
  Run(*reader);
  EXPECT_EQ(ReadFile(folder / "capture.pcap"), Header() + Linear(0, 600));
}

TEST_F(EthReader, WriteIndexBelowTheReadPositionRestartsAtZero) {
  context.view.currentBox = nullptr;
  auto reader = MakeEth();
  reader->StartRecording();
  Run(*reader);
  SetEth(300, false);
  context.view.currentBox = reader.get();
  reader->StartRecording();
  EXPECT_NE(events.shown.find("чтение с начала"), std::string::npos);
  Run(*reader);
  EXPECT_EQ(ReadFile(folder / "capture.pcap"), Header() + Linear(0, 300));
}

TEST_F(EthReader, WrappedBufferIsReadEndPartFirst) {
  SetEth(100, true, 1000);
  auto reader = MakeEth();
  reader->StartRecording();
  EXPECT_EQ(reader->ReadMode(), TBoxDriverEth::kReadEndPart);
  Run(*reader);
  EXPECT_EQ(ReadFile(folder / "capture.pcap"), Header() + Linear(100, 1000) + Linear(0, 100));
}

TEST_F(EthReader, IndexOrSizeOutsideTheBufferIsRefusedAndNothingIsReadThere) {
  struct TCase {
    uint32_t writeIndex, size, base;
    bool wrapped;
    const char* fault;
  };
  for (const TCase& c : {TCase{50000, 1000, 0x00200000, false, "индекс записи 50000 за пределами буфера (1000 байт)"},
                         TCase{50000, 1000, 0x00200000, true, "индекс записи 50000 за пределами буфера (1000 байт)"},
                         TCase{16, 0x200, 0x0FFFFF00, false, "буфер 512 байт по адресу 0FFFFF00h выходит за пределы памяти"}}) {
    SetEth(c.writeIndex, c.wrapped, c.size, c.base);
    auto reader = MakeEth();
    prompt.errors.clear();
    memory.requests.clear();
    reader->StartRecording();
    EXPECT_FALSE(reader->Recording()) << c.fault;
    ASSERT_EQ(prompt.errors.size(), 1u) << c.fault;
    EXPECT_EQ(prompt.errors[0], std::string("Чёрный Ящик №") + std::to_string(reader->Number()) + " ETH: " + c.fault +
                                    ". Запись не начата.");
    Run(*reader);
    for (const auto& request : memory.requests) EXPECT_NE(request[5] & 0xF0, 0xF0) << "a read of the buffer";
    EXPECT_FALSE(std::filesystem::exists(folder / "capture.pcap"));
    EXPECT_FALSE(std::filesystem::exists(folder / "capture.pcap.part"));
  }
}

TEST_F(EthReader, StatusLinesEvery500msWhileCurrentAndIdle) {
  auto reader = MakeEth();
  context.view.currentBox = reader.get();
  reader->Poll();
  EXPECT_EQ(events.shown,
            " \n Размер буфера  = 4096\n Индекс записи  = 600\n Буфер зациклен = False\n");
  reader->Poll();
  EXPECT_EQ(memory.requests.size(), 1u);
  time += 500 / kMsPerDay;
  reader->Poll();
  EXPECT_EQ(memory.requests.size(), 2u);
  EXPECT_EQ(reader->Lines().size(), 8u);
}

}  // namespace
}  // namespace vlm::test
