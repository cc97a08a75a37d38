// The readdressing grid driven by keys and mouse, offscreen.
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "ports/ui/ReaddrEdit.h"
#include "ports/ReaddrOwners.h"
#include "ports/ui/ReaddrModel.h"
#include "ports/ui/ReaddrPage.h"
#include "ports/ui/ReaddrTable.h"

using namespace vlm;

namespace {

std::vector<TReaddrColumn> ByteColumns(int n, TDataKind kind = TDataKind::Byte) {
  std::vector<TReaddrColumn> columns(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    columns[static_cast<size_t>(i)].title = "К" + std::to_string(i + 1);
    columns[static_cast<size_t>(i)].kind = kind;
  }
  return columns;
}

}  // namespace

class ReaddrTableTest : public QObject {
  Q_OBJECT
 private slots:
  void EnterFillsAStepSeriesOverTheSelection() {
    TReaddrTable table("Т", ByteColumns(3));
    table.Load({{0, 0, 0}, {0, 0, 0}});
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    table.setCurrentIndex(table.Model().index(0, 1));
    table.selectionModel()->select(QItemSelection(table.Model().index(0, 1), table.Model().index(1, 3)),
                                   QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(&table, '+');  // the first key opens the cell editor, the rest go to it
    auto* editor = table.findChild<QLineEdit*>();
    QVERIFY(editor);
    QTest::keyClicks(editor, "2");
    QTest::keyClick(editor, Qt::Key_Return);
    const auto& d = table.Data();
    QCOMPARE(QString::fromStdString(d.Cell(0, 0) + "," + d.Cell(0, 1) + "," + d.Cell(0, 2)), QString("2,4,6"));
    QCOMPARE(QString::fromStdString(d.Cell(1, 0) + "," + d.Cell(1, 1) + "," + d.Cell(1, 2)), QString("8,10,12"));
  }

  void RefusedCharactersBeepAndNavigationKeys() {
    TReaddrTable table("Т", ByteColumns(2));
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    QSignalSpy beeps(&table, &TReaddrTable::Beep);
    table.setCurrentIndex(table.Model().index(0, 1));
    QTest::keyClick(&table, 'x');
    QCOMPARE(beeps.count(), 1);
    QVERIFY(!table.findChild<QLineEdit*>() || !table.findChild<QLineEdit*>()->isVisible());
    QTest::keyClick(&table, '=');
    QCOMPARE(table.currentIndex().column(), 2);
    QTest::keyClick(&table, '=');  // from the last column of the last row: a new row
    QCOMPARE(table.Model().rowCount(), 2);
    QCOMPARE(table.currentIndex(), table.Model().index(1, 1));
    QTest::keyClick(&table, '*');
    QCOMPARE(table.currentIndex(), table.Model().index(0, 2));
    table.setCurrentIndex(table.Model().index(1, 1));
    QTest::keyClick(&table, Qt::Key_Down);
    QCOMPARE(table.Model().rowCount(), 3);
  }

  void DoubleClickFlipsAFlagCell() {
    TReaddrTable table("Т", ByteColumns(1, TDataKind::Flag));
    table.Load({{0}});
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    const QRect cell = table.visualRect(table.Model().index(0, 1));
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(QString::fromStdString(table.Data().Cell(0, 0)), QString("1"));
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(QString::fromStdString(table.Data().Cell(0, 0)), QString("0"));
  }

  void StoreStopsOnTheBadCellOrIgnoresIt() {
    TReaddrTable table("Таблица", ByteColumns(2));
    table.Load({{1, 2}});
    table.Data().SetCell(1, 0, "5");  // the second cell of the new row stays empty
    QString asked;
    table.cellErrorHandler = [&](const QString& text) {
      asked = text;
      return TCellDecision::Cancel;
    };
    QVERIFY(!table.Store(0).has_value());
    QVERIFY(asked.contains("строка 2, колонка 2"));
    QCOMPARE(table.currentIndex(), table.Model().index(1, 2));
    table.cellErrorHandler = [](const QString&) { return TCellDecision::Ignore; };
    const auto rows = table.Store(0);
    QVERIFY(rows.has_value());
    QCOMPARE(rows->size(), size_t(2));
    QCOMPARE((*rows)[1], (TByteRow{5, 0}));
    QString message;
    table.messageHandler = [&](const QString& text) { message = text; };
    QVERIFY(!table.Store(1, "Превышена максимальная емкость выходной таблицы - 1 записи.").has_value());
    QCOMPARE(message, QString("Таблица\rПревышена максимальная емкость выходной таблицы - 1 записи."));

    // The box itself: Enter goes back to editing, and the text names the buttons it shows.
    table.cellErrorHandler = nullptr;
    table.Data().SetCell(1, 1, "x");
    QStringList buttons;
    QString text;
    QTimer::singleShot(0, &table, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      text = box->text();
      QTest::keyClick(box, Qt::Key_Return);
    });
    QVERIFY(!table.Store(0).has_value());
    buttons.sort();
    QCOMPARE(buttons, QStringList({"Отмена", "Пропустить"}));
    QVERIFY2(text.contains("\nОтмена - вернуться к редактированию") && text.contains("\nПропустить - обнулить"),
             qPrintable(text));
    QCOMPARE(table.currentIndex(), table.Model().index(1, 2));
  }

  void MenuNamesItsShortcutsAsKeysAreWritten() {
    TReaddrTable table("Т", ByteColumns(1));
    QStringList keys;
    for (const QAction* action : table.actions())
      if (!action->shortcut().isEmpty()) keys << action->shortcut().toString(QKeySequence::NativeText);
    QCOMPARE(keys, QStringList({"Ctrl+Enter", "Ctrl+Del", "Ctrl+I", "Ctrl+O"}));
  }

  void KeypadWritesTheDecimalValue() {
    TReaddrTable table("Т", ByteColumns(2, TDataKind::Word));
    table.Load({{0x10, 0, 0, 0}});
    table.show();
    table.setCurrentIndex(table.Model().index(0, 1));
    QTest::keyClick(&table, Qt::Key_Return, Qt::ControlModifier);
    TFormReaddrEdit* keypad = TFormReaddrEdit::Current();
    QVERIFY(keypad && keypad->isVisible());
    QCOMPARE(keypad->windowTitle(), QString("Строка 1, \"К1\""));
    QCOMPARE(keypad->findChild<QLineEdit*>("EditHex")->text(), QString("10"));
    keypad->SetHexMode(true);
    keypad->PressDigit('f');
    QCOMPARE(keypad->Keypad().Value(), 0x10F);
    QVERIFY(keypad->findChild<QPushButton*>("ButtonDigitA")->isEnabled());
    keypad->ButtonOKClick();
    QCOMPARE(QString::fromStdString(table.Data().Cell(0, 0)), QString("271"));
  }

  void DraggingARowNumberMovesTheRow() {
    TReaddrTable table("Т", ByteColumns(1));
    table.Load({{1}, {2}, {3}});
    table.verticalHeader()->moveSection(0, 2);
    QCOMPARE(QString::fromStdString(table.Data().Cell(0, 0) + table.Data().Cell(1, 0) + table.Data().Cell(2, 0)),
             QString("231"));
    QCOMPARE(table.verticalHeader()->visualIndex(0), 0);  // numbers stay 1, 2, 3
  }

  // Every heading over its columns is whole ("Внешняя система", "Адрес в протоколе МЭК104").
  void HeadingsAreAsWideAsTheirTexts() {
    for (int id = 0; id < kOwnerTableCount; ++id) {
      TReaddrPage page(static_cast<TOwnerTableId>(id), nullptr);
      const TOwnerTable& def = OwnerTable(static_cast<TOwnerTableId>(id));
      const QFontMetrics metrics = page.Table()->horizontalHeader()->fontMetrics();
      for (const TTableHeading& h : def.headings) {
        int span = 0;
        for (int c = h.firstColumn; c < h.firstColumn + h.columnCount; ++c) span += page.Table()->columnWidth(c);
        const QString text = QString::fromStdString(h.text);
        QVERIFY2(span >= metrics.horizontalAdvance(text) + 10, qPrintable(text));
      }
    }
  }
};

QTEST_MAIN(ReaddrTableTest)
#include "ReaddrTableTest.moc"
