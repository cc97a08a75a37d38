// Polling at the work loop's pace: quiet spells followed by bursts lose no record on a slow
// link, and records the recorder wrote over before they were read are reported, never skipped
// in silence.
#include "BoxReaderFixture.h"
#include "blackbox/BoxScan.h"
#include "common/TextCodec.h"

namespace vlm::test {
namespace {

using namespace std::chrono_literals;

TEST(PollPacer, ALatePollIsFollowedByOnePollAtOnceNotByTheMissedTicks) {
  const TPollPacer::Clock::time_point start{};
  TPollPacer pacer(20ms, start);
  EXPECT_EQ(pacer.Next(start + 3ms), start + 20ms);
  EXPECT_EQ(pacer.Next(start + 2520ms), start + 2520ms) << "one poll at once";
  EXPECT_EQ(pacer.Next(start + 2524ms), start + 2540ms) << "then the tick again, from there";
}

// Every record the reader delivers, by its number.
struct TDelivered : IBoxObserver {
  std::vector<uint32_t> numbers;
  std::string shown;
  void AnalyzerFeed(TBoxDriver&, const TBoxRecord& record, size_t, const std::string&) override {
    numbers.push_back(TClockedRecorder::Number(record));
  }
  void LinesAdded(TBoxDriver&, std::string_view text, uint8_t) override { (shown += text) += '\n'; }
};

struct Polling : ::testing::TestWithParam<bool> {
  TControllerLink link;
  TBoxMemory memory;
  TFakeClock clock;
  TClockedRecorder recorder{memory, clock};
  TBoxContext context{link};
  TDelivered delivered;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  TBoxList list{context};

  void SetUp() override {
    memory.refuseAreas = !GetParam();
    UseClockedRecorder(link, recorder);
    // A GPRS link: a silence of the whole answer time before a request would cost 2 s.
    link.Settings.WaitTime = 2000;
    context.observer = &delivered;
    context.view.analyzerRunning = true;
    context.view.showText = false;
    context.clock = [] { return TDateTime(45000); };
    context.boxFolder = ::testing::TempDir();
  }
  TBoxDriver& Reader() {
    EXPECT_TRUE(list.Scan());
    TBoxDriver& reader = *list.Readers().at(0);
    context.view.currentBox = &reader;
    return reader;
  }
  void Burst(uint32_t& at, uint32_t gapMs) {
    for (int i = 0; i < 15; ++i, at += gapMs) recorder.due.push_back(at);
  }
};

TEST_P(Polling, QuietSpellsFollowedByBurstsOf15LoseNoRecord) {
  uint32_t at = 0;
  // The first spell outlasts the one failure a controller without batch reads costs (its probe
  // goes unanswered, and the line then stays quiet for the answer time).
  for (const uint32_t quietMs : {2500, 500, 1000, 2000, 5000, 10000, 500, 500}) {
    at += quietMs;
    Burst(at, 40);  // 25 frames a second
    at += quietMs;
    Burst(at, 1);  // all between two polls
  }
  TBoxDriver& reader = Reader();
  RunBoxWork(list, clock, (at + 1000) / 1000.0, [] { return false; });

  std::vector<uint32_t> all(recorder.due.size());
  for (uint32_t k = 0; k < all.size(); ++k) all[k] = k;
  EXPECT_EQ(delivered.numbers, all) << "every record once, in order";
  EXPECT_EQ(reader.Overruns(), 0u);
  EXPECT_EQ(reader.RecordsLost(), 0u);
  EXPECT_EQ(recorder.quiets, GetParam() ? 0u : 1u) << "polls of a line that answers never make it fall quiet";
}

TEST_P(Polling, RecordsWrittenOverBeforeTheyWereReadAreReported) {
  TBoxDriver& reader = Reader();
  reader.FileName = std::string("polling_") + (GetParam() ? "batch" : "single") + ".txt";
  std::filesystem::remove(reader.RecordingPath());
  ASSERT_NO_FATAL_FAILURE(reader.StartRecording());
  ASSERT_TRUE(reader.Recording());
  uint32_t at = 100;
  Burst(at, 1);
  RunBoxWork(list, clock, 3, [] { return false; });
  ASSERT_EQ(delivered.numbers.size(), 15u);

  // Exactly 16 more leave the write index where it was; 20 more move it by 4. Both come while
  // no poll runs (the link is given to something else for a second).
  for (const uint32_t more : {16u, 20u}) {
    const uint64_t overruns = reader.Overruns();
    const size_t before = delivered.numbers.size();
    for (uint32_t i = 0; i < more; ++i) recorder.due.push_back(uint32_t(clock.Ms()) + 10 + i);
    clock.now += 1s;
    RunBoxWork(list, clock, 0.5, [] { return false; });
    EXPECT_EQ(reader.Overruns(), overruns + 1) << more;
    EXPECT_EQ(delivered.numbers.size(), before) << more << ": the ring's records are of no known order";
  }
  EXPECT_NE(delivered.shown.find("Потеря записей: Чёрный Ящик №1 COM1 перезаписал буферы до их чтения"),
            std::string::npos);

  // Reading goes on with what comes next, and is guarded again.
  const size_t before = delivered.numbers.size();
  at = uint32_t(clock.Ms()) + 100;
  Burst(at, 40);
  RunBoxWork(list, clock, 1.5, [] { return false; });
  ASSERT_EQ(delivered.numbers.size(), before + 15);
  EXPECT_EQ(delivered.numbers.back(), recorder.due.size() - 1);
  EXPECT_EQ(reader.Overruns(), 2u);
  reader.StopRecording();
  const std::string file = Cp1251ToUtf8(BoxReaderTest::ReadFile(reader.RecordingPath()));
  std::filesystem::remove(reader.RecordingPath());
  EXPECT_NE(file.find(std::string(21, '-') + " Потеря записей"), std::string::npos) << "the gap is marked in the file";
}

INSTANTIATE_TEST_SUITE_P(BatchAndSingleReads, Polling, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Batch" : "Single"; });

}  // namespace
}  // namespace vlm::test
