// The main window offscreen: the tree and its menus, cards and their frames, delete, drag and
// sort rules, files, the controller (velmor-sim) and the settings.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QScrollArea>
#include <QSplitter>
#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <set>

#include "app/DiffDialog.h"
#include "app/MainForm.h"
#include "cfgdiff/ConfigDiff.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/Prompt.h"
#include "link/ExchangeLog.h"
#include "link/FakeController.h"
#include "link/LinkTransport.h"
#include "link/ServiceRequests.h"
#include "model/Cards.h"
#include "model/Config.h"
#include "model/Kinds.h"
#include "model/ui/FrameComPort.h"
#include "model/ui/FrameProcessor.h"
#include "model/ui/FrameStation.h"
#include "model/ui/ModelFrames.h"
#include "model/ui/TreeModel.h"
#include "model/ui/TreeView.h"
#include "ports/PortKind.h"
#include "ports/ui/ReaddrFrame.h"
#include "ports/ui/ReaddrFrames.h"
#include "ports/ui/ReaddrPage.h"
#include "ports/ui/ReaddrTable.h"
#include "shell/AppContext.h"
#include "shell/IpList.h"
#include "shell/ui/FleetBackupDlg.h"
#include "shell/ui/Options.h"
#include "shell/ui/Frame.h"
#include "shell/ui/HelpWindow.h"
#include "shell/ui/Traffic.h"
#include "shell/HelpTopics.h"
#include "blackbox/ui/FormBox.h"
#include "blackbox/ui/FormTavikLog.h"
#include "diag/DiagMemory.h"
#include "diag/ui/FormDiag.h"
#include "diag/ui/FormDiagDebug.h"
#include "diag/ui/FormDisplay.h"
#include "ports/PointKind.h"
#include "ports/ui/PortFrames.h"
#include "ports/ui/ReaddrEdit.h"
#include "ports/ui/ReaddrModel.h"
#include "services/ui/VLM_Reset.h"
#include "services/ui/VLM_ServAuto.h"
#include "services/ui/VLM_ServFiles.h"
#include "services/ui/VLM_ServFilesView.h"
#include "services/ui/VLM_ServUpload.h"
#include "support/ScriptedPrompt.h"
#include "UiTestUtil.h"

using namespace vlm;

namespace {

// The data lengths of the write-block frames; a retry of the same block (the link repeats a
// block whose answer it doubts) is one block.
struct TBlockSpy : ILinkObserver {
  std::vector<int> writeBlocks;
  int frames = 0;
  uint32_t lastOffset = ~0u;
  void FrameSent(std::span<const uint8_t> frame) override {
    ++frames;
    if (frame.size() <= 23 || frame[1] != kCmdWriteBlock) return;
    const uint32_t offset = frame[15] | frame[16] << 8 | frame[17] << 16 | uint32_t(frame[18]) << 24;
    if (offset != lastOffset) writeBlocks.push_back(frame[23]);
    lastOffset = offset;
  }
  void ResponseReceived(std::span<const uint8_t>, bool) override {}
};

QStringList MenuTexts(QMenu* menu) {
  QStringList texts;
  for (QAction* a : menu->actions()) texts << (a->isSeparator() ? "-" : a->text());
  return texts;
}

QStringList ChildTexts(const TTreeNode* node) {
  QStringList texts;
  for (const auto& child : node->Children()) texts << QString::fromStdString(child->Text());
  return texts;
}

// A controller that answers every request at once but never a written block: a configuration
// write that fails once it has begun.
class TNoWriteTransport : public ILinkTransport {
 public:
  TNoWriteTransport(test::TFakeController& controller, int& writes) : controller_(controller), writes_(writes) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t> frame) override {
    pending_.clear();
    return SendAhead(frame);
  }
  bool SendAhead(std::span<const uint8_t> frame) override {
    if (frame[1] == 0x96) ++writes_;
    else pending_.push_back(controller_.Answer(frame));
    return true;
  }
  TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const TAnswerFilter& filter,
                    const std::function<void()>&) override {
    while (!pending_.empty()) {
      const std::vector<uint8_t> answer = std::move(pending_.front());
      pending_.erase(pending_.begin());
      const TAnswerVerdict verdict = filter ? filter(answer) : TAnswerVerdict::Take;
      if (answer.empty() || verdict == TAnswerVerdict::Ignore || verdict == TAnswerVerdict::Echo) continue;
      std::copy_n(answer.begin(), std::min(answer.size(), into.size()), into.begin());
      return {verdict == TAnswerVerdict::Take ? TReceiveEnd::Answer : TReceiveEnd::Rejected,
              std::min(answer.size(), into.size())};
    }
    return {};
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    return 0;
  }

 private:
  test::TFakeController& controller_;
  int& writes_;  // blocks written (and never answered)
  std::vector<std::vector<uint8_t>> pending_;
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void NewConfigurationTextsAndMenus();
  void CardsWithPortsAndAddresses();
  void DeleteRules();
  void DragRules();
  void Sorting();
  void OpenRefusesTooLargeFile();
  void RowsPastCapacityAreAnnouncedOnOpen();
  void FailedReadShowsOneMessage();
  void EditsSurviveAFailedOpenAndAreOfferedForSaving();
  void WriteAsksOnceAboutTableFaults();
  void TreeShowsWholeCaptionsAndFirstStartWidth();
  void FramesScrollAndTheTreeKeepsItsWidth();
  void SaveAddsExtensionOnlyWhenMissing();
  void SerialPortGapColours();
  void WriteAndReadThroughSimulator();
  void ReadShowsSimulatorConfiguration();
  void NoToWriteQuestionWritesNothing();
  void WriteShowsTheDifferencesFirst();
  void FailedWriteKeepsWhatTheControllerHeldAndOffersToWriteAgain();
  void BackupOfAllControllersShowsEachResult();
  void SettingsSurviveRestart();
  void HelpFollowsTheFrame();
  void EveryWindowAndFrameHasItsOwnHelpPage();
  void StationAndProcessorFrames();
  void RefusingFrameKeepsItsRowsAndNode();
  void F1InTheSettingsDialogOpensItsPage();

 private:
  TCardRS* AddCard(const char* action);
  // Numbers the processor through its frame (reading an image names the nodes the same way).
  void NameProcessor(int number);
  QTemporaryDir home_;
  ScriptedPrompt prompt_;
  std::unique_ptr<PromptGuard> guard_;
  std::unique_ptr<TAppContext> ctx_;
  std::unique_ptr<TFormVLM> form_;
};

void MainWindowTest::initTestCase() {
  test::PrepareProgram(home_);
  RegisterPortFrames();
  RegisterReaddrFrames();
}

void MainWindowTest::init() {
  std::filesystem::remove_all(DataSubfolder("Cfg"));
  prompt_ = ScriptedPrompt();
  guard_ = std::make_unique<PromptGuard>(prompt_);
  ctx_ = std::make_unique<TAppContext>();
  form_ = std::make_unique<TFormVLM>(*ctx_);
  form_->show();
}

void MainWindowTest::cleanup() {
  form_.reset();
  ctx_.reset();
  guard_.reset();
}

TCardRS* MainWindowTest::AddCard(const char* action) {
  form_->Select(form_->Station()->Node->Child(0));
  form_->Action(action)->trigger();
  return dynamic_cast<TCardRS*>(form_->SelectedNode()->Object());
}

void MainWindowTest::NameProcessor(int number) {
  form_->Select(form_->Station()->Node->Child(0)->Child(0));
  form_->CurrentFrame()->findChild<QSpinBox*>("SpinEditNumber")->setValue(number);
}

void MainWindowTest::NewConfigurationTextsAndMenus() {
  const TTreeNode* root = form_->Tree().Root();
  QCOMPARE(test::TreeText(*root), std::string("СТАНЦИЯ ПУ\n  Контроллер\n    Процессор\n"));
  QVERIFY(form_->windowTitle().startsWith("Конфигуратор ВЕЛМОР  Версия: 4.1.9  IP=0.0.0.0"));
  QCOMPARE(form_->Action("ActionSave")->shortcut(), QKeySequence(Qt::Key_F2));
  QCOMPARE(form_->Action("ActionOpen")->shortcut(), QKeySequence(Qt::Key_F3));
  QCOMPARE(form_->Action("ActionHelp")->shortcut(), QKeySequence(Qt::Key_F1));
  QVERIFY(qobject_cast<TFrameStation*>(form_->CurrentFrame()));

  QCOMPARE(MenuTexts(form_->PopupMenuFor(form_->Station())),
           QStringList({"Добавить контроллер", "-", "Создать новую конфигурацию", "-",
                        "Читать конфигурацию из файла...", "Читать конфигурацию из контроллера", "-",
                        "Сохранить конфигурацию в файле...", "Записать конфигурацию в контроллер"}));
  TObj* controller = root->Child(0)->Object();
  QCOMPARE(MenuTexts(form_->PopupMenuFor(controller)),
           QStringList({"Добавить плату ПВС", "Добавить плату 5554", "Добавить плату 5558",
                        "Добавить плату ППИ", "-", "Сортировать Платы по адресу", "-", "Удалить"}));
  const QStringList processor = MenuTexts(form_->PopupMenuFor(root->Child(0)->Child(0)->Object()));
  QCOMPARE(processor.first(), QString("Добавить Порт Активный"));
  QCOMPARE(processor.last(), QString("Сортировать Порты по номеру"));
  QVERIFY(!processor.contains("Добавить Порт 104 (Ethernet, МЭК104)"));

  // No service button without its window; a window that exists adds its own.
  QVERIFY(!form_->findChild<QToolButton*>("ButtonFiles"));
  bool ran = false;
  QToolButton* files = form_->AddServiceButton("ButtonFiles", "Сервис \"Обмен файлами\"", {}, [&] { ran = true; });
  files->click();
  QVERIFY(ran);

  // A processor number typed into the frame renames both nodes.
  form_->Select(root->Child(0)->Child(0));
  form_->CurrentFrame()->findChild<QSpinBox*>("SpinEditNumber")->setValue(7);
  QCOMPARE(test::TreeText(*root), std::string("СТАНЦИЯ ПУ\n  Контроллер (№7)\n    №7 Процессор\n"));
}

void MainWindowTest::CardsWithPortsAndAddresses() {
  TCardRS* card = AddCard("ActionNewCard5554");
  QVERIFY(card);
  QCOMPARE(ChildTexts(card->Node), QStringList({"COM-порт 255.1 (RS-232)", "COM-порт 255.2 (RS-232)",
                                                "COM-порт 255.3 (RS-232)", "COM-порт 255.4 (RS-232)"}));
  auto* addr = form_->CurrentFrame()->findChild<QListWidget*>("ListBoxAddr");
  QCOMPARE(addr->item(1)->text(), QString(" 4, 5"));
  addr->itemClicked(addr->item(1));  // address 4
  QCOMPARE(QString::fromStdString(card->Node->Text()), QString("Плата 5554 (A4)"));
  QCOMPARE(ChildTexts(card->Node).join('|'),
           QString("COM-порт 4.1 (RS-232)|COM-порт 4.2 (RS-232)|COM-порт 4.3 (RS-232)|COM-порт 4.4 (RS-232)"));
  TController* controller = card->Controller;
  QCOMPARE(controller->AddrUseCount(4), 1);
  QCOMPARE(controller->AddrUseCount(5), 1);
  QCOMPARE(addr->item(1)->foreground().color(), QColor(128, 128, 128));
  addr->itemClicked(addr->item(2));  // moved to 8
  QCOMPARE(ChildTexts(card->Node).first(), QString("COM-порт 8.1 (RS-232)"));
  QCOMPARE(controller->AddrUseCount(4), 0);
  QCOMPARE(controller->AddrUseCount(9), 1);

  // A second card on a taken address is accepted after the question and drawn red.
  TCardRS* ppi = AddCard("ActionNewCardPPI");
  QCOMPARE(int(ppi->PortCount), 4);
  auto* ppiAddr = form_->CurrentFrame()->findChild<QListWidget*>("ListBoxAddr");
  ppiAddr->itemClicked(ppiAddr->item(4));  // 8, 9
  QCOMPARE(prompt_.questions.size(), size_t(2));
  QVERIFY(prompt_.questions[0].starts_with("Базовый адрес 8 уже занят"));
  QCOMPARE(ppiAddr->item(4)->foreground().color(), QColor(255, 0, 0));
  // The controller frame draws the shared addresses red and a free one black.
  form_->Select(controller->Node);
  auto* addrGrid = form_->CurrentFrame()->findChild<QTableWidget*>("StringGridAddr");
  QCOMPARE(addrGrid->item(8, 0)->foreground().color(), QColor(255, 0, 0));
  QCOMPARE(addrGrid->item(9, 0)->foreground().color(), QColor(255, 0, 0));
  QCOMPARE(addrGrid->item(1, 0)->foreground().color(), QColor(Qt::black));
  // Every PPI port may switch to RS-485: the frame shows the interface list on each.
  form_->Select(ppi->Node->Child(0));
  QVERIFY(!form_->CurrentFrame()->findChild<QComboBox*>("ComboBoxInterface")->isHidden());

  TCardRS* c5558 = AddCard("ActionNewCard5558");
  QCOMPARE(int(c5558->Node->Count()), 8);
  form_->Select(c5558->Node->Child(0));
  QVERIFY(form_->CurrentFrame()->findChild<QComboBox*>("ComboBoxInterface")->isHidden());
  form_->Select(c5558->Node->Child(2));
  auto* iface = form_->CurrentFrame()->findChild<QComboBox*>("ComboBoxInterface");
  QVERIFY(!iface->isHidden());
  iface->setCurrentIndex(1);
  QCOMPARE(QString::fromStdString(c5558->Node->Child(2)->Text()), QString("COM-порт 255.3 (RS-485)"));

  form_->Select(form_->Station()->Node->Child(0));
  form_->Action("ActionNewCardPVS")->trigger();
  auto* pvs = dynamic_cast<TCardPVS*>(form_->SelectedNode()->Object());
  QVERIFY(pvs);
  form_->CurrentFrame()->findChild<QListWidget*>("ListBoxAddr")->itemClicked(
      form_->CurrentFrame()->findChild<QListWidget*>("ListBoxAddr")->item(3));
  QCOMPARE(ChildTexts(pvs->Node), QStringList({"Модемный порт 3.1"}));
  QCOMPARE(int(pvs->Modem->GetHardNumber()), 0x31);
  form_->Select(form_->Station()->Node->Child(0));
  form_->Action("ActionNewCardUNIO96")->trigger();
  QCOMPARE(QString::fromStdString(form_->SelectedNode()->Text()), QString("Плата UNIO96 (A255)"));

  // The controller frame lists the 5554 on addresses 8 and 9 next to the PPI.
  form_->Select(controller->Node);
  auto* grid = form_->CurrentFrame()->findChild<QTableWidget*>("StringGridAddr");
  QCOMPARE(grid->item(9, 1)->text(), QString(" Плата 5554 (A8) Плата ППИ (A8)"));
}

void MainWindowTest::DeleteRules() {
  TTreeNode* station = form_->Station()->Node;
  form_->Select(station->Child(0));
  form_->Action("ActionDelete")->trigger();
  QCOMPARE(prompt_.errors, std::vector<std::string>{"Вы не можете удалить единственный контроллер."});
  QCOMPARE(int(station->Count()), 1);

  form_->Select(station);
  form_->Action("ActionNewController")->trigger();
  form_->Select(station->Child(0));
  prompt_.answers = {TAnswer::No, TAnswer::Yes};
  form_->Action("ActionDelete")->trigger();
  QCOMPARE(int(station->Count()), 2);
  QCOMPARE(prompt_.questions.back(), std::string("Вы действительно хотите удалить\rКонтроллер?"));
  form_->Action("ActionDelete")->trigger();
  QCOMPARE(int(station->Count()), 1);
  // The processor offers no delete at all.
  QVERIFY(!MenuTexts(form_->PopupMenuFor(station->Child(0)->Child(0)->Object())).contains("Удалить"));
}

void MainWindowTest::DragRules() {
  TCardRS* a = AddCard("ActionNewCard5554");
  TCardRS* b = AddCard("ActionNewCard5558");
  TTreeNode* controller = a->Node->Parent();
  TTreeNode* processor = controller->Child(0);
  QVERIFY(!CanDrop(a->Node, processor));
  QVERIFY(!CanDrop(processor, a->Node));
  QVERIFY(!CanDrop(a->Node, a->Node->Child(0)));  // not a sibling
  QVERIFY(form_->DropNode(b->Node, a->Node));
  QCOMPARE(controller->Child(1), b->Node);
  QCOMPARE(controller->Child(2), a->Node);

  // Ports of two processors never trade places.
  form_->Select(processor);
  form_->Action("ActionNewPortActive")->trigger();
  TTreeNode* port1 = form_->SelectedNode();
  form_->Select(form_->Station()->Node);
  form_->Action("ActionNewController")->trigger();
  TTreeNode* processor2 = form_->Station()->Node->Child(1)->Child(0);
  form_->Select(processor2);
  form_->Action("ActionNewPortPassive")->trigger();
  QVERIFY(!CanDrop(form_->SelectedNode(), port1));
  QVERIFY(!form_->DropNode(form_->SelectedNode(), port1));
  // Controllers may be reordered.
  QVERIFY(CanDrop(form_->Station()->Node->Child(1), form_->Station()->Node->Child(0)));
}

void MainWindowTest::Sorting() {
  const uint8_t addresses[] = {8, 0, 4};
  for (uint8_t address : addresses) AddCard("ActionNewCard5554")->SetAddress(address);
  TTreeNode* controller = form_->Station()->Node->Child(0);
  form_->Select(controller);
  form_->Action("ActionSortCards")->trigger();
  QCOMPARE(ChildTexts(controller), QStringList({"Процессор", "Плата 5554 (A0)", "Плата 5554 (A4)", "Плата 5554 (A8)"}));

  TTreeNode* processor = controller->Child(0);
  for (uint8_t number : {3, 1, 2}) {
    form_->Select(processor);
    form_->Action("ActionNewPortTime")->trigger();
    dynamic_cast<TSoftPort*>(form_->SelectedNode()->Object())->Number = number;
  }
  form_->Select(processor);
  form_->Action("ActionSortPorts")->trigger();
  for (int i = 0; i < 3; ++i)
    QCOMPARE(int(dynamic_cast<TSoftPort*>(processor->Child(i)->Object())->Number), i + 1);
}

void MainWindowTest::OpenRefusesTooLargeFile() {
  const QString path = home_.filePath("big.cfg");
  QVERIFY(WriteFileAtomically(path.toStdU16String(), std::string(64002, '\0')));
  form_->Guarded([&] { form_->OpenFile(path); });
  QCOMPARE(prompt_.errors, std::vector<std::string>{"Слишком большой файл: 64002\r" + path.toStdString()});
  QVERIFY(!form_->Reading());
  QCOMPARE(int(form_->Station()->Node->Count()), 1);  // the configuration on screen stays

  // A folder in place of a file: a message with its name, nothing escapes the action.
  prompt_.errors.clear();
  form_->Guarded([&] { form_->OpenFile(home_.path()); });
  QCOMPARE(prompt_.errors, std::vector<std::string>{"Не удалось прочитать файл " + home_.path().toStdString()});
  QVERIFY(!form_->Reading());
}

void MainWindowTest::RowsPastCapacityAreAnnouncedOnOpen() {
  // An image written by a table that held more than today's capacity (300 TS rows for 256).
  TTreeNode* processor = form_->Station()->Node->Child(0)->Child(0);
  TObj* obj = Kinds().Create(TKindFamily::Port, 3, *processor);
  auto* port = dynamic_cast<TDataPort*>(obj);
  QVERIFY(port);
  static TRowTableDef wide = port->Tables[0].Def();
  wide.capacity = 300;
  port->Tables[0] = TRowTable(wide);
  QVERIFY(port->Tables[0].SetRows(std::vector<uint8_t>(300 * 5, 1)));
  const QString path = home_.filePath("wide.cfg");
  form_->Guarded([&] { form_->SaveFile(path); });
  prompt_.errors.clear();
  form_->Guarded([&] { form_->OpenFile(path); });
  QCOMPARE(prompt_.errors.size(), size_t(1));
  QVERIFY2(prompt_.errors[0].starts_with("Конфигурация считана не полностью:\r\r"), prompt_.errors[0].c_str());
  QVERIFY(prompt_.errors[0].find("В образе 300 записей, таблица вмещает 256") != std::string::npos);
  QCOMPARE(form_->ReadFromLabel(), "Считано из " + path);
}

void MainWindowTest::WriteAsksOnceAboutTableFaults() {
  TTreeNode* processor = form_->Station()->Node->Child(0)->Child(0);
  auto* board = dynamic_cast<TDataPort*>(Kinds().Create(TKindFamily::Port, 5, *processor));
  QVERIFY(board);
  const std::vector<uint8_t> lamp{1, 2, 3, 0x80, 0x05, 7, 0x01, 1};
  std::vector<uint8_t> twice = lamp;
  twice.insert(twice.end(), lamp.begin(), lamp.end());
  QVERIFY(board->Tables[0].SetRows(twice));
  prompt_.answers = {TAnswer::No};
  form_->Guarded([&] { form_->WriteToController(true); });
  QCOMPARE(prompt_.questions.size(), size_t(1));
  QVERIFY2(prompt_.questions[0].starts_with("В конфигурации найдены ошибки:\r\r"), prompt_.questions[0].c_str());
  QVERIFY(prompt_.questions[0].find("Строки 1 и 2 ") != std::string::npos);
  QVERIFY(prompt_.questions[0].ends_with("Продолжить запись в контроллер?"));
  QCOMPARE(form_->WrittenToLabel(), QString());
}

void MainWindowTest::TreeShowsWholeCaptionsAndFirstStartWidth() {
  // No settings file: the tree is as wide as the station caption, not 70 pixels.
  QVERIFY(!std::filesystem::exists(SettingsIniPath()));
  auto* splitter = form_->findChild<QSplitter*>();
  TConfigTreeView* view = form_->TreeView();
  const QModelIndex station = view->model()->index(0, 0);
  const int captionWidth = view->fontMetrics().horizontalAdvance("СТАНЦИЯ ПУ");
  QVERIFY2(splitter->sizes().value(0) > captionWidth, std::to_string(splitter->sizes().value(0)).c_str());
  // ... and as the captions of the cards and ports added next under the controller and processor.
  const int portWidth = 3 * view->indentation() + view->fontMetrics().horizontalAdvance("№1 Порт Активный");
  QVERIFY2(splitter->sizes().value(0) > portWidth, std::to_string(splitter->sizes().value(0)).c_str());
  // A long caption widens the column (the tree scrolls sideways) and shows whole in its tooltip.
  form_->Station()->Place = "ПС 110 кВ Северная, ячейка 12, шкаф телемеханики";
  form_->Station()->UpdateNode();
  QCoreApplication::processEvents();
  QVERIFY(view->header()->sectionSize(0) >= static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(0));
  QVERIFY(view->header()->sectionSize(0) > view->viewport()->width());
  QCOMPARE(station.data(Qt::ToolTipRole).toString(), "СТАНЦИЯ ПУ " + QString::fromStdString(form_->Station()->Place));
  // A saved width stays as it was.
  prompt_.answers = {TAnswer::No};  // the changed place is not saved
  form_->close();
  form_.reset();
  TIniFile ini(SettingsIniPath().string());
  ini.WriteInteger("Velmor", "TreeWidth", 70);
  QVERIFY(ini.UpdateFile());
  ctx_ = std::make_unique<TAppContext>();
  form_ = std::make_unique<TFormVLM>(*ctx_);
  QCOMPARE(form_->findChild<QSplitter*>()->sizes().value(0), 70);
  std::filesystem::remove(SettingsIniPath());
}

// At the default 900x600 a frame taller or wider than the room scrolls: it is neither pressed
// together nor does it take the tree's width.
void MainWindowTest::FramesScrollAndTheTreeKeepsItsWidth() {
  form_->resize(900, 600);
  auto* splitter = form_->findChild<QSplitter*>();
  splitter->setSizes({200, 700});
  QCoreApplication::processEvents();
  TTreeNode* processor = form_->Station()->Node->Child(0)->Child(0);
  form_->Select(processor);
  form_->Action("ActionNewPortActive")->trigger();
  TTreeNode* port = form_->SelectedNode();
  for (const char* action : {"ActionNewPointSIRIUS", "ActionNewPointTM120"}) {
    form_->Select(port);
    form_->Action(action)->trigger();
    QCoreApplication::processEvents();
    QVERIFY(form_->CurrentFrame());
    QCOMPARE(splitter->sizes().value(0), 200);
    const QSize need = form_->CurrentFrame()->minimumSizeHint();
    QVERIFY2(form_->CurrentFrame()->height() >= need.height() && form_->CurrentFrame()->width() >= need.width(), action);
  }
  form_->Select(port);
  QCoreApplication::processEvents();
  QCOMPARE(splitter->sizes().value(0), 200);
  QVERIFY(form_->findChild<QScrollArea*>("ScrollBoxRight"));
}

void MainWindowTest::FailedReadShowsOneMessage() {
  TLinkSettings& s = ctx_->Link.Settings;
  s.LinkMode = kLinkUdp;
  s.UdpPort = uint16_t(test::TestPort(3));  // nobody answers there
  s.DestIP = {127, 0, 0, 62};
  s.SelfIP = {127, 0, 0, 1};
  s.WaitTime = 20;
  s.Attempts = 1;
  s.ShowErrors = 1;
  NameProcessor(9);
  const std::string edited = test::TreeText(*form_->Tree().Root());
  form_->Guarded([&] { form_->ReadFromController(true); });
  QCOMPARE(prompt_.errors.size(), size_t(1));
  // A silent controller is "no answer", never a missing configuration.
  QVERIFY2(prompt_.errors[0].starts_with("Ошибка при чтении файла конфигурации из контроллера.\rКонтроллер не отвечает."),
           prompt_.errors[0].c_str());
  QCOMPARE(test::TreeText(*form_->Tree().Root()), edited);  // the edits are not lost
}

void MainWindowTest::EditsSurviveAFailedOpenAndAreOfferedForSaving() {
  const QString good = home_.filePath("good.cfg"), damaged = home_.filePath("damaged.cfg");
  form_->SaveFile(good);
  form_->OpenFile(good);
  std::string bytes;
  QVERIFY(ReadWholeFile(good.toStdU16String(), bytes));
  bytes[kHeaderSize + 1] = char(0x77);  // the station container's id
  QVERIFY(WriteFileAtomically(damaged.toStdU16String(), bytes));
  NameProcessor(7);
  const std::string edited = test::TreeText(*form_->Tree().Root());

  // A damaged file: its message, and the edited tree and its label stay.
  form_->Guarded([&] { form_->OpenFile(damaged); });
  QCOMPARE(prompt_.errors.size(), size_t(1));
  QCOMPARE(test::TreeText(*form_->Tree().Root()), edited);
  QCOMPARE(form_->ReadFromLabel(), "Считано из " + good);

  // New, Open and closing ask about the change; "Отмена" keeps everything.
  const std::string question = "Конфигурация изменена и не сохранена.\r\rСохранить изменения в файле?";
  prompt_.answers = {TAnswer::Cancel, TAnswer::Cancel, TAnswer::Cancel};
  form_->Action("ActionNew")->trigger();
  form_->Action("ActionOpen")->trigger();
  QVERIFY(!form_->close());
  QCOMPARE(prompt_.questions, std::vector<std::string>(3, question));
  QCOMPARE(test::TreeText(*form_->Tree().Root()), edited);
  QVERIFY(form_->isVisible());

  // "Да" saves through the save dialog first, then the open dialog comes.
  const QString kept = home_.filePath("kept.cfg");
  QStringList dialogs;
  QTimer dialogHand;
  connect(&dialogHand, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->isHidden()) return;
    dialogs << dialog->windowTitle();
    if (dialog->acceptMode() == QFileDialog::AcceptSave) {
      // selectFile leaves the name field alone once it has the focus: the name is typed in.
      auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
      QVERIFY(name);
      name->setText(kept);
      static_cast<QDialog*>(dialog)->accept();
    } else {
      dialog->reject();
    }
  });
  dialogHand.start(20);
  prompt_.answers = {TAnswer::Yes};
  form_->Action("ActionOpen")->trigger();
  dialogHand.stop();
  QCOMPARE(dialogs, QStringList({"Конфигуратор ВЕЛМОР - Сохранить файл конфигурации",
                                 "Конфигуратор ВЕЛМОР - Открыть файл конфигурации"}));
  QCOMPARE(form_->WrittenToLabel(), "Записано в " + kept);

  // Saved: New asks nothing more; "Нет" lets an unsaved change go.
  const size_t asked = prompt_.questions.size();
  form_->Action("ActionNew")->trigger();
  QCOMPARE(prompt_.questions.size(), asked);
  NameProcessor(8);
  prompt_.answers = {TAnswer::No};
  QVERIFY(form_->close());
  QCOMPARE(prompt_.questions.size(), asked + 1);
  std::filesystem::remove(SettingsIniPath());  // written by the close
}

void MainWindowTest::SaveAddsExtensionOnlyWhenMissing() {
  QCOMPARE(WithCfgExtension("/tmp/a/conf"), QString("/tmp/a/conf.cfg"));
  QCOMPARE(WithCfgExtension("/tmp/a.b/conf"), QString("/tmp/a.b/conf.cfg"));
  QCOMPARE(WithCfgExtension("/tmp/a/conf.txt"), QString("/tmp/a/conf.txt"));

  form_->Station()->Place = "Подстанция";
  form_->Station()->UpdateNode();
  NameProcessor(5);
  form_->SaveFile(home_.filePath("saved"));
  QVERIFY(QFile::exists(home_.filePath("saved.cfg")));
  QCOMPARE(form_->WrittenToLabel(), "Записано в " + home_.filePath("saved.cfg"));
  // Opening it again gives the same tree and the label of the source.
  const std::string before = test::TreeText(*form_->Tree().Root());
  form_->OpenFile(home_.filePath("saved.cfg"));
  QCOMPARE(QString::fromStdString(test::TreeText(*form_->Tree().Root())), QString::fromStdString(before));
  QCOMPARE(form_->ReadFromLabel(), "Считано из " + home_.filePath("saved.cfg"));
}

void MainWindowTest::SerialPortGapColours() {
  TCardRS* card = AddCard("ActionNewCard5554");
  form_->Select(card->Node->Child(0));
  TFrame* frame = form_->CurrentFrame();
  QVERIFY(qobject_cast<TFrameComPort*>(frame));
  auto* panel = frame->findChild<QLabel*>("PanelGap");
  auto* gap = frame->findChild<QSpinBox*>("SpinEditGap");
  QCOMPARE(frame->findChild<QLabel*>("LabelFrameBits")->text(), QString("11"));
  gap->setValue(2);
  QCOMPARE(panel->text(), QString("     2.146"));
  QCOMPARE(panel->palette().color(QPalette::Window), QColor(255, 0, 0));
  gap->setValue(3);
  QCOMPARE(panel->palette().color(QPalette::Window), QColor(0, 128, 0));
  QCOMPARE(int(card->Ports[0]->GapTime), 3);  // stored at once
  // FIFO 14 at 115200 with one stop bit: 1000 / 115200 * (10 * 13 + 44).
  frame->findChild<QComboBox*>("ComboBoxSpeed")->setCurrentText("115200");
  frame->findChild<QSpinBox*>("SpinEditStopBits")->setValue(1);
  frame->findChild<QComboBox*>("ComboBoxFifo")->setCurrentText("14");
  QCOMPARE(panel->text(), QString("     1.510"));
  QCOMPARE(card->Ports[0]->Speed, 9600);  // the rest waits for Apply
  QCOMPARE(frame->Apply(), 0);
  QCOMPARE(card->Ports[0]->Speed, 115200);
  QCOMPARE(int(card->Ports[0]->FifoLevel), 14);
}

void MainWindowTest::WriteAndReadThroughSimulator() {
  const int port = test::TestPort(0);
  QProcess sim;
  QVERIFY(test::StartSimulator(sim, 61, port, home_.filePath("disk")));
  TLinkSettings& s = ctx_->Link.Settings;
  s.LinkMode = kLinkUdp;
  s.UdpPort = uint16_t(port);
  s.DestIP = {127, 0, 0, 61};
  s.SelfIP = {127, 0, 0, 1};
  s.WaitTime = 1000;
  TBlockSpy spy;
  ctx_->Link.AddObserver(&spy);

  NameProcessor(5);
  // Grow the place until the image is exactly 231 bytes.
  TStation* station = form_->Station();
  station->Place = "A/B:x";
  station->WriteConfig(ctx_->Image);
  const size_t xs = 231 - ctx_->Image.ConfigSize + 1;
  QVERIFY2(xs >= 1 && xs < 200, std::to_string(xs).c_str());
  station->Place = "A/B:" + std::string(xs, 'x');
  station->UpdateNode();
  station->WriteConfig(ctx_->Image);
  QCOMPARE(int(ctx_->Image.ConfigSize), 231);
  const std::vector<uint8_t> written(ctx_->Image.Image().begin(), ctx_->Image.Image().end());
  const std::string tree = test::TreeText(*form_->Tree().Root());

  form_->ConfirmDifferences = [](const TConfigDiff&) { return true; };
  form_->Guarded([&] { form_->WriteToController(true); });
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  QCOMPARE(spy.writeBlocks, std::vector<int>({230, 1}));
  QCOMPARE(form_->WrittenToLabel(), QString("Записано в контроллер"));
  // The backup copy holds the image under the place without its slash and colon.
  const auto backups = QDir(QString::fromStdString(DataSubfolder("Cfg").string())).entryList({"*.cfg"});
  QCOMPARE(backups.size(), 1);
  QVERIFY(backups[0].endsWith(" AB" + QString(int(xs), 'x') + ".cfg"));

  form_->NewConfiguration();
  form_->Guarded([&] { form_->ReadFromController(true); });
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  QCOMPARE(QString::fromStdString(test::TreeText(*form_->Tree().Root())), QString::fromStdString(tree));
  QCOMPARE(form_->ReadFromLabel(), QString("Считано из контроллера"));
  QVERIFY(std::equal(written.begin(), written.end(), ctx_->Image.Data()));
  QVERIFY(form_->CurrentFrame());  // reading is over: the station frame is back
  ctx_->Link.RemoveObserver(&spy);
  sim.terminate();
  sim.waitForFinished(3000);
}

void MainWindowTest::ReadShowsSimulatorConfiguration() {
  const int port = test::TestPort(1);
  QProcess sim;
  QVERIFY(test::StartSimulator(sim, 62, port, home_.filePath("disk2")));
  TLinkSettings& s = ctx_->Link.Settings;
  s.UdpPort = uint16_t(port);
  s.DestIP = {127, 0, 0, 62};
  s.SelfIP = {127, 0, 0, 1};
  s.WaitTime = 1000;
  form_->Guarded([&] { form_->ReadFromController(false); });
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  const TTreeNode* station = form_->Tree().Root();
  QVERIFY(station->Count() >= 1);
  QVERIFY(dynamic_cast<TController*>(station->Child(0)->Object()));
  QVERIFY(QString::fromStdString(station->Child(0)->Child(0)->Text()).endsWith("Процессор"));
  // Started from the menu: the labels stay as they were.
  QCOMPARE(form_->ReadFromLabel(), QString());
  sim.terminate();
  sim.waitForFinished(3000);

  // With the simulator gone the read fails, says so, and leaves the tree read before.
  const std::string read = test::TreeText(*form_->Tree().Root());
  form_->Guarded([&] { form_->ReadFromController(true); });
  QCOMPARE(prompt_.errors.size(), size_t(1));
  QCOMPARE(test::TreeText(*form_->Tree().Root()), read);
  QVERIFY(!form_->Reading());
}

void MainWindowTest::NoToWriteQuestionWritesNothing() {
  TBlockSpy spy;
  ctx_->Link.AddObserver(&spy);
  prompt_.answers = {TAnswer::No};
  const QString before = form_->WrittenToLabel();
  form_->Guarded([&] { form_->WriteToController(true); });
  QCOMPARE(prompt_.questions.size(), size_t(1));
  // What the controller holds now may be said first (whatever answers at the default address).
  QVERIFY(prompt_.questions[0].ends_with("Запись новой конфигурации в контроллер уничтожит прежнюю.\r\rПродолжить?"));
  QCOMPARE(spy.writeBlocks, std::vector<int>{});  // the controller's configuration may be read, never written
  QCOMPARE(form_->WrittenToLabel(), before);
  QVERIFY(QDir(QString::fromStdString(DataSubfolder("Cfg").string())).entryList({"*.cfg"}).isEmpty());
  ctx_->Link.RemoveObserver(&spy);
}

// The write fails once it has begun: the question says the controller's configuration is now
// incomplete and where what it held before is kept (one copy however often it is tried again).
void MainWindowTest::FailedWriteKeepsWhatTheControllerHeldAndOffersToWriteAgain() {
  test::TFakeController controller;
  const std::vector<uint8_t> before(5000, 0x5A);  // no configuration this program reads: no dialog
  controller.files["c:\\vlm.cfg"] = before;
  int writes = 0;
  ctx_->Link.SetTransportFactory(
      [&](const TLinkSettings&) { return std::make_unique<TNoWriteTransport>(controller, writes); });
  ctx_->Link.Settings.DestIP = {127, 0, 0, 64};
  prompt_.answers = {TAnswer::Yes, TAnswer::Yes, TAnswer::No};  // write, once more, then give up
  form_->Guarded([&] { form_->WriteToController(true); });
  ctx_->Link.SetTransportFactory(MakeDefaultTransport);
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  QCOMPARE(prompt_.questions.size(), size_t(3));
  QVERIFY(writes > 0);
  const QDir cfg(QString::fromStdString(DataSubfolder("Cfg").string()));
  const QStringList kept = cfg.entryList({"*.cfg"});
  QCOMPARE(kept.size(), 1);
  QVERIFY2(kept[0].endsWith(" 127.0.0.64 до записи.cfg"), qPrintable(kept[0]));
  QFile copy(cfg.filePath(kept[0]));
  QVERIFY(copy.open(QIODevice::ReadOnly));
  QCOMPARE(copy.readAll(), QByteArray(reinterpret_cast<const char*>(before.data()), int(before.size())));
  for (size_t i : {1u, 2u})
    QCOMPARE(prompt_.questions[i],
             "Ошибка при записи файла конфигурации в контроллер.\r\rКонфигурация в контроллере теперь неполная: с ней "
             "контроллер не запустится.\r\rПрежняя конфигурация контроллера сохранена в файле " +
                 cfg.filePath(kept[0]).toStdString() + "; её можно записать обратно.\r\rЗаписать конфигурацию в "
                 "контроллер ещё раз?");
}

void MainWindowTest::WriteShowsTheDifferencesFirst() {
  const int port = test::TestPort(2);
  QProcess sim;
  QVERIFY(test::StartSimulator(sim, 63, port, home_.filePath("disk3")));
  TLinkSettings& s = ctx_->Link.Settings;
  s.UdpPort = uint16_t(port);
  s.DestIP = {127, 0, 0, 63};
  s.SelfIP = {127, 0, 0, 1};
  s.WaitTime = 1000;
  TBlockSpy spy;
  ctx_->Link.AddObserver(&spy);
  TStation* station = form_->Station();
  station->Place = "ТП 1";
  station->UpdateNode();
  form_->ConfirmDifferences = [](const TConfigDiff&) { return true; };  // the simulator's own one
  form_->Guarded([&] { form_->WriteToController(true); });
  QCOMPARE(prompt_.errors, std::vector<std::string>{});
  QVERIFY(!spy.writeBlocks.empty());

  // Nothing changed: said plainly in the question, no dialog.
  int asked = 0;
  form_->ConfirmDifferences = [&](const TConfigDiff&) { return ++asked, false; };
  prompt_.questions.clear();
  prompt_.answers = {TAnswer::No};
  form_->Guarded([&] { form_->WriteToController(true); });
  QCOMPARE(asked, 0);
  QCOMPARE(prompt_.questions.size(), size_t(1));
  // Identical to the byte, or but for the time of writing in the header when a second has passed.
  QVERIFY(prompt_.questions[0].starts_with("Конфигурация в контроллере совпадает с записываемой"));

  // A changed place: the dialog lists exactly that change; "Отмена" stops before the question.
  station->Place = "ТП 2";
  station->UpdateNode();
  form_->ConfirmDifferences = nullptr;
  spy.writeBlocks.clear();
  prompt_.questions.clear();
  QStringList shown;
  bool shot = false;
  // The controller is read first (the link lets events run meanwhile): wait for the dialog itself.
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<TFormConfigDiff*>(QApplication::activeModalWidget());
    if (!dialog) return;
    poll.stop();
    for (int i = 0; i < dialog->List()->count(); ++i) shown << dialog->List()->item(i)->text();
    const QDir out(QStringLiteral(VELMOR_SCREENSHOTS));
    out.mkpath(".");
    shot = dialog->grab().save(out.filePath("config_diff_before_write.png"));
    const QString saved = home_.filePath("diff.txt");
    QVERIFY(dialog->SaveText(saved));
    QTest::mouseClick(dialog->findChild<QPushButton*>("CancelBtn"), Qt::LeftButton);
  });
  poll.start();
  form_->Guarded([&] { form_->WriteToController(true); });
  QCOMPARE(shown, QStringList{"~ СТАНЦИЯ ПУ ТП 2: Место установки: \"ТП 1\" -> \"ТП 2\""});
  QVERIFY(shot);
  std::string saved;
  QVERIFY(ReadWholeFile(home_.filePath("diff.txt").toStdU16String(), saved));
  QCOMPARE(QString::fromStdString(saved), shown[0] + "\n");
  QCOMPARE(prompt_.questions.size(), size_t(0));
  QCOMPARE(spy.writeBlocks, std::vector<int>{});
  ctx_->Link.RemoveObserver(&spy);
  sim.terminate();
  sim.waitForFinished(3000);
}

void MainWindowTest::BackupOfAllControllersShowsEachResult() {
  const int port = test::TestPort(3);
  QProcess sim;
  QVERIFY(test::StartSimulator(sim, 64, port, home_.filePath("disk4")));
  TOptionsDlg options(IpListIniPath());
  QStringList menu;
  for (QAction* a : options.PopupMenuIP()->actions()) menu << a->text();
  QCOMPARE(menu, QStringList{"Резервные копии всех контроллеров"});

  std::vector<TBackupTarget> targets(2);
  for (int i = 0; i < 2; ++i) {
    targets[i].place = i == 0 ? "Насосная №1" : "Котельная";
    targets[i].address = i == 0 ? "127.0.0.64" : "127.0.0.65";
    targets[i].settings.SelfIP = {127, 0, 0, 1};
    targets[i].settings.DestIP = {127, 0, 0, uint8_t(64 + i)};
    targets[i].settings.UdpPort = uint16_t(port);
    targets[i].settings.Attempts = 1;
    targets[i].settings.WaitTime = i == 0 ? 1000 : 50;
  }
  const QString folder = home_.filePath("fleet");
  QDir().mkpath(folder);
  TFormFleetBackup dialog(targets, folder.toStdU16String());
  dialog.show();
  dialog.Start();
  QCOMPARE(dialog.Results().size(), size_t(2));
  QCOMPARE(int(dialog.Results()[0].outcome), int(TBackupOutcome::Saved));
  QCOMPARE(int(dialog.Results()[1].outcome), int(TBackupOutcome::Failed));
  QVERIFY(dialog.Grid()->item(0, 4)->text().startsWith("сохранена: Насосная №1_127.0.0.64_"));
  QCOMPARE(dialog.Grid()->item(1, 4)->text(), QString("ошибка: нет ответа контроллера"));
  QVERIFY(dialog.findChild<QPushButton*>("ButtonClose")->isEnabled());
  const QDir out(QStringLiteral(VELMOR_SCREENSHOTS));
  out.mkpath(".");
  QVERIFY(dialog.grab().save(out.filePath("fleet_backup.png")));
  sim.terminate();
  sim.waitForFinished(3000);
}

void MainWindowTest::SettingsSurviveRestart() {
  ctx_->Link.Settings.DestIP = {10, 1, 2, 3};
  ctx_->Link.Settings.Attempts = 9;
  ctx_->Main.BackupEnable = false;
  ctx_->Main.RecentDirectory = "/srv/cfg";
  TIpList list;
  list.rows = {{"10.1.2.3", "ПС Лесная"}};
  QVERIFY(list.Save(IpListIniPath()));
  form_->close();  // writes the settings
  form_.reset();
  ctx_ = std::make_unique<TAppContext>();
  form_ = std::make_unique<TFormVLM>(*ctx_);
  QCOMPARE(IPToStr(ctx_->Link.Settings.DestIP), std::string("10.1.2.3"));
  QCOMPARE(ctx_->Link.Settings.Attempts, 9);
  QVERIFY(!ctx_->Main.BackupEnable);
  QCOMPARE(ctx_->Main.RecentDirectory, std::string("/srv/cfg"));
  QVERIFY(form_->windowTitle().endsWith("IP=10.1.2.3 (ПС Лесная)"));
  std::filesystem::remove(SettingsIniPath());
  std::filesystem::remove(IpListIniPath());
}

void MainWindowTest::HelpFollowsTheFrame() {
  TCardRS* card = AddCard("ActionNewCard5558");
  form_->Action("ActionHelp")->trigger();
  QCOMPARE(form_->HelpWindow()->windowTitle(), QString("Справочник по Конфигуратору ВЕЛМОР"));
  QCOMPARE(form_->HelpWindow()->Context(), 140);
  QVERIFY(TFormHelp::HasPage(140));
  form_->Select(card->Node->Child(0));
  form_->Action("ActionHelp")->trigger();
  QCOMPARE(form_->HelpWindow()->Context(), 150);
}

// One registry: no number twice, a page and a contents link for each topic, and F1 on every frame
// and in every window opens its own page.
void MainWindowTest::EveryWindowAndFrameHasItsOwnHelpPage() {
  std::set<int> contexts;
  std::set<std::string> owners;
  QVERIFY(TFormHelp::HasPage(350));
  QFile index(":/help/index.html");
  QVERIFY(index.open(QIODevice::ReadOnly));
  const QString contents = QString::fromUtf8(index.readAll());
  for (const THelpTopic& topic : HelpTopics()) {
    QVERIFY2(contexts.insert(topic.context).second, topic.owner);
    QVERIFY2(owners.insert(topic.owner).second, topic.owner);
    QVERIFY2(TFormHelp::HasPage(topic.context), topic.owner);
    QVERIFY2(contents.contains(QString("href=\"%1.html\"").arg(topic.context)), topic.owner);
  }

  // Every card with its ports, every port kind and every point kind under a port that takes it.
  TTreeNode* controller = form_->Station()->Node->Child(0);
  TTreeNode* processor = controller->Child(0);
  for (const TKind* kind : Kinds().List(TKindFamily::Card)) Kinds().Create(TKindFamily::Card, kind->id, *controller);
  for (const TPortKind* kind : PortKinds()) Kinds().Create(TKindFamily::Port, kind->typeId, *processor);
  for (const TPointKind* point : PointKinds())
    for (const TPortKind* port : PortKinds())
      if (std::find(port->childIds.begin(), port->childIds.end(), point->typeId) != port->childIds.end()) {
        Kinds().Create(TKindFamily::Point, point->typeId, *Kinds().Create(TKindFamily::Port, port->typeId, *processor)->Node);
        break;
      }
  std::set<std::string> framed;
  std::vector<TTreeNode*> nodes;
  form_->Tree().ForEach([&](TTreeNode& node) { nodes.push_back(&node); });
  for (TTreeNode* node : nodes) {
    form_->Select(node);
    const std::string owner = node->Object()->ClassName();
    QVERIFY2(form_->CurrentFrame(), owner.c_str());
    QVERIFY2(form_->CurrentFrame()->HelpContext() == HelpContextOf(owner) && HelpContextOf(owner) != 0, owner.c_str());
    form_->Action("ActionHelp")->trigger();
    QCOMPARE(form_->HelpWindow()->Context(), HelpContextOf(owner));
    framed.insert(owner);
  }
  QCOMPARE(framed.size(), size_t(3 + 5 + 2 + 26 + 13));  // fixed nodes, cards, their ports, ports, points

  // Every window names its own topic (F1 takes it while the window is active).
  TControllerLink link;
  bool closeReset = false;
  TDiagMemory memory(link);
  TFormFiles files(link);
  TFormBox box(link);
  std::vector<TReaddrColumn> column(1);
  column[0].title = "К1";
  column[0].kind = TDataKind::Byte;
  TReaddrTable table("Т", column);
  table.Load({{0}});
  const std::vector<QWidget*> windows{TFormReaddrEdit::ShowFor(&table, table.Model().index(0, 1)), &files, files.Viewer(), new TFormUpload(link, &files), new TFormAuto(link, &files),
                                      new TFormReset(link, closeReset, &files), &box, box.TavikLog(),
                                      new TFormDiag(link, &files), new TFormDiagDebug(memory, link, &files),
                                      new TFormDisplay(link, &files), new TOptionsDlg(IpListIniPath(), &files),
                                      new TFormTraffic([] { return std::vector<std::string>(); }, [] { return QString(); }, &files),
                                      new TFormFleetBackup({}, home_.path().toStdString(), &files),
                                      new TFormConfigDiff(TConfigDiff(), &files)};
  for (QWidget* window : windows) {
    const std::string owner = "T" + window->objectName().toStdString();
    QVERIFY2(HelpContextOf(owner) != 0, owner.c_str());
    QVERIFY2(window->property("helpContext").toInt() == HelpContextOf(owner),
             (owner + " has " + window->property("helpContext").toString().toStdString()).c_str());
  }
}

void MainWindowTest::StationAndProcessorFrames() {
  TTreeNode* processor = form_->Station()->Node->Child(0)->Child(0);
  form_->Select(processor);
  auto* octet = form_->CurrentFrame()->findChild<QSpinBox*>("SpinEditIP2");
  QCOMPARE(octet->property("tag").toInt(), 16);
  octet->setValue(168);
  form_->CurrentFrame()->findChild<QSpinBox*>("SpinEditIP1")->setValue(192);
  QCOMPARE(static_cast<TProcessor*>(processor->Object())->IPAddress, 0xC0A80000u);

  form_->Select(form_->Station()->Node);
  form_->CurrentFrame()->findChild<QLineEdit*>("EditPlace")->setText("ПС-2");
  QCOMPARE(form_->Station()->Place, std::string("ПС-2"));
  QCOMPARE(QString::fromStdString(form_->Station()->Node->Text()), QString("СТАНЦИЯ ПУ ПС-2"));
  auto* grid = form_->CurrentFrame()->findChild<QTableWidget*>("StringGridProc");
  QCOMPARE(grid->item(0, 1)->text(), QString("192.168.0.0"));
  // A double click asks for the processor; the window selects it after the handler.
  grid->cellDoubleClicked(0, 0);
  QCOMPARE(form_->SelectedNode(), form_->Station()->Node);
  QCoreApplication::processEvents();
  QCOMPARE(form_->SelectedNode(), processor);
  QVERIFY(qobject_cast<TFrameProcessor*>(form_->CurrentFrame()));
}

void MainWindowTest::RefusingFrameKeepsItsRowsAndNode() {
  TTreeNode* processor = form_->Station()->Node->Child(0)->Child(0);
  form_->Select(processor);
  form_->Action("ActionNewPortPassive")->trigger();
  TTreeNode* portNode = form_->SelectedNode();
  auto* frame = qobject_cast<TReaddrFrame*>(form_->CurrentFrame());
  QVERIFY(frame);
  // A refused cell answers "Cancel" here instead of a modal box.
  int refusals = 0;
  for (TReaddrTable* table : frame->findChildren<TReaddrTable*>())
    table->cellErrorHandler = [&refusals](const QString&) {
      ++refusals;
      return TCellDecision::Cancel;
    };
  TReaddrPage* ts = frame->TablePage(TOwnerTableId::PasTs);
  TReaddrData& data = ts->Table()->Data();
  while (data.RowCount() < 3) data.AddRow();
  for (size_t c = 0; c < 5; ++c) {
    data.SetCell(0, c, "1");
    data.SetCell(1, c, "2");
  }
  data.SetCell(1, 0, "999");  // out of range
  ts->Table()->Reload();

  TConfigTreeView* view = form_->TreeView();
  auto* model = static_cast<TTreeModel*>(view->model());
  const QPoint stationAt = view->visualRect(model->IndexOf(form_->Station()->Node)).center();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, stationAt);
  QCOMPARE(refusals, 1);
  QCOMPARE(form_->SelectedNode(), portNode);
  QCOMPARE(form_->CurrentFrame(), frame);
  QCOMPARE(QString::fromStdString(data.Cell(1, 0)), QString("999"));
  QCOMPARE(QString::fromStdString(data.Cell(0, 2)), QString("1"));

  // The right button alone never moves the selection; the menu asks the frame first.
  QTest::mouseClick(view->viewport(), Qt::RightButton, {}, stationAt);
  QCOMPARE(form_->SelectedNode(), portNode);
  QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, stationAt, view->viewport()->mapToGlobal(stationAt));
  QCoreApplication::sendEvent(view->viewport(), &menuEvent);
  QCOMPARE(refusals, 2);
  QCOMPARE(form_->SelectedNode(), portNode);
  QCOMPARE(form_->CurrentFrame(), frame);
  if (QMenu* popup = form_->findChild<QMenu*>("PopupMenu")) popup->close();

  // The keyboard or a program moving the selection: it goes back to the port.
  form_->Select(form_->Station()->Node);
  QCOMPARE(refusals, 3);
  QCOMPARE(form_->SelectedNode(), portNode);
  QCOMPARE(form_->CurrentFrame(), frame);

  // Mended, the frame lets go and its rows are stored.
  data.SetCell(1, 0, "3");
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, stationAt);
  QCOMPARE(form_->SelectedNode(), form_->Station()->Node);
  QVERIFY(qobject_cast<TFrameStation*>(form_->CurrentFrame()));
  QCOMPARE(static_cast<TDataPort*>(portNode->Object())->Tables[0].Count(), size_t(2));
}

void MainWindowTest::F1InTheSettingsDialogOpensItsPage() {
  int seen = -1;
  QTimer::singleShot(0, form_.get(), [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_F1);
    if (form_->HelpWindow()) seen = form_->HelpWindow()->Context();
    dialog->findChild<QPushButton*>("CancelBtn")->click();
  });
  form_->Action("ActionOptions")->trigger();
  QCOMPARE(seen, 700);
  // Without a modal window F1 follows the frame again.
  form_->Action("ActionHelp")->trigger();
  QCOMPARE(form_->HelpWindow()->Context(), form_->CurrentFrame()->HelpContext());
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
