// Shell windows offscreen: the two boxes, the indicator raster, the exchange log view and its
// file, the settings dialog (the Qt-free parts are tested in tests/shell).
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "common/DataFolder.h"
#include "common/TextCodec.h"
#include "shell/IpList.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/FileDialogTexts.h"
#include "shell/ui/Indicator.h"
#include "shell/ui/Options.h"
#include "shell/ui/QtPrompt.h"
#include "shell/ui/Traffic.h"
#include "support/ScriptedPrompt.h"

using namespace vlm;

class ShellTest : public QObject {
  Q_OBJECT
 private slots:
  void ErrorBoxHasTitleTextAndCloseButton();
  void QuestionBoxButtonsAndRightClick();
  void IndicatorFillsRowsAndScrolls();
  void TrafficShowsNewestLinesAndSavesHeader();
  void OptionsRoundTripAndCancel();
  void OptionsRefuseAnEmptyAddressAndNameTheUdpPort();
  void QtDialogsSpeakRussian();
  void FileDialogListIsRussian();
};

void ShellTest::ErrorBoxHasTitleTextAndCloseButton() {
  TFormError box("строка 1\rстрока 2");
  QCOMPARE(box.windowTitle(), QString("Конфигуратор ВЕЛМОР - Ошибка"));
  QCOMPARE(box.findChild<QLabel*>("LabelText")->text(), QString("строка 1\nстрока 2"));
  auto buttons = box.findChildren<QPushButton*>();
  QCOMPARE(buttons.size(), 1);
  QCOMPARE(buttons[0]->text(), QString("Закрыть"));
}

void ShellTest::QuestionBoxButtonsAndRightClick() {
  TFormAsk two("Удалить?", false);
  QCOMPARE(two.windowTitle(), QString("Конфигуратор ВЕЛМОР - Запрос"));
  QCOMPARE(two.findChildren<QPushButton*>().size(), 2);
  TFormAsk three("Удалить?", true);
  QCOMPARE(three.findChild<QPushButton*>("ButtonCancel")->text(), QString("Отмена"));

  // "Нет" answers 2; a right click anywhere answers 3 even without "Отмена".
  QTimer::singleShot(0, &two, [&] { two.findChild<QPushButton*>("ButtonNo")->click(); });
  QCOMPARE(two.exec(), 2);
  QTimer::singleShot(0, &two, [&] {
    QTest::mouseClick(two.findChild<QLabel*>("LabelText"), Qt::RightButton);
  });
  QCOMPARE(two.exec(), 3);
}

void ShellTest::IndicatorFillsRowsAndScrolls() {
  TIndicator ind(4, 2);
  QVERIFY(ind.toolTip().contains("Количество точек: 4х2=8."));
  const QColor background(0x0D, 0x1B, 0x33);
  QCOMPARE(ind.Image().pixelColor(0, 0), background);
  for (int i = 0; i < 5; ++i) ind.AddPoint(i < 3 ? PointColor::Green : PointColor::Red);
  ind.DrawPending();
  QCOMPARE(ind.Image().pixelColor(2, 0), QColor(0, 128, 0));
  QCOMPARE(ind.Image().pixelColor(3, 0), QColor(255, 0, 0));
  QCOMPARE(ind.Image().pixelColor(0, 1), QColor(255, 0, 0));
  QCOMPARE(ind.Image().pixelColor(1, 1), background);
  // Filling the second row scrolls it up and leaves a fresh bottom row.
  for (int i = 0; i < 3; ++i) ind.AddPoint(PointColor::Lime);
  ind.DrawPending();
  QCOMPARE(ind.Image().pixelColor(0, 0), QColor(255, 0, 0));
  QCOMPARE(ind.Image().pixelColor(3, 0), QColor(0, 255, 0));
  QCOMPARE(ind.Image().pixelColor(0, 1), background);
  ind.AddPoint(PointColor::Yellow);
  ind.DrawPending();
  QCOMPARE(ind.Image().pixelColor(0, 1), QColor(255, 255, 0));
}

void ShellTest::TrafficShowsNewestLinesAndSavesHeader() {
  QCOMPARE(TrafficLineIndex(0, 20, 3), 0);
  QCOMPARE(TrafficLineIndex(2, 20, 3), 2);
  QCOMPARE(TrafficLineIndex(3, 20, 3), -1);
  QCOMPARE(TrafficLineIndex(0, 20, 2000), 1980);
  QCOMPARE(TrafficLineIndex(19, 20, 2000), 1999);

  std::vector<std::string> log = {"<01.002 99999  03 11 00 11 ", ">01.010   8  03 11 00 11 1"};
  TFormTraffic form([&] { return log; }, [] { return QString("127.0.0.2"); });
  form.show();
  QCOMPARE(form.windowTitle(), QString("Конфигуратор ВЕЛМОР - Трафик  IP=127.0.0.2"));
  QCOMPARE(form.LabelCtr()->text(), QString("Строк: 2"));
  QTemporaryDir dir;
  const QString path = dir.filePath("Traffic.txt");
  QVERIFY(form.SaveTo(path));
  std::string bytes;
  QVERIFY(ReadWholeFile(path.toStdU16String(), bytes));
  const std::string expected =
      "Файл данных программы Конфигуратор ВЕЛМОР Версия: 4.1.9\r\n"
      "Обмен Конфигуратора (<) с контроллером ВЕЛМОР (>)\r\n" + std::string(99, '-') + "\r\n" +
      log[0] + "\r\n" + log[1] + "\r\n";
  QCOMPARE(Cp1251ToUtf8(bytes), expected);
}

void ShellTest::OptionsRoundTripAndCancel() {
  QTemporaryDir dir;
  const std::filesystem::path ini = dir.filePath("IPList.ini").toStdString();
  TIpList seed;
  seed.rows = {{"192.168.1.5", "Подстанция 7"}};
  QVERIFY(seed.Save(ini));

  ScriptedPrompt prompt;
  PromptGuard guard(prompt);
  TOptionsDlg dlg(ini);
  QCOMPARE(dlg.windowTitle(), QString("Конфигуратор ВЕЛМОР - Настройка"));
  TOptionValues v;
  v.link.DestIP = {192, 168, 1, 5};
  v.link.Attempts = 7;
  dlg.FillFrom(v);
  QCOMPARE(dlg.findChild<QLineEdit*>("EditPlace")->text(), QString("Подстанция 7"));
  QCOMPARE(dlg.PlaceOf(v.link.DestIP), QString("Подстанция 7"));
  QVERIFY(dlg.findChild<QRadioButton*>("RadioButtonNet")->isChecked());

  dlg.findChild<QLineEdit*>("b3")->setText("77");
  dlg.findChild<QRadioButton*>("RadioButtonCom")->setChecked(true);
  const TOptionValues edited = dlg.Values();
  QCOMPARE(edited.link.DestIP[2], uint8_t(77));
  QCOMPARE(int(edited.link.LinkMode), 0);
  QCOMPARE(edited.link.Attempts, 7);

  // A part above 255 is not added to the list (it would reach another controller).
  dlg.findChild<QLineEdit*>("EditPlace")->setText("Новая");
  dlg.findChild<QLineEdit*>("b3")->setText("300");
  dlg.SpeedButtonAddClick();
  QCOMPARE(prompt.errors, std::vector<std::string>{"'300' не является числом от 0 до 255"});
  QCOMPARE(dlg.IpList().rows.size(), size_t(1));
  // Add the edited address, save, and a new dialog (a restart) sees it.
  dlg.findChild<QLineEdit*>("b3")->setText("77");
  dlg.SpeedButtonAddClick();
  dlg.SpeedButtonSaveClick();
  TOptionsDlg restarted(ini);
  QCOMPARE(restarted.IpList().rows.size(), size_t(2));
  QCOMPARE(restarted.IpList().rows[1].address, std::string("192.168.77.5"));

  // Cancel after "Выбрать из списка" leaves the values as they were.
  TOptionValues kept = v;
  QTimer::singleShot(0, &restarted, [&] {
    restarted.findChild<QTableWidget*>("StringGridIP")->setCurrentCell(1, 0);
    restarted.SpeedButtonSetClick();
    restarted.findChild<QPushButton*>("CancelBtn")->click();
  });
  QVERIFY(!restarted.Run(kept));
  QCOMPARE(kept.link.DestIP, v.link.DestIP);
}

void ShellTest::OptionsRefuseAnEmptyAddressAndNameTheUdpPort() {
  QTemporaryDir dir;
  ScriptedPrompt prompt;
  PromptGuard guard(prompt);
  TOptionsDlg dlg(dir.filePath("IPList.ini").toStdString());
  TOptionValues v;
  v.link.DestIP = {10, 0, 0, 7};
  v.link.UdpPort = 2208;
  dlg.FillFrom(v);
  QCOMPARE(dlg.findChild<QLabel*>("PanelProtocol")->text(), QString(" Протокол: UDP; Порт: 2208 (справочное)"));
  // Both columns of the list are visible without scrolling at the first size.
  dlg.show();
  auto* grid = dlg.findChild<QTableWidget*>("StringGridIP");
  QVERIFY(grid->viewport()->width() >= grid->columnWidth(0) + grid->columnWidth(1));
  QVERIFY(dlg.findChild<QSpinBox*>("SpinEditAttempts")->width() < dlg.width() / 3);
  dlg.hide();

  TOptionValues kept = v;
  bool stayedOpen = false;
  QTimer::singleShot(0, &dlg, [&] {
    dlg.findChild<QLineEdit*>("b2")->clear();
    dlg.findChild<QPushButton*>("ButtonOK")->click();
    stayedOpen = dlg.isVisible();
    dlg.findChild<QPushButton*>("CancelBtn")->click();
  });
  QVERIFY(!dlg.Run(kept));
  QVERIFY(stayedOpen);
  QCOMPARE(prompt.errors, std::vector<std::string>{"'' не является целым числом"});
  QCOMPARE(kept.link.DestIP, v.link.DestIP);

  // 300 in an address field is refused as well; so is a list row typed as 10.0.0.304, and a
  // double click on it neither takes it nor applies the dialog.
  prompt.errors.clear();
  TIpList list;
  list.rows = {{"10.0.0.304", "Опечатка"}};
  QVERIFY(list.Save(dir.filePath("IPList.ini").toStdString()));
  dlg.SpeedButtonLoadClick();
  QCOMPARE(grid->item(0, 0)->foreground().color(), QColor(255, 0, 0));
  bool accepted = true;
  QTimer::singleShot(0, &dlg, [&] {
    dlg.findChild<QLineEdit*>("a4")->setText("300");
    dlg.findChild<QPushButton*>("ButtonOK")->click();
    dlg.findChild<QLineEdit*>("a4")->setText("1");
    emit grid->cellDoubleClicked(0, 0);
    accepted = !dlg.isVisible();
    dlg.findChild<QPushButton*>("CancelBtn")->click();
  });
  QVERIFY(!dlg.Run(kept));
  QVERIFY(!accepted);
  QCOMPARE(prompt.errors, (std::vector<std::string>{"'300' не является числом от 0 до 255",
                                                    "'10.0.0.304' не является IP-адресом"}));
  QCOMPARE(kept.link.DestIP, v.link.DestIP);
}

void ShellTest::QtDialogsSpeakRussian() {
  if (!InstallQtRussian()) QSKIP("qtbase_ru.qm is not installed (scripts/setup installs qt6-translations-l10n)");
  QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != "Look in:");
  QVERIFY(QCoreApplication::translate("QPlatformTheme", "Cancel") != "Cancel");
}

// The list of a file dialog: sizes, types, dates and headers in Russian, whatever the system
// locale and the MIME database say.
void ShellTest::FileDialogListIsRussian() {
  InstallQtRussian();
  QTemporaryDir dir;
  QVERIFY(QDir(dir.path()).mkdir("папка"));
  QFile file(dir.filePath("conf.cfg"));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(3072, 'x'));
  file.close();
  QMap<QString, QStringList> rows;
  QStringList headers;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    auto* view = dialog->findChild<QTreeView*>("treeView");
    QVERIFY(view);
    const QAbstractItemModel* model = view->model();
    QTRY_COMPARE(model->rowCount(view->rootIndex()), 2);
    for (int r = 0; r < 2; ++r)
      for (int c = 1; c < 4; ++c)
        rows[model->index(r, 0, view->rootIndex()).data().toString()] << model->index(r, c, view->rootIndex()).data().toString();
    for (int c = 0; c < 4; ++c) headers << model->headerData(c, Qt::Horizontal).toString();
    dialog->reject();
  });
  QFileDialog::getOpenFileName(nullptr, "Открыть", dir.path());
  QCOMPARE(headers, QStringList({"Имя", "Размер", "Тип", "Изменён"}));
  QCOMPARE(rows.value("папка").mid(0, 2), QStringList({"", "Папка"}));
  QCOMPARE(rows.value("conf.cfg").mid(0, 2), QStringList({"3,0 КБ", "Файл CFG"}));
  QVERIFY2(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$").match(rows.value("conf.cfg").value(2)).hasMatch(),
           qPrintable(rows.value("conf.cfg").join('|')));
  QCOMPARE(FileSizeText(512), QString("512 байт"));
  QCOMPARE(FileSizeText(5 * 1024 * 1024 + 512 * 1024), QString("5,5 МБ"));
}

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
