// The black-box window offscreen against velmor-sim: the recorder list, recording, the view
// switches and the function field, the list timer and the wheel, the flow picture, replay and
// the analyzer tree filling from it; screenshots of the window and of the event log.
#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include "app/MainForm.h"
#include "app/MainServices.h"
#include "blackbox/BoxDriver.h"
#include "blackbox/BoxViewRules.h"
#include "blackbox/ui/BoxService.h"
#include "blackbox/ui/FormBox.h"
#include "blackbox/ui/FormTavikLog.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "link/Velmor_PC.h"
#include "services/ui/ServiceWindows.h"
#include "shell/AppContext.h"
#include "support/ScriptedPrompt.h"
#include "UiTestUtil.h"

using namespace vlm;

class BoxWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanupTestCase();
  void ScanListsTheRecorders();
  void RecordingWritesTheFile();
  void ViewSwitchesAreNeverBothClear();
  void FunctionFieldKeepsDigitsAndChecksTheRange();
  void NewLinesBringTheViewDownUnlessTheWheelPaused();
  void HundredCharacterLineDrawsHalfWidthFlow();
  void ReplayShowsLinesAndFillsTheAnalyzer();
  void MainWindowHasTheBlackBoxButton();
  void FailedExportsAndSettingsAreReported();
  void TopBarFitsAndPanelsKeepTheirSizes();

 private:
  template <typename T>
  T* Child(const char* name) const { return form_->findChild<T*>(name); }
  void Shoot(QWidget* w, const QString& name) {
    QCoreApplication::processEvents();
    QVERIFY(w->grab().save(out_.filePath(name + ".png")));
  }
  // Polls the readers until `done` or about 10 s of polling.
  template <typename F>
  bool PollUntil(F done) {
    for (int i = 0; i < 500 && !done(); ++i) {
      form_->TimerWorkTimer();
      QTest::qWait(20);
    }
    return done();
  }
  QTemporaryDir home_, disk_;
  QProcess sim_;
  ScriptedPrompt prompt_;
  TControllerLink link_;
  std::unique_ptr<TFormBox> form_;
  QDir out_;
  QString recording_;
};

void BoxWindowTest::initTestCase() {
  qputenv("VELMOR_HOME", home_.path().toUtf8());
  SetPrompt(&prompt_);
  const int port = test::TestPort(5);
  sim_.setProgram(VELMOR_SIM);
  sim_.setArguments({"--ip", "127.0.0.5", "--port", QString::number(port), "--disk", disk_.path(), "--box-rate", "100"});
  sim_.start();
  QVERIFY(sim_.waitForStarted(5000));
  bool ready = false;
  while (!ready && sim_.waitForReadyRead(5000)) ready = sim_.readAll().contains("udp:");
  QVERIFY(ready);
  link_.Settings.DestIP = {127, 0, 0, 5};
  link_.Settings.SelfIP = {127, 0, 0, 1};
  link_.Settings.UdpPort = uint16_t(port);
  link_.Settings.WaitTime = 500;
  form_ = std::make_unique<TFormBox>(link_);
  form_->resize(1100, 640);
  form_->show();
  QTRY_VERIFY_WITH_TIMEOUT(Child<QTreeWidget>("TreeBoxes")->topLevelItemCount() > 0, 10000);
  const QByteArray env = qgetenv("VELMOR_SCREENSHOTS");
  out_ = QDir(env.isEmpty() ? QStringLiteral(VELMOR_SCREENSHOTS) : QString::fromUtf8(env));
  QVERIFY(out_.mkpath("."));
}

void BoxWindowTest::cleanupTestCase() {
  form_->close();
  form_.reset();
  sim_.kill();
  sim_.waitForFinished(3000);
  SetPrompt(nullptr);
}

void BoxWindowTest::ScanListsTheRecorders() {
  auto* tree = Child<QTreeWidget>("TreeBoxes");
  QStringList texts;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) texts << tree->topLevelItem(i)->text(0);
  QVERIFY2(texts.contains("№1 COM2 МЭК-101"), qPrintable(texts.join('|')));
  QVERIFY(texts.contains("№4 COM4 СИРИУС"));
  QVERIFY(form_->windowTitle().endsWith(" - Чёрный Ящик  IP=127.0.0.5"));
  qInfo() << "line font:" << QFontInfo(form_->LineFont()).family();
}

void BoxWindowTest::RecordingWritesTheFile() {
  auto* tree = Child<QTreeWidget>("TreeBoxes");
  tree->setCurrentItem(tree->topLevelItem(3));
  QVERIFY(form_->Current());
  QCOMPARE(form_->Current()->Number(), 4);
  auto* name = Child<QLineEdit>("EditFileName");
  name->setText("sirius.txt");
  emit name->textEdited(name->text());
  Child<QToolButton>("SpeedButtonRec")->click();
  QVERIFY(form_->Current()->Recording());
  QVERIFY(!name->isEnabled());
  QVERIFY(PollUntil([this] { return form_->Current()->BytesWritten() > 4000; }));
  Child<QToolButton>("SpeedButtonStop")->click();
  QVERIFY(!form_->Current()->Recording());
  const QString path = QString::fromStdString(form_->Current()->RecordingPath().string());
  QCOMPARE(QFileInfo(path).fileName(), QString("sirius.txt"));
  QCOMPARE(QFileInfo(path).dir().dirName(), QString("Box"));
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  QVERIFY(bytes.contains("|p002|") || bytes.contains("|p004|"));
  recording_ = path;
}

void BoxWindowTest::ViewSwitchesAreNeverBothClear() {
  auto* hex = Child<QCheckBox>("CheckBoxHex");
  auto* text = Child<QCheckBox>("CheckBoxText");
  auto* in = Child<QCheckBox>("CheckBoxIn");
  auto* out = Child<QCheckBox>("CheckBoxOut");
  if (!hex->isChecked()) hex->click();
  if (text->isChecked()) text->click();
  hex->click();  // clearing the last one sets the other
  QVERIFY(text->isChecked());
  QVERIFY(!hex->isChecked());
  text->click();
  QVERIFY(hex->isChecked());
  in->click();
  QVERIFY(!in->isChecked());
  out->click();
  QVERIFY(in->isChecked() || out->isChecked());
  QVERIFY(form_->Context().view.showIn || form_->Context().view.showOut);
  if (!in->isChecked()) in->click();
  if (!out->isChecked()) out->click();
}

void BoxWindowTest::FunctionFieldKeepsDigitsAndChecksTheRange() {
  auto* field = Child<QLineEdit>("EditFn");
  Child<QRadioButton>("RadioButton16")->setChecked(true);
  field->clear();
  QTest::keyClicks(field, "1G");
  QCOMPARE(field->text(), QString("1"));
  QCOMPARE(form_->Context().view.fnNumber, 1);
  Child<QRadioButton>("RadioButton10")->setChecked(true);
  prompt_.errors.clear();
  field->clear();
  QTest::keyClicks(field, "300");
  QCOMPARE(prompt_.errors.size(), size_t(1));
  QCOMPARE(prompt_.errors[0], std::string(kFnRangeMessage));
  QCOMPARE(form_->Context().view.fnNumber, 30);  // the last valid number stays
  field->setText("0");
}

void BoxWindowTest::NewLinesBringTheViewDownUnlessTheWheelPaused() {
  QVERIFY(PollUntil([this] { return form_->VerticalMaximum() > 20; }));
  auto* bar = Child<QScrollBar>("ScrollBarV");
  bar->setValue(0);
  // The list timer, started by the next line, puts the view at the newest line.
  QVERIFY(PollUntil([&] { return bar->value() > 0 && bar->value() == bar->maximum(); }));
  form_->WheelLines(3);  // upwards
  auto* pause = Child<QToolButton>("SpeedButtonPause");
  QVERIFY(pause->isChecked());
  const int held = bar->value();
  const size_t lines = form_->Current()->Lines().size();
  const int polls = 25;
  for (int i = 0; i < polls; ++i) {
    form_->TimerWorkTimer();
    QTest::qWait(20);
  }
  form_->TimerListTimer();
  QCOMPARE(bar->value(), held);
  QCOMPARE(form_->Current()->Lines().size(), lines);
  form_->WheelLines(-3);
  QVERIFY(!pause->isChecked());
  QVERIFY(!form_->Current()->Paused);
}

void BoxWindowTest::HundredCharacterLineDrawsHalfWidthFlow() {
  TBoxDriver& test = form_->Boxes().ReplayBox();
  form_->Context().view.currentBox = &test;
  test.Paused = false;
  test.AddLines("first\r\nsecond", 0);  // the top row carries the view's rectangle
  test.AddLines(std::string(100, 'x'), 0x40);  // red background
  form_->TimerListTimer();
  auto* flow = Child<QWidget>("PaintBoxFlow");
  const QImage image = flow->grab().toImage();
  // Left-aligned (a received frame) from x = 0, where the view's rectangle may cover a pixel:
  // the right end of the red run gives its width.
  int widest = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == qRgb(255, 0, 0)) widest = std::max(widest, x + 1);
  image.save(out_.filePath("box-flow.png"));
  QCOMPARE(widest, FlowLineWidth(image.width(), 100));
  QVERIFY(std::abs(widest * 2 - image.width()) <= 1);
}

void BoxWindowTest::ReplayShowsLinesAndFillsTheAnalyzer() {
  QVERIFY(!recording_.isEmpty());
  Child<QCheckBox>("CheckBoxColor")->setChecked(true);
  if (!Child<QCheckBox>("CheckBoxText")->isChecked()) Child<QCheckBox>("CheckBoxText")->click();
  form_->ImageTavikClick();
  QVERIFY(form_->Context().view.analyzerRunning);
  QVERIFY(form_->OpenReplayFile(recording_));
  form_->SetPlayInterval(50);
  QCOMPARE(form_->PlayInterval(), 50);
  form_->PlayClick();
  TBoxDriver* test = &form_->Boxes().ReplayBox();
  QCOMPARE(form_->Current(), test);
  QTRY_VERIFY_WITH_TIMEOUT(form_->LineCount() > 60, 20000);
  const TTavikNode& root = form_->Analyzer().Root();
  QVERIFY(!root.children.empty());
  QVERIFY(!root.children[0]->children.empty());  // points
  form_->PlayPauseClick();
  form_->TimerTavikTimer();
  Child<QTreeView>("TreeTavik")->expandAll();
  form_->TimerListTimer();
  Shoot(form_.get(), "box-window");

  // The event log of one telesignal.
  const TTavikNode* ts = nullptr;
  std::function<void(const TTavikNode&)> find = [&](const TTavikNode& node) {
    if (!ts && dynamic_cast<const TTavikTS*>(node.object.get())) ts = &node;
    for (const auto& child : node.children) find(*child);
  };
  find(root);
  QVERIFY(ts);
  form_->ShowTavikLog(ts);
  QVERIFY(form_->TavikLog()->isVisible());
  QVERIFY(form_->TavikLog()->windowTitle().startsWith("ТАВИК - Журнал событий Группа"));
  QVERIFY(!form_->TavikLog()->Log().lines.empty());
  Shoot(form_->TavikLog(), "box-tavik-log");
  form_->TavikLog()->hide();
  QTemporaryDir csv;
  QVERIFY(form_->ExportTreeCsv(csv.filePath("tree.csv")));
  QVERIFY(QFileInfo(csv.filePath("tree.csv")).size() > 100);
  form_->PlayStopClick();
  // Starting the analyzer again drops the filled tree.
  form_->ImageTavikClick();
  form_->ImageTavikClick();
  QCoreApplication::processEvents();
  QVERIFY(form_->Analyzer().Root().children.empty());
  QCOMPARE(Child<QTreeView>("TreeTavik")->model()->rowCount(Child<QTreeView>("TreeTavik")->model()->index(0, 0)), 0);
}

void BoxWindowTest::MainWindowHasTheBlackBoxButton() {
  test::PrepareProgram(home_);
  TAppContext context;
  TFormVLM form(context);
  const auto services = AttachServiceWindows(form, context);
  auto* button = form.findChild<QToolButton*>("ButtonBox");
  QVERIFY(button);
  QCOMPARE(button->toolTip(), QString("Сервис \"Чёрный Яшик\""));
  QVERIFY(!BoxWindow(&form));
}

// Exports go through a temporary file; what cannot be written is said, as the main window says it.
void BoxWindowTest::FailedExportsAndSettingsAreReported() {
  const std::string missing = QDir(home_.path()).filePath("missing/x.csv").toStdString();
  prompt_.errors.clear();
  QVERIFY(!form_->ExportTreeCsv(QString::fromStdString(missing)));
  QVERIFY(!form_->TavikLog()->ExportCsv(QString::fromStdString(missing)));
  QCOMPARE(prompt_.errors, std::vector<std::string>(2, "Не удалось записать файл " + missing));
  // A folder where the settings file should be: closing says so.
  const std::filesystem::path ini = SettingsIniPath();
  std::filesystem::remove(ini);
  std::filesystem::create_directory(ini);
  form_->close();
  std::filesystem::remove(ini);
  QCOMPARE(prompt_.errors.size(), size_t(3));
  QCOMPARE(prompt_.errors.back(), "Не удалось записать файл настроек " + PathToUtf8(ini));
}

// Every caption of the top bar whole at the window's smallest width; the recorder list as tall as
// it was left, however often the window is opened and closed.
void BoxWindowTest::TopBarFitsAndPanelsKeepTheirSizes() {
  {
    TIniFile ini(PathToUtf8(SettingsIniPath()));
    ini.WriteInteger("BlackBox", "FormWidth", 1100);
    ini.WriteInteger("BlackBox", "FormHeight", 640);
    ini.WriteInteger("BlackBox", "TreeHeight", 150);
    QVERIFY(ini.UpdateFile());
  }
  for (int round = 0; round < 3; ++round) {
    TFormBox box(link_);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCoreApplication::processEvents();
    QCOMPARE(box.findChild<QTreeWidget*>("TreeBoxes")->height(), 150);
    for (const int width : {1100, 949}) {
      box.resize(width, 640);
      QCoreApplication::processEvents();
      auto* bar = box.findChild<QWidget*>("PanelTop");
      for (QWidget* w : bar->findChildren<QWidget*>()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        if (text.isEmpty() || !w->isVisible()) continue;
        QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(QString("%1 at %2: %3 < %4").arg(text).arg(width).arg(w->width()).arg(w->sizeHint().width())));
      }
      auto* file = box.findChild<QLineEdit*>("EditFileName");
      QVERIFY(file->width() > file->fontMetrics().horizontalAdvance(file->text()) + 8);
    }
    box.close();
    QCOMPARE(TIniFile(PathToUtf8(SettingsIniPath())).ReadInteger("BlackBox", "TreeHeight", 0), 150);
  }
}

QTEST_MAIN(BoxWindowTest)
#include "BoxWindowTest.moc"
