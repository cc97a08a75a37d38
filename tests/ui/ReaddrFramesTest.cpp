// The frames of the kinds with readdressing tables, offscreen: loading and storing their grids,
// the owners' refusals and warnings, and a picture of every table page.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "common/Prompt.h"
#include "model/Cards.h"
#include "model/Kinds.h"
#include "model/VLM_Obj.h"
#include "ports/KindRegistration.h"
#include "ports/PointKind.h"
#include "ports/PortKind.h"
#include "ports/VLM_PortRows.h"
#include "ports/ui/FramePointModbus.h"
#include "ports/ui/FramePointPC4.h"
#include "ports/ui/FramePortLamp.h"
#include "ports/ui/FramePortMKT3T.h"
#include "ports/ui/FramePortPas.h"
#include "ports/ui/FramePortRPT80T.h"
#include "ports/ui/ReaddrFrames.h"
#include "ports/ui/ReaddrModel.h"
#include "ports/ui/ReaddrPage.h"
#include "ports/ui/ReaddrTable.h"
#include "shell/ui/FrameFactory.h"
#include "support/ScriptedPrompt.h"

using namespace vlm;

namespace {

using Texts = std::vector<std::string>;

// Fills grid rows from texts, adding rows as needed (the grid keeps a trailing empty row).
void Type(TReaddrPage* page, const std::vector<Texts>& rows) {
  TReaddrData& data = page->Table()->Data();
  for (size_t r = 0; r < rows.size(); ++r) {
    while (r + 1 >= data.RowCount()) data.AddRow();
    for (size_t c = 0; c < rows[r].size(); ++c) data.SetCell(r, c, rows[r][c]);
  }
  page->Table()->Reload();
}

std::vector<Texts> Repeat(const Texts& row, int n) { return std::vector<Texts>(static_cast<size_t>(n), row); }

QString Cell(TReaddrPage* page, int row, int column) {
  return QString::fromStdString(page->Table()->Data().Cell(static_cast<size_t>(row), static_cast<size_t>(column - 1)));
}

}  // namespace

class ReaddrFramesTest : public QObject {
  Q_OBJECT

  ScriptedPrompt prompt_;
  std::unique_ptr<PromptGuard> guard_;
  TTree tree_;
  TStation* station_ = nullptr;

  TTreeNode& Processor() {
    auto* controller = static_cast<TController*>(station_->Node->Child(0)->Object());
    return *controller->Processor()->Node;
  }
  template <typename T = TDataPort>
  T* AddPortOf(uint8_t typeId) {
    return dynamic_cast<T*>(AddPort(Processor(), *FindPortKind(typeId))->Object());
  }
  TDataPoint* AddPointOf(uint8_t portId, uint8_t pointId) {
    TTreeNode* port = AddPort(Processor(), *FindPortKind(portId));
    return dynamic_cast<TDataPoint*>(AddPoint(*port, *FindPointKind(pointId))->Object());
  }
  template <typename Frame>
  std::unique_ptr<Frame> Open(TObj* obj) {
    auto frame = std::make_unique<Frame>(nullptr);
    frame->resize(980, 560);
    // A refused cell would open a modal box: answer it here, as Cancel, and record it.
    for (TReaddrTable* table : frame->template findChildren<TReaddrTable*>())
      table->cellErrorHandler = [this](const QString& text) {
        prompt_.errors.push_back(text.toStdString());
        return TCellDecision::Cancel;
      };
    frame->Edit(obj);
    frame->show();
    return frame;
  }
  void Shoot(TReaddrFrame& frame, const QString& name) {
    QDir().mkpath(VELMOR_SCREENSHOTS);
    for (int i = 0; i < frame.Tabs()->count(); ++i) {
      frame.Tabs()->setCurrentIndex(i);
      QCoreApplication::processEvents();
      const QString file = QString("%1/%2_%3.png").arg(VELMOR_SCREENSHOTS, name).arg(i);
      QVERIFY(frame.grab().save(file));
    }
  }

 private slots:
  void init() {
    RegisterPortKinds();
    station_ = NewConfiguration(tree_);
    prompt_ = ScriptedPrompt();
    guard_ = std::make_unique<PromptGuard>(prompt_);
  }
  void cleanup() {
    guard_.reset();
    tree_.Clear();
  }

  void FramesAreRegisteredForTheirClasses() {
    RegisterReaddrFrames();
    TDataPort* port = AddPortOf(13);
    std::unique_ptr<TFrame> frame(CreateFrame(*port, nullptr));
    QVERIFY(dynamic_cast<TFramePortRPT80T*>(frame.get()));
    TDataPoint* pc4 = AddPointOf(19, 106);
    frame.reset(CreateFrame(*pc4, nullptr));
    QVERIFY(dynamic_cast<TFramePointPC4*>(frame.get()));
  }

  void PassivePortShowsItsSettingsAndStoresFourTables() {
    TDataPort* port = AddPortOf(3);
    port->Values.Set(144, 0x04);  // groups sent on request
    port->Values.Set(113, 8);     // phase modulation
    auto frame = Open<TFramePortPas>(port);
    QVERIFY(frame->findChild<QGroupBox*>("RadioGroupTIGroups")->findChildren<QRadioButton*>()[1]->isChecked());
    QVERIFY(frame->findChild<QGroupBox*>("RadioGroupTIData")->findChildren<QRadioButton*>()[0]->isChecked());
    QVERIFY(!frame->findChild<QSpinBox*>("SpinEditF1")->isEnabled());
    frame->findChild<QGroupBox*>("RadioGroupModulation")->findChildren<QRadioButton*>()[0]->click();
    QCOMPARE(port->Values.Get(113), int64_t{4});  // written at once
    QVERIFY(frame->findChild<QSpinBox*>("SpinEditF1")->isEnabled());
    Type(frame->TablePage(TOwnerTableId::PasTs), {{"2", "1", "1", "1 3", "1"}, {"1", "5", "3", "8", "2"}});
    Type(frame->TablePage(TOwnerTableId::PasTu), {{"1", "1", "1", "1", "1 3"}});
    Type(frame->TablePage(TOwnerTableId::PasArrays), Repeat({"1", "1", "1", "1", "1", "1"}, 3));
    QCOMPARE(frame->Apply(), 0);
    QCOMPARE(port->Tables[0].Bytes(), (std::vector<uint8_t>{2, 1, 1, 0xA0, 1, 1, 5, 3, 0x01, 2}));
    QCOMPARE(port->Tables[2].Bytes(), (std::vector<uint8_t>{1, 1, 1, 1, 0x05}));
    QCOMPARE(port->Tables[3].Count(), size_t(3));
    Shoot(*frame, "FramePortPas");
  }

  void BoardPortRefusesADuplicateBoardAddress() {
    auto* port = AddPortOf<TPortL>(5);
    QVERIFY(port->Tables[0].SetRows(std::vector<uint8_t>{1, 2, 3, 0x80, 0x85, 7, 0x01, 1}));
    QVERIFY(port->Tables[1].SetRows(std::vector<uint8_t>{1, 2, 3, 4, 5, 0x82, 0, 0, 0, 0, 0x20, 0x81, 0, 0, 0, 0, 0,
                                                         6, 0xC2, 7, 8}));
    QVERIFY(port->Tables[2].SetRows(std::vector<uint8_t>{1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0}));
    auto frame = Open<TFramePortLamp>(port);
    TReaddrPage* ts = frame->TablePage(TOwnerTableId::LampTs);
    QCOMPARE(Cell(ts, 0, 5), QString("1"));
    QCOMPARE(Cell(ts, 0, 6), QString("5"));
    TReaddrPage* ti = frame->TablePage(TOwnerTableId::LampTi);
    QCOMPARE(Cell(ti, 0, 6), QString("2.5"));
    QCOMPARE(Cell(ti, 0, 7), QString("1."));
    QCOMPARE(Cell(ti, 0, 9) + Cell(ti, 0, 10) + Cell(ti, 0, 11), QString("211"));
    Shoot(*frame, "FramePortLamp");

    // A second row lighting the same lamp (the inversion differs): refused, nothing stored.
    Type(ts, {{"1", "2", "3", "1", "1", "5", "7", "1", "1"}, {"1", "2", "4", "2", "0", "5", "7", "1", "2"}});
    const std::vector<uint8_t> before = port->Tables[0].Bytes();
    QCOMPARE(frame->Apply(), 1);
    QCOMPARE(port->Tables[0].Bytes(), before);
    QCOMPARE(prompt_.errors.size(), size_t(1));
    QVERIFY(prompt_.errors[0].find("Строки 1 и 2 \rсодержат одинаковый адрес сигнала на щите:\rПункт 5, Группа 7, Параметр 1\r") !=
            std::string::npos);
    QCOMPARE(port->TsTopRow, 2);
    QCOMPARE(frame->Tabs()->currentWidget(), static_cast<QWidget*>(ts));
    QCOMPARE(ts->Table()->currentIndex().row(), 1);

    // The junction emptied in the middle: the third becomes junction 2.
    Type(ts, {{"1", "2", "3", "1", "1", "5", "7", "1", "1"}, {"1", "2", "4", "2", "0", "5", "7", "2", "2"}});
    Type(frame->TablePage(TOwnerTableId::LampJunction), {{"1", "1", "1"}, {"", "", ""}, {"3", "3", "3"}});
    QCOMPARE(frame->Apply(), 0);
    QCOMPARE(port->Tables[2].Bytes(), (std::vector<uint8_t>{1, 1, 1, 0, 3, 3, 4, 0}));
  }

  // Pages show junctions before TI, but TI is converted first: its error is the one shown.
  void BoardPortConvertsTsThenTiThenJunctions() {
    auto* port = AddPortOf<TPortL>(5);
    auto frame = Open<TFramePortLamp>(port);
    TReaddrPage* ti = frame->TablePage(TOwnerTableId::LampTi);
    Type(ti, {{"999", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1"}});
    Type(frame->TablePage(TOwnerTableId::LampJunction), {{"99", "1", "1"}});
    QCOMPARE(frame->Apply(), 1);
    QCOMPARE(prompt_.errors.size(), size_t(1));
    QVERIFY2(prompt_.errors[0].starts_with("Таблица переадресации ТИ"), prompt_.errors[0].c_str());
    QCOMPARE(frame->Tabs()->currentWidget(), static_cast<QWidget*>(ti));
  }

  void TransmitPortsSortAndStopAtTheirCapacity() {
    TDataPort* mkt3 = AddPortOf(9);
    QVERIFY(mkt3->Tables[0].SetRows(std::vector<uint8_t>{1, 1, 1, 0x80, 7}));
    auto frame = Open<TFramePortMKT3T>(mkt3);
    TReaddrPage* ts = frame->TablePage(TOwnerTableId::Mkt3Ts);
    QCOMPARE(Cell(ts, 0, 5), QString("8"));  // external group shown + 1
    Shoot(*frame, "FramePortMKT3T");
    Type(ts, Repeat({"2", "1", "1", "1", "1"}, 63));
    ts->Table()->Data().SetCell(63, 0, "1");
    for (int c = 1; c < 5; ++c) ts->Table()->Data().SetCell(63, static_cast<size_t>(c), "1");
    QCOMPARE(frame->Apply(), 0);
    QCOMPARE(mkt3->Tables[0].Count(), size_t(64));
    QCOMPARE(mkt3->Tables[0].Row(0)[0], uint8_t(1));  // sorted by local address
    QCOMPARE(Cell(ts, 0, 1), QString("1"));         // and so is the grid
    Type(ts, Repeat({"2", "1", "1", "1", "1"}, 65));
    QCOMPARE(frame->Apply(), 1);
    QCOMPARE(prompt_.errors.back(),
             std::string("Таблица переадресации ТС\rПревышена максимальная емкость выходной таблицы - 64 записи."));
    QCOMPARE(mkt3->Tables[0].Count(), size_t(64));

    TDataPort* rpt80 = AddPortOf(13);
    auto rptFrame = Open<TFramePortRPT80T>(rpt80);
    Shoot(*rptFrame, "FramePortRPT80T");
    TReaddrPage* ti = rptFrame->TablePage(TOwnerTableId::Rpt80Ti);
    Type(ti, Repeat({"1", "1", "1", "1", "1", "241", "5"}, 241));
    QCOMPARE(rptFrame->Apply(), 0);
    QCOMPARE(rpt80->Tables[1].Count(), size_t(241));
    QCOMPARE(rpt80->Tables[1].Row(0)[5], uint8_t(240));
    Type(ti, Repeat({"1", "1", "1", "1", "1", "241", "5"}, 242));
    QCOMPARE(rptFrame->Apply(), 1);
    QCOMPARE(prompt_.errors.back(),
             std::string("Таблица переадресации ТИ\rПревышена максимальная емкость выходной таблицы - 241 запись."));
  }

  void ModbusOverlapWarnsAndKeepsTheRows() {
    TDataPoint* device = AddPointOf(28, 114);
    auto frame = Open<TFramePointModbus>(device);
    TReaddrPage* ts = frame->TablePage(TOwnerTableId::ModbusTs);
    Type(ts, {{"2", "0", "16"}, {"2", "10", "8"}});
    QCOMPARE(Cell(ts, 0, 4) + " " + Cell(ts, 1, 4), QString("8192 8208"));
    frame->Tabs()->setCurrentIndex(0);
    QCOMPARE(frame->Apply(), 0);
    QCOMPARE(device->Tables[0].Count(), size_t(2));
    QCOMPARE(prompt_.errors.size(), size_t(1));
    QVERIFY(prompt_.errors[0].find("Ошибка в таблице ТС:\r\rСтроки 1 и 2 \rсодержат перекрывающиеся адреса Modbus: 10\r") !=
            std::string::npos);
    QCOMPARE(frame->Tabs()->currentWidget(), static_cast<QWidget*>(ts));
    QCOMPARE(ts->Table()->currentIndex(), ts->Table()->Model().index(1, 3));
    Type(ts, {{"2", "0", "16"}, {"2", "16", "8"}});
    QCOMPARE(frame->Apply(), 0);
    QCOMPARE(prompt_.errors.size(), size_t(1));
    TReaddrPage* ti = frame->TablePage(TOwnerTableId::ModbusTi);
    Type(ti, {{"0", "3", "0", "2", "0", "1"}, {"0", "3", "2", "4", "0", "1.5"}, {"0", "3", "6", "1", "-1", "1"}});
    QCOMPARE(Cell(ti, 2, 7), QString("16390"));
    Shoot(*frame, "FramePointModbus");
  }

  void Pc4RefusesDuplicateAndOverflowingObjects() {
    TDataPoint* pc = AddPointOf(19, 106);
    auto frame = Open<TFramePointPC4>(pc);
    TReaddrPage* ti = frame->TablePage(TOwnerTableId::Pc4Ti);
    QVERIFY(!ti->Table()->isEnabled());  // readdressing off
    frame->findChild<QCheckBox*>("CheckBoxTiReaddr")->setChecked(true);
    QVERIFY(ti->Table()->isEnabled());
    QVERIFY(frame->findChild<QSpinBox*>("SpinEditTiObjBase")->isEnabled());
    Type(ti, {{"1", "1", "1", "1", "1", "0", "1", "100"}, {"1", "1", "1", "2", "1", "0", "1E-5", "100"}});
    QCOMPARE(frame->Apply(), 1);
    QVERIFY(prompt_.errors.back().find("Строки 1 и 2 \rсодержат одинаковый адрес Объекта информации: 100\r") !=
            std::string::npos);
    QCOMPARE(pc->Tables[0].Count(), size_t(0));
    Type(ti, {{"1", "1", "1", "1", "1", "0", "1", "100"}, {"1", "1", "1", "2", "1", "0", "1E-5", "101"}});
    TReaddrPage* ts = frame->TablePage(TOwnerTableId::Pc4Ts);
    Type(ts, {{"1", "1", "1", "1", "60000"}});
    QCOMPARE(frame->Apply(), 1);
    QVERIFY(prompt_.errors.back().find("В строке 1\rслишком большой Адрес объекта информации: 60000\r") != std::string::npos);
    QCOMPARE(pc->Tables[0].Count(), size_t(0));  // the good TI table waits for the TS table
    frame->findChild<QSpinBox*>("SpinEditT1")->setValue(15);
    Type(ts, {{"1", "1", "1", "1", "50000"}});
    QCOMPARE(frame->Apply(), 0);
    QCOMPARE(pc->Tables[0].Count(), size_t(2));
    QCOMPARE(pc->Values.Get(165), int64_t{15000});
    Shoot(*frame, "FramePointPC4");
  }

  void BoardGridsReopenAtTheirTopRowsAndTheHardPortBinds() {
    auto* port = AddPortOf<TPortL>(5);
    auto* controller = static_cast<TController*>(station_->Node->Child(0)->Object());
    Kinds().Create(TKindFamily::Card, 3, *controller->Node);
    std::vector<uint8_t> rows;
    for (uint8_t i = 0; i < 60; ++i) rows.insert(rows.end(), {1, 1, 1, 0x80, i, 1, 1, 1});
    QVERIFY(port->Tables[0].SetRows(rows));
    port->TsTopRow = 30;
    auto frame = Open<TFramePortLamp>(port);
    frame->Tabs()->setCurrentIndex(1);
    // The scroll to the stored row is queued; wait for it rather than for a fixed time.
    QTRY_COMPARE(frame->TablePage(TOwnerTableId::LampTs)->Table()->rowAt(0), 29);
    auto* combo = frame->findChild<QComboBox*>("ComboBoxHardPort");
    QVERIFY(combo->count() > 0);
    QCOMPARE(combo->currentIndex(), -1);
    QVERIFY(!frame->findChild<QPushButton*>("ButtonHardPort")->isEnabled());
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    QVERIFY(controller->HardPortOf(port) != nullptr);
    QVERIFY(frame->findChild<QPushButton*>("ButtonHardPort")->isEnabled());
    QCOMPARE(frame->Apply(), 0);
    QCOMPARE(port->TsTopRow, 30);
  }

  void ACellErrorOnAHiddenPageIsShown() {
    TDataPort* port = AddPortOf(9);
    auto frame = Open<TFramePortMKT3T>(port);
    TReaddrPage* ti = frame->TablePage(TOwnerTableId::Mkt3Ti);
    Type(ti, {{"1", "1", "1", "1", "1", "0", "1", "9", "1", "4"}});  // external group 9 of 8
    frame->Tabs()->setCurrentIndex(0);
    prompt_.errors.clear();
    QCOMPARE(frame->Apply(), 1);
    QCOMPARE(frame->Tabs()->currentWidget(), static_cast<QWidget*>(ti));
    QCOMPARE(ti->Table()->currentIndex(), ti->Table()->Model().index(0, 8));
    QCOMPARE(prompt_.errors.size(), size_t(1));
    QVERIFY(prompt_.errors[0].find("Допустимый диапазон значений: 1..8.") != std::string::npos);
    QCOMPARE(port->Tables[1].Count(), size_t(0));
  }

  void ExportedTableImportsBack() {
    QTemporaryDir dir;
    TReaddrTable table("Т", OwnerTable(TOwnerTableId::PasTs).columns);
    table.Data().Load({{1, 1, 1, 0x80, 1}, {2, 2, 2, 0xC0, 2}, {3, 3, 3, 0x01, 3}});
    const QString path = dir.filePath("t.txt");
    QVERIFY(table.ExportTo(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 5);  // four lines and what follows the last line end
    QCOMPARE(lines[3], QByteArray("\t\t\t\t\t\r"));
    TReaddrTable back("Т", OwnerTable(TOwnerTableId::PasTs).columns);
    QVERIFY(back.ImportFrom(path));
    const auto rows = back.Store(0);
    QVERIFY(rows.has_value());
    QCOMPARE(rows->size(), size_t(3));
    QCOMPARE((*rows)[2], (TByteRow{3, 3, 3, 0x01, 3}));

    // More data lines than the table holds: refused with a box, the grid untouched.
    back.capacity = 2;
    const size_t rowsBefore = back.Data().RowCount();
    prompt_.errors.clear();
    QVERIFY(!back.ImportFrom(path));
    QCOMPARE(prompt_.errors.size(), size_t(1));
    QVERIFY(prompt_.errors[0].starts_with("Файл содержит 3 строк данных"));
    QCOMPARE(back.Data().RowCount(), rowsBefore);
    // A folder cannot be read, a folder that does not exist cannot be written: both say so.
    QVERIFY(!back.ImportFrom(dir.path()));
    QVERIFY(!table.ExportTo(dir.filePath("missing/t.txt")));
    QCOMPARE(prompt_.errors.size(), size_t(3));
    QVERIFY(prompt_.errors[2].starts_with("Не удалось записать файл "));
  }
};

QTEST_MAIN(ReaddrFramesTest)
#include "ReaddrFramesTest.moc"
