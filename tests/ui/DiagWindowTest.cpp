// The diagnostics window offscreen against velmor-sim: scanning and opening folders, the grids'
// texts, the watch list, the popup's rules, saving a journal, value edits, the TI/TS/tablo views
// and the debug view; a screenshot of each view.
#include <QDir>
#include <QLabel>
#include <QToolButton>
#include <QMenu>
#include <QFontInfo>
#include <QPushButton>
#include <QLineEdit>
#include <QTimer>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

#include "common/DataFolder.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "app/MainForm.h"
#include "app/MainServices.h"
#include "services/ui/ServiceWindows.h"
#include "diag/DiagKinds.h"
#include "shell/AppContext.h"
#include "shell/ui/AppInfo.h"
#include "diag/ui/FormDiag.h"
#include "diag/ui/DiagService.h"
#include "diag/ui/FormDiagDebug.h"
#include "diag/ui/FrameDiagView.h"
#include "diag/ui/FormDisplay.h"
#include "diag/ui/FrameOsc.h"
#include "diag/ui/FrameTablo.h"
#include "diag/ui/FrameValueMap.h"
#include "link/Velmor_PC.h"
#include "support/ScriptedPrompt.h"
#include "UiTestUtil.h"

using namespace vlm;

class DiagWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanupTestCase();
  void ScanAndOpenFolders();
  void WatchListAndPopupRules();
  void JournalSaveWithTheProposedName();
  void HintsStayTwoSecondsAfterTheRelease();
  void PlusEditIsReadBack();
  void TableViewsFilledFromTheSimulator();
  void DebugViewWritesAtTheDataPointer();
  void ServiceButtonMakesTheWindowOnceAndShowsItModally();
  void MainWindowHasTheDiagnosticsButton();
  void OscilloscopeDrawsTheSimulatorsSignal();
  void DisplayShowsTheSimulatorsScreen();
  void FailedScanClearsTheOldStructure();

 private:
  TDiagObj* Find(const char* path) { return FindByPath(form_->Session().Context(), *form_->Session().Root, path); }
  int RowOf(const QString& name) const;
  QAction* Action(QMenu* menu, const char* name) { return menu->findChild<QAction*>(name); }
  void OpenAndTick(const char* path);
  void Shoot(QWidget* w, const QString& name);
  QTemporaryDir home_, disk_;
  QProcess sim_;
  ScriptedPrompt prompt_;
  TControllerLink link_;
  std::unique_ptr<TFormDiag> form_;
  QTableWidget* grid1_ = nullptr;
  QTableWidget* grid2_ = nullptr;
  QDir out_;
};

void DiagWindowTest::initTestCase() {
  qputenv("VELMOR_HOME", home_.path().toUtf8());
  SetPrompt(&prompt_);
  const int port = test::TestPort(3);
  int oscPort = 0;
  QVERIFY(test::StartSimulator(sim_, 3, port, disk_.path(), &oscPort));
  QVERIFY(oscPort > 0);
  link_.Settings.OscPort = uint16_t(oscPort);
  link_.Settings.DestIP = {127, 0, 0, 3};
  link_.Settings.SelfIP = {127, 0, 0, 1};
  link_.Settings.UdpPort = uint16_t(port);
  link_.Settings.WaitTime = 500;
  form_ = std::make_unique<TFormDiag>(link_);
  form_->resize(1100, 700);
  form_->show();
  QCoreApplication::processEvents();  // the scan that showing the window starts
  grid1_ = form_->findChild<QTableWidget*>("Grid1");
  grid2_ = form_->findChild<QTableWidget*>("Grid2");
  QVERIFY(grid1_ && grid2_);
  const QByteArray env = qgetenv("VELMOR_SCREENSHOTS");
  out_ = QDir(env.isEmpty() ? QStringLiteral(VELMOR_SCREENSHOTS) : QString::fromUtf8(env));
  QVERIFY(out_.mkpath("."));
}

void DiagWindowTest::cleanupTestCase() {
  form_.reset();
  sim_.terminate();
  sim_.waitForFinished(5000);
  SetPrompt(nullptr);
}

void DiagWindowTest::Shoot(QWidget* w, const QString& name) {
  QCoreApplication::processEvents();
  QVERIFY(w->grab().save(out_.filePath(name + ".png")));
}

int DiagWindowTest::RowOf(const QString& name) const {
  for (int r = 0; r < grid1_->rowCount(); ++r)
    if (grid1_->item(r, 2) && grid1_->item(r, 2)->text() == " " + name) return r;
  return -1;
}

void DiagWindowTest::OpenAndTick(const char* path) {
  TDiagObj* obj = Find(path);
  QVERIFY(obj);
  form_->SelectObject(obj);
  form_->TimerWorkTimer();
}

void DiagWindowTest::ScanAndOpenFolders() {
  QVERIFY(prompt_.errors.empty());
  auto* tree = form_->findChild<QTreeWidget*>("TreeView1");
  QCOMPARE(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree->topLevelItem(0);
  QCOMPARE(root->text(0), QString("Контроллер ВЕЛМОР"));
  QCOMPARE(root->child(0)->text(0), QString("Процессор"));
  QVERIFY(root->child(0)->childCount() > 8);  // opened by the scan: ports, tables
  QVERIFY(form_->windowTitle().endsWith(" - Диагностика  IP=127.0.0.3"));
  // The watch list takes its default 40 pixels; the grids are in a fixed-pitch font.
  QCOMPARE(grid2_->height(), 40);
  QVERIFY(QFontInfo(grid1_->font()).fixedPitch());

  OpenAndTick("Процессор");
  QCOMPARE(grid1_->rowCount(), int(form_->Session().CurrentObject->Parameters.size()));
  const int version = RowOf("Версия ПО");
  QVERIFY(version >= 0);
  QCOMPARE(grid1_->item(version, 3)->text(), QString("ВЕЛМОР 4.1.9"));
  QCOMPARE(grid1_->item(version, 1)->text(), QString("."));
  QCOMPARE(grid1_->item(RowOf("IP адрес"), 3)->text(), QString("192.168.2.1"));
  QCOMPARE(grid1_->item(RowOf("Напряжение"), 3)->text().endsWith(" В"), true);
  QCOMPARE(grid1_->item(RowOf("Служебный объект"), 3)->text(), QString("??? Kind=77"));
  QCOMPARE(grid1_->item(RowOf("Температура"), 1)->text(), QString("?"));
  QVERIFY(grid1_->item(RowOf("Система"), 2)->font().bold());
  QCOMPARE(grid1_->horizontalHeaderItem(3)->text(), QString("Значение"));

  QCOMPARE(form_->HelpContext(), 541);  // the processor folder names its own help page
  OpenAndTick("Параметры.Аналоговые");
  QCOMPARE(grid1_->rowCount(), 241);
  QVERIFY(grid1_->item(1, 3)->text().endsWith(" мА"));
}

void DiagWindowTest::WatchListAndPopupRules() {
  OpenAndTick("Процессор.Порт 2");
  TDiagObj* received = Find("Процессор.Порт 2.Принято");
  TDiagObj* speed = Find("Процессор.Порт 2.Скорость");
  QVERIFY(received && speed);
  QMenu* menu = form_->BuildPopup(*received, false);
  QVERIFY(Action(menu, "ItemRead")->isEnabled() && Action(menu, "ItemRead")->isChecked());
  QVERIFY(Action(menu, "ItemHighlight")->isEnabled() && Action(menu, "ItemHighlight")->isChecked());
  QVERIFY(!Action(menu, "ItemShowLog")->isEnabled());
  QCOMPARE(Action(menu, "ItemWatch")->text(), QString("Добавить в окно просмотра"));
  Action(menu, "ItemWatch")->trigger();
  QCOMPARE(grid2_->item(0, 2)->text(), QString(" Порт 2.Счётчики.Принято"));
  QCOMPARE(grid2_->item(0, 1)->text(), QString("x"));

  menu = form_->BuildPopup(*received, true);
  QVERIFY(Action(menu, "ItemShowLog")->isEnabled() && Action(menu, "ItemSaveLog")->isEnabled());
  QCOMPARE(Action(menu, "ItemWatch")->text(), QString("Удалить из окна просмотра"));
  QCOMPARE(Action(menu, "ItemName")->text(), QString("\"Принято\""));
  Action(menu, "ItemShowLog")->trigger();
  QCOMPARE(form_->findChild<QPlainTextEdit*>("MemoLog")->toPlainText().split('\n').first(), QString("Принято"));

  menu = form_->BuildPopup(*speed, false);
  QVERIFY(!Action(menu, "ItemRead")->isEnabled() && !Action(menu, "ItemRead")->isChecked());
  QVERIFY(!Action(menu, "ItemHighlight")->isEnabled());
  QVERIFY(!Action(menu, "ItemWatch")->isEnabled());

  form_->ImageHighLightClick();
  menu = form_->BuildPopup(*received, false);
  QVERIFY(!Action(menu, "ItemHighlight")->isEnabled());
  QVERIFY(!Action(menu, "ItemHighlight")->isChecked());
  form_->ImageHighLightClick();
  received->ReadEnabled = false;
  menu = form_->BuildPopup(*received, false);
  QVERIFY(!Action(menu, "ItemRead")->isChecked());
  QVERIFY(!Action(menu, "ItemHighlight")->isEnabled());
  received->ReadEnabled = true;
  QVERIFY(form_->findChild<QToolButton*>("ImageHighLight")->toolTip().endsWith("(Включено)"));

  form_->TimerWorkTimer();
  Shoot(form_.get(), "diag_window_port");
}

void DiagWindowTest::JournalSaveWithTheProposedName() {
  TDiagObj* received = Find("Процессор.Порт 2.Принято");
  QVERIFY(received && received->ChangeLog);
  QString proposed;
  form_->AskSavePath = [&](const QString& p) {
    proposed = p;
    return QFileInfo(p).absolutePath() + "/журнал";  // a name without extension gets ".log"
  };
  form_->SaveChangeLog(*received);
  QCOMPARE(QFileInfo(proposed).fileName(), QString("Порт 2.Счётчики.Принято.log"));
  QCOMPARE(QFileInfo(proposed).dir().dirName(), QString("Log"));
  QVERIFY(prompt_.errors.empty());
  QFile file(QFileInfo(proposed).absolutePath() + "/журнал.log");
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  QVERIFY(bytes.startsWith(QByteArray::fromStdString(Utf8ToCp1251("Порт 2.Счётчики.Принято\r\n"))));
  QVERIFY(form_->Settings().RecentDirectory == QFileInfo(proposed).absolutePath().toStdString());
}

void DiagWindowTest::PlusEditIsReadBack() {
  OpenAndTick("Процессор.Порт 2");
  const int row = RowOf("Адрес");
  QVERIFY(row >= 0);
  const int before = grid1_->item(row, 3)->text().toInt();
  grid1_->setFocus();
  grid1_->selectRow(row);
  QTest::keyClick(grid1_, '+');
  form_->TimerWorkTimer();
  QCOMPARE(grid1_->item(row, 3)->text().toInt(), before + 10);
}

void DiagWindowTest::TableViewsFilledFromTheSimulator() {
  struct TCase {
    const char* path;
    QSize size;
    const char* shot;
  };
  for (const TCase& c : {TCase{"Процессор.Таблицы МЭК 104.ТИ", QSize(881, 31 * 30 + 1), "diag_ti"},
                         TCase{"Процессор.Таблицы МЭК 104.ТС", QSize(991, 41 * 18 + 1), "diag_ts"},
                         TCase{"Процессор.Таблицы МЭК 104.Табло", QSize(1040, 4000), "diag_tablo"}}) {
    TDiagObj* obj = Find(c.path);
    QVERIFY(obj);
    form_->SelectObject(obj);
    TFrameDiagView* view = form_->ViewFrame();
    QVERIFY(view);
    for (int pass = 0; pass < 2; ++pass) {
      int ticks = 0;
      while (!view->ScanTick() && ++ticks < 1000) {
      }
      QVERIFY(ticks < 1000);
    }
    QCOMPARE(view->Map().size(), c.size);
    QCOMPARE(form_->HelpContext(), TFrameDiagView::HelpContext(obj->Kind()));
    if (auto* map = qobject_cast<TFrameValueMap*>(view)) {
      QVERIFY(map->Table().Values().size() >= 300);
      const bool ti = view->objectName() == "FrameTI104";
      QMenu* popup = map->PopupAt(ti ? QPoint(80 + 5, 30 + 5) : QPoint(90 + 5, 18 + 5));  // first cell, first row
      QVERIFY(popup);
      QVERIFY(popup->actions().first()->text().startsWith("Порт:\t\t"));
    } else if (auto* tablo = qobject_cast<TFrameTablo*>(view)) {
      QCOMPARE(tablo->Tablo().KpSet().size(), size_t(20));
      QCOMPARE(tablo->Tablo().Rows(), 2);
      QVERIFY(tablo->PopupAt(QPoint(101 + 12 - 83 + 2, 12 + 23 + 2)));
    }
    Shoot(form_.get(), c.shot);
  }
  OpenAndTick("Процессор");
  QVERIFY(!form_->ViewFrame());
}

// The hints of the grid stay their 2 s after the button is released (the timer is driven here).
void DiagWindowTest::HintsStayTwoSecondsAfterTheRelease() {
  OpenAndTick("Процессор.Порт 2");
  const int row = RowOf("Принято");
  QVERIFY(row >= 0);
  auto click = [&](int column) {
    const QPoint at = grid1_->visualRect(grid1_->model()->index(row, column)).center();
    QTest::mousePress(grid1_->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid1_->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
  };
  click(0);
  auto* hint = form_->findChild<QLabel*>("HintLabel");
  auto* timer = form_->findChild<QTimer*>("TimerHint");
  QVERIFY(hint && timer);
  QVERIFY(hint->isVisible());
  QCOMPARE(hint->text(), QString("\"Принято\"\nЧтение отключено"));
  QVERIFY(timer->isActive() && timer->isSingleShot());
  QCOMPARE(timer->interval(), 2000);
  QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
  QVERIFY(!hint->isVisible());
  click(0);  // reading on again
  QVERIFY(hint->isVisible() && hint->text().endsWith("Чтение включено"));
  for (const QSize size : {QSize(900, 600), QSize(1366, 768)}) {
    form_->resize(size);
    QCoreApplication::processEvents();
    click(1);
    QVERIFY(hint->isVisible() && hint->text().startsWith("\"Принято\""));
    // The hint is a window of its own: drawn into the window's picture where it stands.
    QPixmap picture = form_->grab();
    QPainter painter(&picture);
    painter.drawPixmap(form_->mapFromGlobal(hint->pos()), hint->grab());
    painter.end();
    QVERIFY(picture.save(out_.filePath(QString("diag_window_hint_%1x%2.png").arg(size.width()).arg(size.height()))));
  }
  form_->resize(1100, 700);
  QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
}

// A scan that finds nothing leaves no row, caption or journal of the structure before it.
void DiagWindowTest::FailedScanClearsTheOldStructure() {
  OpenAndTick("Процессор.Порт 2");
  TDiagObj* received = Find("Процессор.Порт 2.Принято");
  QVERIFY(received);
  Action(form_->BuildPopup(*received, false), "ItemWatch")->trigger();
  Action(form_->BuildPopup(*received, true), "ItemShowLog")->trigger();
  QVERIFY(grid2_->item(0, 2) && !grid2_->item(0, 2)->text().isEmpty());
  auto* caption = form_->findChild<QLabel*>("PanelParam");
  auto* journal = form_->findChild<QPlainTextEdit*>("MemoLog");
  QVERIFY(!caption->text().isEmpty() && !journal->toPlainText().isEmpty());
  const TLinkSettings kept = link_.Settings;
  link_.Settings.UdpPort = uint16_t(test::TestPort(0));  // nobody answers there
  link_.Settings.WaitTime = 20;
  link_.Settings.Attempts = 1;
  prompt_.errors.clear();
  form_->ButtonScanClick();
  link_.Settings = kept;
  QCOMPARE(prompt_.errors.size(), size_t(1));
  QVERIFY(!grid2_->item(0, 2) || grid2_->item(0, 2)->text().isEmpty());
  QVERIFY(caption->text().isEmpty());
  QVERIFY(journal->toPlainText().isEmpty());
  prompt_.errors.clear();
  form_->ButtonScanClick();
  QVERIFY(prompt_.errors.empty());
}

void DiagWindowTest::DebugViewWritesAtTheDataPointer() {
  OpenAndTick("Процессор.Порт 2");
  TDiagObj* address = Find("Процессор.Порт 2.Адрес");
  const int row = RowOf("Адрес");
  grid1_->setFocus();
  grid1_->selectRow(row);
  QTest::keyClick(grid1_, ' ');
  TFormDiagDebug* debug = form_->DebugWindow();
  QVERIFY(debug && debug->isVisible());
  QCOMPARE(debug->Model().Target, address->Header.DataPtr);
  debug->findChild<QPlainTextEdit*>("Memo1")->setPlainText("нет метки\n12:00:01 -->|07\n");
  debug->Timer1Timer();
  QCOMPARE(debug->findChild<QLabel*>("LabelN")->text(), QString("Строка № 2/3"));
  form_->TimerWorkTimer();
  QCOMPARE(grid1_->item(row, 3)->text(), QString("7"));
  Shoot(debug, "diag_debug");
  debug->close();

  // Over the modal diagnostics window the debug view still takes clicks and keys: it is the
  // window's own.
  QCOMPARE(debug->parentWidget(), form_.get());
  form_->hide();
  form_->setWindowModality(Qt::ApplicationModal);
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  QCoreApplication::processEvents();  // the scan of the showing
  OpenAndTick("Процессор.Порт 2");
  grid1_->setFocus();
  grid1_->selectRow(RowOf("Адрес"));
  QTest::keyClick(grid1_, ' ');
  QVERIFY(debug->isVisible());
  QVERIFY(QTest::qWaitForWindowExposed(debug));
  auto* memo = debug->findChild<QPlainTextEdit*>("Memo1");
  memo->clear();
  auto* edit = debug->findChild<QLineEdit*>("Edit1");
  edit->setText("0A");
  QTest::mouseClick(debug->findChild<QPushButton*>("ButtonAdd"), Qt::LeftButton);
  QVERIFY2(memo->toPlainText().contains("0A"), qPrintable(memo->toPlainText()));
  Shoot(debug, "diag_debug_modal");
  debug->close();
  form_->hide();
  form_->setWindowModality(Qt::NonModal);
  form_->show();
  QCoreApplication::processEvents();
}

void DiagWindowTest::ServiceButtonMakesTheWindowOnceAndShowsItModally() {
  QWidget owner;
  QToolButton* button = AddDiagService(
      [&](const QString& name, const QString& hint, const QIcon& icon, std::function<void()> run) {
        auto* b = new QToolButton(&owner);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setIcon(icon);
        QObject::connect(b, &QToolButton::clicked, [run] { run(); });
        return b;
      },
      link_, &owner);
  QCOMPARE(button->objectName(), QString("ButtonDiag"));
  QCOMPARE(button->toolTip(), QString("Сервис \"Диагностика\""));
  QVERIFY(!DiagWindow(&owner));
  TFormDiag* shown = nullptr;
  for (int click = 0; click < 2; ++click) {
    // The modal loop runs the scan the window starts when shown, then the window is closed.
    QTimer::singleShot(0, &owner, [&] {
      QCoreApplication::processEvents();
      shown = DiagWindow(&owner);
      if (shown) shown->close();
    });
    button->click();
    QVERIFY(shown);
    QCOMPARE(DiagWindow(&owner), shown);
    QCOMPARE(shown->findChild<QTreeWidget*>("TreeView1")->topLevelItem(0)->text(0), QString("Контроллер ВЕЛМОР"));
  }
}

void DiagWindowTest::MainWindowHasTheDiagnosticsButton() {
  test::PrepareProgram(home_);
  TAppContext context;
  TFormVLM form(context);
  auto* button = form.findChild<QToolButton*>("ButtonDiag");
  QVERIFY(button);
  QCOMPARE(button->toolTip(), QString("Сервис \"Диагностика\""));
  QVERIFY(!DiagWindow(&form));
  const auto services = AttachServiceWindows(form, context);
  auto* display = form.findChild<QToolButton*>("ButtonDisplay");
  QVERIFY(display);
  QCOMPARE(display->toolTip(), QString("Сервис \"Дисплей\""));
}

// Pixels of a colour in a picture.
static int CountColour(const QImage& image, unsigned windowsColour) {
  const QRgb wanted = WinColor(windowsColour).rgb();
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == wanted;
  return n;
}

void DiagWindowTest::OscilloscopeDrawsTheSimulatorsSignal() {
  OpenAndTick("Процессор.Осциллограф");
  auto* osc = qobject_cast<TFrameOsc*>(form_->ViewFrame());
  QVERIFY(osc);
  QCOMPARE(form_->HelpContext(), 660);
  QCOMPARE(osc->Channel(), uint8_t(1));
  // A third of a second of stream: the plotter gets its first columns.
  QTRY_VERIFY_WITH_TIMEOUT(osc->Stream().Counters().packets >= 32, 10000);
  osc->ScanTick();
  const QImage plot = osc->PlotImage(), scope = osc->OscImage();
  QCOMPARE(plot.size(), QSize(1001, 300));
  QVERIFY(CountColour(plot, 0x00FF00) > 0);  // channel A bars, first line's green
  QVERIFY(CountColour(plot, 0x800080) > 0);  // channel B bars
  QVERIFY(CountColour(scope, 0x00FF00) > 500);  // the sine's polyline
  QVERIFY(CountColour(scope, 0x800080) > 500);  // the ramp's
  auto* smaller = osc->findChild<QToolButton*>("SpeedButtonMinus");
  QVERIFY(!smaller->isEnabled());
  osc->findChild<QToolButton*>("SpeedButtonPlus")->click();
  QCOMPARE(osc->Oscillogram().Divisor, 128);
  QVERIFY(smaller->isEnabled());
  Shoot(form_.get(), "diag_osc");
  const QString saved = osc->SaveTo(QDir(home_.path()).filePath("запись"));
  QVERIFY2(saved.startsWith("Файл: " + QDir(home_.path()).filePath("запись.wav") + "\n\nБайтов: "), qPrintable(saved));
  prompt_.errors.clear();
  QCOMPARE(osc->SaveTo(QDir(home_.path()).filePath("missing/запись")), QString());
  QCOMPARE(prompt_.errors,
           std::vector<std::string>{"Не удалось записать файл " + QDir(home_.path()).filePath("missing/запись.wav").toStdString()});
  osc->ImagePlotMouseDown(0, 0);
  QVERIFY(osc->Paused());
  OpenAndTick("Процессор");
  QVERIFY(!form_->ViewFrame());
}

void DiagWindowTest::DisplayShowsTheSimulatorsScreen() {
  TFormDisplay display(link_);
  display.show();
  QVERIFY(display.windowTitle().endsWith(" - Дисплей  IP=127.0.0.3"));
  QVERIFY(!display.GlyphSource().isEmpty());
  for (int row = 0; row < kScreenRows; row += TScreenReader::RowsPerRequest(link_)) display.TimerWorkTimer();
  const QString text = QString::fromStdString(display.Screen().Text());
  QVERIFY2(text.contains("ВЕЛМОР-DOS 4.1   Контроллер телемеханики"), qPrintable(text));
  const QImage picture = display.Picture();
  QCOMPARE(picture.size(), QSize(640, 500));
  QCOMPARE(picture.pixel(0, 0), WinColor(0xC00000).rgb());  // title bar: blue background
  QCOMPARE(display.RowRuler().pixel(0, 0), WinColor(0x606060).rgb());  // the row read next: 0 again
  Shoot(&display, "display");
  const QString saved = display.SaveTo(QDir(home_.path()).filePath("экран.png"));
  QCOMPARE(saved, QDir(home_.path()).filePath("экран.bmp"));
  QCOMPARE(QFileInfo(saved).size(), qint64(54 + 640 * 500 * 3));
  QCOMPARE(display.SaveTo(QDir(home_.path()).filePath("missing/экран")), QString());
  QCOMPARE(display.findChild<QLabel*>("LabelStatus")->text(),
           "Не удалось записать файл " + QDir(home_.path()).filePath("missing/экран.bmp"));
  display.ImageRunClick();
  QVERIFY(!display.Reading());
  QCOMPARE(display.findChild<QToolButton*>("ImageRun")->toolTip(), QString("Включить/Отключить чтение (Отключено)"));

  // A folder where the settings file should be: closing the diagnostics window says so.
  const std::filesystem::path ini = SettingsIniPath();
  std::filesystem::remove(ini);
  std::filesystem::create_directory(ini);
  prompt_.errors.clear();
  form_->close();
  std::filesystem::remove(ini);
  QCOMPARE(prompt_.errors, std::vector<std::string>{"Не удалось записать файл настроек " + PathToUtf8(ini)});
}

QTEST_MAIN(DiagWindowTest)
#include "DiagWindowTest.moc"
