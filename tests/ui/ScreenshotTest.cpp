// Opens every window and frame of the desktop program offscreen with sample data and writes a
// PNG of each into the screenshots folder (VELMOR_SCREENSHOTS), so the look can be reviewed
// without a display. Also prints the start-up and large-tree timings it observes (measured, not
// asserted: timings belong to the reports, not to pass/fail).
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QtTest>

#include "app/MainForm.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/Prompt.h"
#include "model/Cards.h"
#include "model/Kinds.h"
#include "model/ui/TreeView.h"
#include "ports/PointKind.h"
#include "ports/VLM_PortAct.h"
#include "ports/ui/PortFrames.h"
#include "ports/ui/ReaddrFrames.h"
#include "shell/AppContext.h"
#include "shell/ui/Frame.h"
#include "shell/ui/HelpWindow.h"
#include "shell/ui/Indicator.h"
#include "shell/ui/Options.h"
#include "shell/ui/QtPrompt.h"
#include "shell/ui/Traffic.h"
#include "support/ScriptedPrompt.h"
#include "UiTestUtil.h"

using namespace vlm;

class ScreenshotTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void MainWindowAndFrames();
  void ShellWindows();
  void LargeConfiguration();
  void MainWindowAtScreenSizes();

 private:
  void Shoot(QWidget* w, const QString& name);
  void Pick(TFormVLM& form, TTreeNode* node, const QString& name);
  QTemporaryDir home_;
  QDir out_;
  ScriptedPrompt prompt_;
};

void ScreenshotTest::initTestCase() {
  test::PrepareProgram(home_);
  RegisterPortFrames();
  RegisterReaddrFrames();
  SetPrompt(&prompt_);
  const QByteArray env = qgetenv("VELMOR_SCREENSHOTS");
  out_ = QDir(env.isEmpty() ? QStringLiteral(VELMOR_SCREENSHOTS) : QString::fromUtf8(env));
  QVERIFY(out_.mkpath("."));
  // A tree wide enough for its captions, as an engineer sets it once.
  TIniFile ini(SettingsIniPath().string());
  ini.WriteInteger("Velmor", "TreeWidth", 260);
  ini.WriteInteger("Velmor", "FormWidth", 800);
  ini.WriteInteger("Velmor", "FormHeight", 560);
  ini.WriteString("Velmor", "DestIP", "127.0.0.2");
  QVERIFY(ini.UpdateFile());
}

void ScreenshotTest::Shoot(QWidget* w, const QString& name) {
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  QCoreApplication::processEvents();
  QVERIFY(w->grab().save(out_.filePath(name + ".png")));
}

void ScreenshotTest::Pick(TFormVLM& form, TTreeNode* node, const QString& name) {
  form.Select(node);
  QVERIFY(form.CurrentFrame());
  Shoot(&form, name);
}

void ScreenshotTest::MainWindowAndFrames() {
  QElapsedTimer started;
  started.start();
  TAppContext ctx;
  TFormVLM form(ctx);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  qInfo("main window shown after %lld ms (context, settings, tree, first frame)", started.elapsed());

  TTreeNode* controller = form.Station()->Node->Child(0);
  form.Station()->Place = "ПС 110 кВ Северная";
  form.Station()->UpdateNode();
  auto add = [&](TTreeNode* parent, const char* action) {
    form.Select(parent);
    form.Action(action)->trigger();
    return form.SelectedNode();
  };
  auto* c5554 = static_cast<TCardRS*>(add(controller, "ActionNewCard5554")->Object());
  c5554->SetAddress(4);
  c5554->SetIRQ(5);
  auto* c5558 = static_cast<TCardRS*>(add(controller, "ActionNewCard5558")->Object());
  c5558->SetAddress(8);
  auto* ppi = static_cast<TCardRS*>(add(controller, "ActionNewCardPPI")->Object());
  ppi->SetAddress(8);  // a conflict, confirmed: drawn red
  auto* pvs = static_cast<TCard*>(add(controller, "ActionNewCardPVS")->Object());
  pvs->SetAddress(3);
  add(controller, "ActionNewCardUNIO96");
  TTreeNode* processor = controller->Child(0);
  TTreeNode* port = add(processor, "ActionNewPortActive");
  auto* soft = static_cast<TSoftPort*>(port->Object());
  soft->Number = 2;
  soft->Comment = "Опрос КП";
  soft->SetHardPort(c5554->Ports[0]);
  soft->UpdateNode();
  add(port, "ActionNewPointSIRIUS");
  add(processor, "ActionNewPortTime");
  form.Indicator()->AddPoint(PointColor::Lime);
  for (int i = 0; i < 40; ++i) form.Indicator()->AddPoint(i % 13 ? PointColor::Green : PointColor::Red);
  form.Indicator()->DrawPending();

  Pick(form, form.Station()->Node, "main_station");
  Pick(form, controller, "frame_controller");
  Pick(form, processor, "frame_processor");
  Pick(form, c5554->Node, "frame_card5554");
  Pick(form, c5558->Node, "frame_card5558");
  Pick(form, ppi->Node, "frame_cardppi");
  Pick(form, pvs->Node, "frame_pvs");
  Pick(form, controller->Child(5), "frame_unio");
  Pick(form, c5554->Ports[0]->Node, "frame_comport");
  Pick(form, pvs->Node->Child(0), "frame_modem");
  form.Select(c5554->Ports[2]->Node);
  form.CurrentFrame()->findChild<QSpinBox*>("SpinEditGap")->setValue(3);
  Shoot(&form, "frame_comport_green");
}

void ScreenshotTest::ShellWindows() {
  TOptionsDlg options(IpListIniPath());
  TOptionValues v;
  v.link.DestIP = {127, 0, 0, 2};
  options.FillFrom(v);
  Shoot(&options, "options");

  std::vector<std::string> log;
  for (int i = 0; i < 30; ++i)
    log.push_back(i % 2 ? ">12.3" + std::to_string(10 + i) + "   4  05 95 00 00 95 00 00 00 1"
                        : "<12.3" + std::to_string(10 + i) + "   2  17 95 00 00 00 00 E7 00 00 00 E6");
  TFormTraffic traffic([&] { return log; }, [] { return QString("127.0.0.2"); });
  Shoot(&traffic, "traffic");

  TFormError error("Ошибка при записи файла конфигурации в контроллер.");
  Shoot(&error, "box_error");
  TFormAsk ask("Запись новой конфигурации в контроллер уничтожит прежнюю.\r\rПродолжить?", false);
  Shoot(&ask, "box_ask");
  TFormHelp help;
  help.ShowContext(150);
  Shoot(&help, "help");
}

// 30 controllers, 400 nodes: how long opening takes and how long one scroll step repaints.
void ScreenshotTest::LargeConfiguration() {
  TAppContext ctx;
  TFormVLM form(ctx);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  TTreeNode* station = form.Station()->Node;
  for (int c = 1; c < 30; ++c) AddController(*station);
  int nodes = 0;
  for (int c = 0; c < 30; ++c) {
    TTreeNode* controller = station->Child(c);
    form.Select(controller);
    form.Action("ActionNewCard5554")->trigger();
    static_cast<TCard*>(form.SelectedNode()->Object())->SetAddress(0);
    form.Select(controller);
    form.Action("ActionNewCard5554")->trigger();
    static_cast<TCard*>(form.SelectedNode()->Object())->SetAddress(4);
    form.Select(controller->Child(0));
    form.Action("ActionNewPortTime")->trigger();
  }
  for (int extra = 0; extra < 9; ++extra) {
    form.Select(station->Child(extra)->Child(0));
    form.Action("ActionNewPortTime")->trigger();
  }
  form.Tree().ForEach([&](TTreeNode&) { ++nodes; });
  QCOMPARE(nodes, 400);
  const QString path = home_.filePath("large.cfg");
  form.SaveFile(path);

  QElapsedTimer t;
  t.start();
  form.OpenFile(path);
  QCoreApplication::processEvents();
  form.TreeView()->expandAll();
  form.TreeView()->viewport()->repaint();
  const qint64 openMs = t.elapsed();
  int total = 0;
  form.Tree().ForEach([&](TTreeNode&) { ++total; });
  QCOMPARE(total, 400);

  QScrollBar* bar = form.TreeView()->verticalScrollBar();
  QElapsedTimer s;
  s.start();
  int steps = 0;
  for (int v = bar->minimum(); v <= bar->maximum(); v += bar->singleStep(), ++steps) {
    bar->setValue(v);
    form.TreeView()->viewport()->repaint();
  }
  const double perStep = steps ? double(s.nsecsElapsed()) / 1e6 / steps : 0;
  qInfo("400-node configuration: open and expand %lld ms; scrolling %d steps, %.2f ms per repaint",
        openMs, steps, perStep);
  Shoot(&form, "main_large");
}

// The port and point frames in the main window at its default size and on a 1366x768 screen.
void ScreenshotTest::MainWindowAtScreenSizes() {
  TAppContext ctx;
  TFormVLM form(ctx);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  auto add = [&](TTreeNode* parent, const char* action) {
    form.Select(parent);
    form.Action(action)->trigger();
    return form.SelectedNode();
  };
  TTreeNode* controller = form.Station()->Node->Child(0);
  TTreeNode* processor = controller->Child(0);
  add(controller, "ActionNewCard5554");
  TTreeNode* active = add(processor, "ActionNewPortActive");
  TTreeNode* sirius = add(active, "ActionNewPointSIRIUS");
  TTreeNode* passive = add(processor, "ActionNewPortPassive");
  // Filled while another node's frame is shown (a frame stores its own contents when left).
  auto* port = static_cast<TPortActive*>(active->Object());
  const uint8_t steps[] = {1, 2, 0, 3, 1, 4, 0, 5, 6, 0, 7, 1};
  port->StepCount = sizeof steps;
  std::copy(std::begin(steps), std::end(steps), port->Steps.begin());
  for (int g : {1, 2, 5, 17, 18, 40}) (*static_cast<TDataPoint*>(sirius->Object())->Groups)[g].Used = true;
  form.TreeView()->expandAll();
  for (const QSize size : {QSize(900, 600), QSize(1366, 768)}) {
    form.resize(size);
    QCoreApplication::processEvents();
    const QString suffix = QString("_%1x%2").arg(size.width()).arg(size.height());
    Pick(form, sirius, "layout_sirius" + suffix);
    if (auto* tabs = form.CurrentFrame()->findChild<QTabWidget*>("PageControl")) {
      for (int page = 1; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        Shoot(&form, QString("layout_sirius_page%1").arg(page) + suffix);
      }
    }
    Pick(form, active, "layout_poll_ring" + suffix);
    Pick(form, passive, "layout_passive" + suffix);
    if (auto* tabs = form.CurrentFrame()->findChild<QTabWidget*>("PageControl")) {
      for (int page = 1; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        Shoot(&form, QString("layout_passive_page%1").arg(page) + suffix);
      }
    }
  }
  prompt_.answers = {TAnswer::No};
}

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
