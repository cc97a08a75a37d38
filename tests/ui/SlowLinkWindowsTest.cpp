// The diagnostics and display windows on a slow line: every answer keeps the window system
// running for a while before it comes (the work timers fire meanwhile). The values are shown, each
// tick sends the same few batched requests, and ticks due during a wait are dropped, not queued.
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "../diag/DiagFake.h"
#include "common/Prompt.h"
#include "diag/DisplayScreen.h"
#include "diag/ui/FormDiag.h"
#include "diag/ui/FormDisplay.h"
#include "link/Velmor_PC.h"
#include "shell/ui/LinkWait.h"
#include "support/ScriptedPrompt.h"

using namespace vlm;

namespace {

struct TSlowCounts {
  int requests = 0;
  int waits = 0;        // waits in progress (more than one would be a tick inside a wait)
  int deepest = 0;
  int pumpsPerWait = 4;
};

// The fake memory behind a line whose every answer takes a few turns of the window system.
class TSlowMemoryTransport : public test::TFakeMemoryTransport {
 public:
  TSlowMemoryTransport(test::TFakeMemory& memory, TSlowCounts& counts) : TFakeMemoryTransport(memory), counts_(counts) {}
  bool Send(std::span<const uint8_t> frame) override {
    ++counts_.requests;
    return TFakeMemoryTransport::Send(frame);
  }
  TReceived Receive(std::span<uint8_t> into, size_t expected, std::chrono::milliseconds wait, const TAnswerFilter& filter,
                    const std::function<void()>& pump) override {
    counts_.deepest = std::max(counts_.deepest, ++counts_.waits);
    for (int i = 0; i < counts_.pumpsPerWait && pump; ++i) {
      QTest::qSleep(2);  // the work timers (made 1 ms) come due
      pump();
    }
    --counts_.waits;
    return TFakeMemoryTransport::Receive(into, expected, wait, filter, pump);
  }

 private:
  TSlowCounts& counts_;
};

}  // namespace

class SlowLinkWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void DiagnosticsKeepUpAndTicksDoNotQueue();
  void DisplayReadsAScreenInSevenRequestsAndGreysItOnceWhenSilent();

 private:
  QTemporaryDir home_;
  ScriptedPrompt prompt_;
  test::TFakeMemory memory_;
  TSlowCounts counts_;
  TControllerLink link_;
};

void SlowLinkWindowsTest::initTestCase() {
  qputenv("VELMOR_HOME", home_.path().toUtf8());
  SetPrompt(&prompt_);
  memory_.areas = true;
  test::TTreeBuilder build(memory_);
  std::vector<TFarPtr> rows;
  for (int i = 0; i < 25; ++i) rows.push_back(build.Object(4, "Значение " + std::to_string(i), build.Data({uint8_t(i), 1})));
  build.SetRoot(build.Folder("Контроллер", {build.Folder("Процессор", rows)}));
  for (int r = 0; r < kScreenRows; ++r) memory_.At(MakeFarPtr(0xB800, uint16_t(r * kScreenRowBytes)))[0] = uint8_t('A' + r % 26);
  link_.Settings.DestIP = {127, 0, 0, 9};
  link_.SetTransportFactory([this](const TLinkSettings&) { return std::make_unique<TSlowMemoryTransport>(memory_, counts_); });
  InstallLinkWaitGuard(link_);
}

void SlowLinkWindowsTest::DiagnosticsKeepUpAndTicksDoNotQueue() {
  TFormDiag form(link_);
  form.resize(1000, 900);
  form.show();
  QCoreApplication::processEvents();  // the scan that showing the window starts
  QVERIFY(form.Session().Root);
  TDiagObj* cpu = form.Session().Root->Nodes.empty() ? nullptr : form.Session().Root->Nodes[0].get();
  QVERIFY(cpu);
  form.SelectObject(cpu);
  auto* timer = form.findChild<QTimer*>("TimerWork");
  QVERIFY(timer);
  timer->setInterval(1);  // due again within every wait
  auto* grid = form.findChild<QTableWidget*>("Grid1");
  form.TimerWorkTimer();  // the names, once
  std::vector<int> perTick;
  for (int tick = 0; tick < 6; ++tick) {
    for (auto& row : cpu->Parameters) row->FormatCountdown = 9;  // values only: the same work each tick
    const int before = counts_.requests;
    form.TimerWorkTimer();
    perTick.push_back(counts_.requests - before);
  }
  QCOMPARE(counts_.deepest, 1);  // no tick ran inside another's wait
  // The 25 rows' values in one batch (and the headers of the visible folders in another), the
  // same at every tick: nothing piles up behind a slow answer.
  QCOMPARE(perTick.front(), 2);
  QCOMPARE(perTick, std::vector<int>(6, perTick.front()));
  QCOMPARE(grid->item(7, 3)->text(), QString("263"));
  // The timer left running: while it keeps firing inside the waits, ticks still run one by one.
  timer->start();
  for (int i = 0; i < 20; ++i) {
    QTest::qSleep(2);
    QCoreApplication::processEvents();
  }
  QCOMPARE(counts_.deepest, 1);
  form.close();
}

void SlowLinkWindowsTest::DisplayReadsAScreenInSevenRequestsAndGreysItOnceWhenSilent() {
  TFormDisplay display(link_);
  display.show();
  display.ImageRunClick();  // the test drives the ticks
  counts_.requests = 0;
  const int group = TScreenReader::RowsPerRequest(link_);
  QCOMPARE(group, 8);
  for (int tick = 0; tick < (kScreenRows + group - 1) / group; ++tick) display.TimerWorkTimer();
  QCOMPARE(counts_.requests, 7);
  for (int r = 0; r < kScreenRows; ++r) QCOMPARE(display.Screen().Char(r, 0), uint8_t('A' + r % 26));
  const QImage read = display.Picture();

  // The controller falls silent: one tick's three tries grey the whole screen, not a row.
  memory_.failReads = 1000;
  counts_.requests = 0;
  display.TimerWorkTimer();
  QCOMPARE(counts_.requests, 3);
  for (int r = 0; r < kScreenRows; ++r) QCOMPARE(display.Screen().Attribute(r, 0), kUnreadableAttribute);
  QVERIFY(display.Picture().copy(0, 49 * 10, 640, 10) != read.copy(0, 49 * 10, 640, 10));  // drawn again, all of it
  memory_.failReads = 0;
  display.close();
}

QTEST_MAIN(SlowLinkWindowsTest)
#include "SlowLinkWindowsTest.moc"
