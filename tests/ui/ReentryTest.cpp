// What the user does while the link waits for an answer: velmor-sim answers through a line that
// makes every wait run the window pump after the user's action (a click, Escape, the window
// manager's close), as a wait on a slow line does. Nothing that starts an exchange or frees what
// one uses may run inside the wait; it runs after it. Also: every way of closing the black-box,
// diagnostics and display windows runs their closing.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "app/MainForm.h"
#include "app/MainServices.h"
#include "blackbox/BoxDriver.h"
#include "blackbox/ui/BoxService.h"
#include "blackbox/ui/FormBox.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "diag/DiagObj.h"
#include "diag/ui/FormDiag.h"
#include "diag/ui/FormDisplay.h"
#include "diag/ui/FrameDiagView.h"
#include "link/LinkTransport.h"
#include "link/Velmor_PC.h"
#include "services/ui/ServiceWindows.h"
#include "services/ui/VLM_ServFiles.h"
#include "shell/AppContext.h"
#include "shell/ui/LinkWait.h"
#include "support/ScriptedPrompt.h"
#include "UiTestUtil.h"

using namespace vlm;

namespace {

// The user's hand on a slow line: `user` is done during the next wait (posted, so the window
// system delivers it from the wait's pump), then forgotten.
struct TSlowLine {
  std::function<void()> user;
  bool freedInWait = false;  // the transport went while its wait let the windows run
};

class TSlowTransport : public ILinkTransport {
 public:
  TSlowTransport(std::unique_ptr<ILinkTransport> inner, TSlowLine& line) : inner_(std::move(inner)), line_(line) {}
  ~TSlowTransport() override { *alive_ = false; }
  bool Open() override { return inner_->Open(); }
  void Close() override { inner_->Close(); }
  bool Send(std::span<const uint8_t> frame) override { return inner_->Send(frame); }
  bool SendAhead(std::span<const uint8_t> frame) override { return inner_->SendAhead(frame); }
  int StaleBeforeSend() const override { return inner_->StaleBeforeSend(); }
  bool AdaptiveWait() const override { return inner_->AdaptiveWait(); }
  TReceived Receive(std::span<uint8_t> into, size_t expected, std::chrono::milliseconds wait, const TAnswerFilter& filter,
                    const std::function<void()>& pump) override {
    const std::shared_ptr<bool> alive = alive_;
    TSlowLine& line = line_;
    if (auto user = std::exchange(line.user, {})) QMetaObject::invokeMethod(qApp, user, Qt::QueuedConnection);
    if (pump) pump();
    if (!*alive) {  // nothing of this object may be touched now
      line.freedInWait = true;
      return {TReceiveEnd::Failed, 0};
    }
    return inner_->Receive(into, expected, wait, filter, pump);
  }
  int Quiet(std::chrono::milliseconds silence, const std::function<void()>& pump,
            std::chrono::steady_clock::time_point& firstArrival) override {
    return inner_->Quiet(silence, pump, firstArrival);
  }

 private:
  std::unique_ptr<ILinkTransport> inner_;
  TSlowLine& line_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

constexpr int kMark = Qt::UserRole + 77;

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

}  // namespace

class ReentryTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanupTestCase();
  void BoxScanDuringAPollRunsAfterIt();
  void BoxDialogOpenedDuringAPollLeavesThePollingOn();
  void BoxEscapeDuringAPollClosesAfterItAsTheClosing();
  void DiagRescanDuringARefreshRunsAfterIt();
  void DiagEscapeStopsTheViewAndWritesTheSettings();
  void DisplayClosedDuringItsReadClosesAfterIt();
  void FilesRefreshDuringACopyLeavesTheCopyWhole();
  void WriteAndScanPressedDuringAConfigurationWrite();
  void ProgramEndClosesTheOpenWindows();

 private:
  // The black box shown and scanned (opened by its button when it is not).
  TFormBox* OpenBox();
  TFormDiag* OpenDiag();
  // Marks the first item of a tree: a scan rebuilds the tree and the mark is gone.
  static void Mark(QTreeWidget* tree) { tree->topLevelItem(0)->setData(0, kMark, 1); }
  static bool Marked(QTreeWidget* tree) { return tree->topLevelItemCount() > 0 && tree->topLevelItem(0)->data(0, kMark).isValid(); }
  static bool IniHas(const char* section, const char* key) {
    return TIniFile(PathToUtf8(SettingsIniPath())).ValueExists(section, key);
  }
  QTemporaryDir home_, disk_, pc_;
  QProcess sim_;
  ScriptedPrompt prompt_;
  std::unique_ptr<PromptGuard> guard_;
  std::unique_ptr<TAppContext> ctx_;
  std::unique_ptr<TFormVLM> form_;
  std::unique_ptr<TServiceWindows> services_;
  TSlowLine line_;
};

void ReentryTest::initTestCase() {
  test::PrepareProgram(home_);
  guard_ = std::make_unique<PromptGuard>(prompt_);
  QFile big(disk_.filePath("big.dat"));
  QVERIFY(big.open(QIODevice::WriteOnly));
  for (int i = 0; i < 3000; ++i) big.putChar(char(i * 7));
  big.close();
  const int port = test::TestPort(1);
  sim_.setProgram(VELMOR_SIM);
  sim_.setArguments({"--ip", "127.0.0.7", "--port", QString::number(port), "--disk", disk_.path(), "--box-rate", "100"});
  sim_.start();
  QVERIFY(sim_.waitForStarted(5000));
  QByteArray said;
  while (!said.contains("osc:") && sim_.waitForReadyRead(5000)) said += sim_.readAll();
  const int osc = said.mid(said.indexOf(':', said.indexOf("osc: ") + 5) + 1).split('\n')[0].toInt();
  QVERIFY(osc > 0);

  ctx_ = std::make_unique<TAppContext>();
  form_ = std::make_unique<TFormVLM>(*ctx_);
  services_ = AttachServiceWindows(*form_, *ctx_);
  form_->AfterWrite = {};
  form_->ConfirmDifferences = [](const TConfigDiff&) { return true; };
  TLinkSettings& s = ctx_->Link.Settings;
  s.LinkMode = kLinkUdp;
  s.UdpPort = uint16_t(port);
  s.OscPort = uint16_t(osc);
  s.DestIP = {127, 0, 0, 7};
  s.SelfIP = {127, 0, 0, 1};
  s.WaitTime = 1000;
  InstallLinkWaitGuard(ctx_->Link);
  ctx_->Link.SetTransportFactory([this](const TLinkSettings& settings) -> std::unique_ptr<ILinkTransport> {
    return std::make_unique<TSlowTransport>(MakeDefaultTransport(settings), line_);
  });
  form_->show();
}

void ReentryTest::cleanupTestCase() {
  services_.reset();
  form_.reset();
  ctx_.reset();
  guard_.reset();
  sim_.kill();
  sim_.waitForFinished(3000);
}

TFormBox* ReentryTest::OpenBox() {
  if (!BoxWindow(form_.get()) || !BoxWindow(form_.get())->isVisible()) Click(form_->findChild<QToolButton*>("ButtonBox"));
  TFormBox* box = BoxWindow(form_.get());
  auto* tree = box ? box->findChild<QTreeWidget*>("TreeBoxes") : nullptr;
  if (!tree || !QTest::qWaitFor([&] { return tree->topLevelItemCount() > 0; }, 10000)) return nullptr;
  return box;
}

TFormDiag* ReentryTest::OpenDiag() {
  auto* diag = form_->findChild<TFormDiag*>("FormDiag");
  if (!diag) {
    diag = new TFormDiag(ctx_->Link, form_.get());
    diag->setWindowFlag(Qt::Window);
  }
  diag->show();
  auto* tree = diag->findChild<QTreeWidget*>("TreeView1");
  return QTest::qWaitFor([&] { return tree->topLevelItemCount() > 0; }, 10000) ? diag : nullptr;
}

void ReentryTest::BoxScanDuringAPollRunsAfterIt() {
  TFormBox* box = OpenBox();
  QVERIFY(box);
  auto* tree = box->findChild<QTreeWidget*>("TreeBoxes");
  tree->setCurrentItem(tree->topLevelItem(0));  // the current reader is polled
  Mark(tree);
  line_.user = [box] { Click(box->findChild<QToolButton*>("ImageScan")); };
  box->TimerWorkTimer();
  QVERIFY(!line_.user);
  QVERIFY2(Marked(tree), "the scan ran inside the poll's wait and freed its readers");
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  QTRY_VERIFY_WITH_TIMEOUT(!Marked(tree), 10000);  // after the poll: the scan was not lost
  QVERIFY(tree->topLevelItemCount() > 0);
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
}

// The logo opens the modal About box: opened from inside a wait it would hold the link busy and
// stop every poll while it is open.
void ReentryTest::BoxDialogOpenedDuringAPollLeavesThePollingOn() {
  TFormBox* box = OpenBox();
  QVERIFY(box);
  auto* tree = box->findChild<QTreeWidget*>("TreeBoxes");
  tree->setCurrentItem(tree->topLevelItem(0));
  uint64_t polled = 0;
  box->ShowAbout = [&] {
    const uint64_t before = ctx_->Link.Counters().answers;
    (void)QTest::qWaitFor([&] { return ctx_->Link.Counters().answers >= before + 5; }, 5000);
    polled = ctx_->Link.Counters().answers - before;
  };
  line_.user = [box] { Click(box->findChild<QToolButton*>("ImageLogo")); };
  box->TimerWorkTimer();
  QTRY_VERIFY_WITH_TIMEOUT(polled > 0, 10000);
  QVERIFY2(polled >= 5, std::to_string(polled).c_str());
  box->ShowAbout = {};
}

void ReentryTest::BoxEscapeDuringAPollClosesAfterItAsTheClosing() {
  TFormBox* box = OpenBox();
  QVERIFY(box);
  auto* tree = box->findChild<QTreeWidget*>("TreeBoxes");
  tree->setCurrentItem(tree->topLevelItem(0));
  Click(box->findChild<QToolButton*>("SpeedButtonRec"));
  QVERIFY(box->Current() && box->Current()->Recording());
  line_.user = [box] { QTest::keyClick(box, Qt::Key_Escape); };
  box->TimerWorkTimer();
  QVERIFY2(box->isVisible(), "the window closed inside the poll's wait");
  QTRY_VERIFY_WITH_TIMEOUT(!box->isVisible(), 5000);
  // Escape closes as the close button does.
  QVERIFY(!box->Boxes().Readers()[0]->Recording());
  QVERIFY(!ctx_->Link.LinkOpen());
  QVERIFY(IniHas("BlackBox", "FormWidth"));
  Mark(tree);
  Click(form_->findChild<QToolButton*>("ButtonBox"));
  QTRY_VERIFY_WITH_TIMEOUT(!Marked(tree) && tree->topLevelItemCount() > 0, 10000);  // shown again: scanned again
}

void ReentryTest::DiagRescanDuringARefreshRunsAfterIt() {
  TFormDiag* diag = OpenDiag();
  QVERIFY(diag);
  auto* tree = diag->findChild<QTreeWidget*>("TreeView1");
  diag->SelectObject(FindByPath(diag->Session().Context(), *diag->Session().Root, "Процессор.Порт 2"));
  Mark(tree);
  line_.user = [diag] { Click(diag->findChild<QToolButton*>("ButtonScan")); };
  diag->TimerWorkTimer();
  QVERIFY(!line_.user);
  QVERIFY2(Marked(tree), "the scan ran inside the tick's read and freed the tree under it");
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  QTRY_VERIFY_WITH_TIMEOUT(!Marked(tree) && tree->topLevelItemCount() > 0, 10000);
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
}

void ReentryTest::DiagEscapeStopsTheViewAndWritesTheSettings() {
  TFormDiag* diag = OpenDiag();
  QVERIFY(diag);
  diag->SelectObject(FindByPath(diag->Session().Context(), *diag->Session().Root, "Процессор.Осциллограф"));
  const QPointer<TFrameDiagView> view = diag->ViewFrame();
  QVERIFY(view);
  QTest::keyClick(diag, Qt::Key_Escape);
  QVERIFY(!diag->isVisible());
  QVERIFY(!diag->ViewFrame());
  QTRY_VERIFY(view.isNull());  // its stream and timers went with it
  QVERIFY(IniHas("Diag", "FormWidth"));
  delete diag;
}

void ReentryTest::DisplayClosedDuringItsReadClosesAfterIt() {
  ctx_->Link.CloseLink();
  auto* display = new TFormDisplay(ctx_->Link, form_.get());
  display->setWindowFlag(Qt::Window);
  display->show();
  QVERIFY(ctx_->Link.LinkOpen());
  display->ImageRunClick();  // reading by hand only
  line_.user = [display] { display->close(); };  // what the window manager's close comes to
  display->TimerWorkTimer();
  QVERIFY2(!line_.freedInWait, "closing freed the link under the row's read");
  QVERIFY(display->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(!display->isVisible(), 5000);
  QVERIFY(!ctx_->Link.LinkOpen());
  delete display;
}

void ReentryTest::FilesRefreshDuringACopyLeavesTheCopyWhole() {
  TFormFiles* files = services_->Files();
  files->SetPcDir(pc_.path());
  files->show();
  QTRY_VERIFY_WITH_TIMEOUT(files->Rows().join('\n').contains("big.dat|3000"), 10000);
  files->SelectItemByCaption("big.dat");
  line_.user = [files] { Click(files->findChild<QToolButton*>("ButtonGetDir")); };
  files->ButtonCopyToPCClick();
  QVERIFY(!line_.user);
  QVERIFY2(files->LabelState()->text().startsWith("Копирование big.dat завершено"), qPrintable(files->LabelState()->text()));
  QFile copy(QDir(pc_.path()).filePath("big.dat")), original(disk_.filePath("big.dat"));
  QVERIFY(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
  QCOMPARE(copy.readAll(), original.readAll());
  QTest::qWait(200);  // the refresh, if it comes after the copy, lists the folder again
  QVERIFY(files->Rows().join('\n').contains("big.dat|3000"));
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  files->hide();
}

// Pressed during the write's wait: the write button again (refused or after the write, never a
// second write inside it) and the black box's scan, which closes and opens the link.
void ReentryTest::WriteAndScanPressedDuringAConfigurationWrite() {
  TFormBox* box = OpenBox();
  QVERIFY(box);
  auto* tree = box->findChild<QTreeWidget*>("TreeBoxes");
  Mark(tree);
  prompt_.questions.clear();
  prompt_.answers = {TAnswer::Yes, TAnswer::No};
  line_.user = [this, box] {
    Click(form_->findChild<QToolButton*>("ButtonWrite"));
    Click(box->findChild<QToolButton*>("ImageScan"));
  };
  form_->Guarded([&] { form_->WriteToController(true); });
  QVERIFY(!line_.user);
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  QCOMPARE(prompt_.questions.size(), size_t(1));
  QVERIFY2(Marked(tree), "the scan ran inside the write's wait");
  QCOMPARE(form_->WrittenToLabel(), QString("Записано в контроллер"));
  const QStringList cfg = QDir(disk_.path()).entryList({"vlm.cfg"}, QDir::Files);
  QCOMPARE(cfg.size(), 1);
  QFile written(disk_.filePath(cfg[0]));
  QVERIFY(written.open(QIODevice::ReadOnly));
  const auto image = ctx_->Image.Image();
  QCOMPARE(written.readAll(), QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
  QTRY_VERIFY_WITH_TIMEOUT(!Marked(tree) && tree->topLevelItemCount() > 0, 10000);
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
}

void ReentryTest::ProgramEndClosesTheOpenWindows() {
  TFormBox* box = OpenBox();
  QVERIFY(box);
  QTRY_VERIFY_WITH_TIMEOUT(ctx_->Link.LinkOpen(), 5000);  // the readers poll over it
  form_->close();
  QVERIFY(!box->isVisible());
  QVERIFY(!ctx_->Link.LinkOpen());  // nothing is left for the program's end to fall quiet for
}

QTEST_MAIN(ReentryTest)
#include "ReentryTest.moc"
