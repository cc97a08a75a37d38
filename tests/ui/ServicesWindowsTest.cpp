// The service windows offscreen against velmor-sim: file exchange (list, navigate, select,
// copy, compare, view, delete, new PC folder), viewer, input dialog, upload, autoexec.bat and
// reset; a screenshot of each window goes to the screenshots folder.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include "common/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "link/Velmor_PC.h"
#include "app/MainForm.h"
#include "app/MainServices.h"
#include "services/ui/ServiceWindows.h"
#include "shell/AppContext.h"
#include "services/ui/VLM_Reset.h"
#include "services/ui/VLM_ServAuto.h"
#include "services/ui/VLM_ServFiles.h"
#include "services/ui/VLM_ServFilesView.h"
#include "services/ui/VLM_ServUpload.h"
#include "services/ui/uEdit.h"
#include "UiTestUtil.h"

using namespace vlm;

namespace {

QByteArray Pattern(int n, int seed) {
  QByteArray bytes(n, '\0');
  for (int i = 0; i < n; ++i) bytes[i] = char((i * 31 + seed * 7 + i / 97) & 0xFF);
  return bytes;
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int RowOf(const TFormFiles& form, const QString& name) {
  for (int r = 0; r < form.ListViewVLM()->rowCount(); ++r)
    if (form.ListViewVLM()->item(r, 0)->text() == name) return r;
  return -1;
}

}  // namespace

class ServicesWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanupTestCase();
  void FilesListsNavigatesAndSelects();
  void FilesCopyCompareViewDelete();
  void FilesNewPcFolderAndPcFileDetails();
  void InputDialogResults();
  void UploadLogsAndVerifies();
  void AutoexecReadsEditsAndOffersReset();
  void ResetButtonFleesAndResetsWithCtrl();
  void MainWindowButtonsAndResetAfterWrite();

 private:
  void Shoot(QWidget* w, const QString& name);
  QTemporaryDir home_, disk_, pc_;
  QProcess sim_;
  TControllerLink link_;
  ScriptedPrompt prompt_;
  QDir out_;
};

void ServicesWindowsTest::initTestCase() {
  test::PrepareProgram(home_);
  SetPrompt(&prompt_);
  const QByteArray env = qgetenv("VELMOR_SCREENSHOTS");
  out_ = QDir(env.isEmpty() ? QStringLiteral(VELMOR_SCREENSHOTS) : QString::fromUtf8(env));
  QVERIFY(out_.mkpath("."));
  QVERIFY(QDir(disk_.path()).mkpath("sub"));
  Write(disk_.filePath("sub/inner.txt"), "inner\r\n");
  Write(disk_.filePath("data.bin"), Pattern(5000, 1));
  Write(disk_.filePath("note.txt"), "rem \x8F\xE0\xA8\xA2\xA5\xE2\r\n\xFC" "1 \xC9\xCD\xBB\r\n");
  Write(disk_.filePath("empty.dat"), "");
  const int port = test::TestPort(1);
  QVERIFY(test::StartSimulator(sim_, 5, port, disk_.path()));
  link_.Settings.SelfIP = {127, 0, 0, 1};
  link_.Settings.DestIP = {127, 0, 0, 5};
  link_.Settings.UdpPort = uint16_t(port);
  link_.Settings.WaitTime = 500;
}

void ServicesWindowsTest::cleanupTestCase() {
  sim_.terminate();
  sim_.waitForFinished(5000);
  SetPrompt(nullptr);
}

void ServicesWindowsTest::Shoot(QWidget* w, const QString& name) {
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  QCoreApplication::processEvents();
  QVERIFY(w->grab().save(out_.filePath(name + ".png")));
}

void ServicesWindowsTest::FilesListsNavigatesAndSelects() {
  TFormFiles form(link_);
  form.SetPcDir(pc_.path());
  int help = 0;
  form.Help = [&](int context) { help = context; };
  form.show();
  QTRY_VERIFY(form.ListViewVLM()->rowCount() > 0);
  QCOMPARE(form.windowTitle(), QString("Конфигуратор ВЕЛМОР - Обмен файлами  IP=127.0.0.5"));
  QCOMPARE(form.LabelDirVLM()->text(), QString("C:\\"));
  const QStringList rows = form.Rows();
  QVERIFY(rows.first().startsWith("SUB|0|"));
  QVERIFY(rows.filter(QRegularExpression("^data\\.bin\\|5000\\|\\d\\d\\.\\d\\d\\.\\d{4}  \\d\\d:\\d\\d:\\d\\d$")).size() == 1);
  QVERIFY(form.LabelState()->text().startsWith("Файлов: "));

  QTest::keyClick(form.ListViewVLM(), Qt::Key_A, Qt::ControlModifier);
  QVERIFY(!form.ListViewVLM()->item(RowOf(form, "SUB"), 0)->isSelected());
  QVERIFY(form.ListViewVLM()->item(RowOf(form, "data.bin"), 0)->isSelected());
  QVERIFY(form.LabelSelected()->text().startsWith("Выбрано файлов: "));
  form.ListViewVLM()->clearSelection();
  form.ListViewVLM()->selectRow(RowOf(form, "SUB"));
  QCOMPARE(form.LabelSelected()->text(), QString());

  form.SortByColumn(1);
  QVERIFY(form.Rows().indexOf(QRegularExpression("^data\\.bin.*")) == form.ListViewVLM()->rowCount() - 1);
  form.SortByColumn(0);

  form.ListViewVLM()->setCurrentCell(RowOf(form, "SUB"), 0);
  QTest::keyClick(form.ListViewVLM(), Qt::Key_Return);
  QCOMPARE(form.LabelDirVLM()->text(), QString("C:\\SUB\\"));
  QCOMPARE(form.ListViewVLM()->item(form.ListViewVLM()->currentRow(), 0)->text(), QString(".."));
  QVERIFY(RowOf(form, "inner.txt") >= 0);
  QVERIFY(RowOf(form, ".") < 0);
  form.ListViewVLMDblClick();  // ".." is current
  QCOMPARE(form.LabelDirVLM()->text(), QString("C:\\"));
  QCOMPARE(form.ListViewVLM()->item(form.ListViewVLM()->currentRow(), 0)->text(), QString("SUB"));

  form.ChangeControllerDir("C:\\SUB\\");
  const int charWidth = form.LabelDirVLM()->fontMetrics().horizontalAdvance(QLatin1Char('A'));
  QCOMPARE(form.LabelDirHint(charWidth * 4 + 1), QString("Перейти в каталог C:\\SUB\\"));
  QCOMPARE(form.LabelDirHint(1), QString("Перейти в каталог C:\\"));
  QTest::mouseClick(form.LabelDirVLM(), Qt::LeftButton, {}, QPoint(1, 5));
  QCOMPARE(form.LabelDirVLM()->text(), QString("C:\\"));

  QTest::keyClick(&form, Qt::Key_F1);
  QCOMPARE(help, kHelpFiles);
  Shoot(&form, "service_files");
}

void ServicesWindowsTest::FilesCopyCompareViewDelete() {
  TFormFiles form(link_);
  form.SetPcDir(pc_.path());
  form.show();
  QTRY_VERIFY(RowOf(form, "data.bin") >= 0);
  form.ButtonCopyToPCClick();
  QCOMPARE(form.LabelState()->text(), QString("Перед нажатием кнопки выберите файл(ы) на правой панели."));

  form.ListViewVLM()->selectRow(RowOf(form, "data.bin"));
  QTest::keyClick(form.ListViewVLM(), Qt::Key_A, Qt::ControlModifier);
  form.ButtonCopyToPCClick();
  QVERIFY2(QRegularExpression("^Копирование \\S+ завершено \\(файлов: \\d+, байтов: \\d+, время: \\d+ с\\)\\.$")
               .match(form.LabelState()->text())
               .hasMatch(),
           qPrintable(form.LabelState()->text()));
  QCOMPARE(Read(QDir(pc_.path()).filePath("data.bin")), Pattern(5000, 1));
  QVERIFY(QFile::exists(QDir(pc_.path()).filePath("empty.dat")));
  QCOMPARE(form.LabelSelected()->text(), QString());  // copied items leave the selection

  form.ListViewVLM()->selectRow(RowOf(form, "data.bin"));
  form.NCompareClick();
  QCOMPARE(form.LabelState()->text(), QString("Сравнение data.bin завершено успешно."));
  QByteArray changed = Pattern(5000, 1);
  changed[4321] = char(changed[4321] ^ 1);
  Write(QDir(pc_.path()).filePath("data.bin"), changed);
  form.ListViewVLM()->selectRow(RowOf(form, "data.bin"));
  form.NCompareClick();
  QVERIFY(!prompt_.errors.empty());
  QVERIFY(QString::fromStdString(prompt_.errors.back()).contains("Позиция данных в файле, начиная с 0: 4321"));

  form.ListViewVLM()->setCurrentCell(RowOf(form, "note.txt"), 0);
  form.NViewClick();
  QVERIFY(form.Viewer()->isVisible());
  QCOMPARE(form.Viewer()->windowTitle(), QString("Конфигуратор ВЕЛМОР - Просмотр файла note.txt"));
  QCOMPARE(form.Viewer()->Memo()->toPlainText(), QString("rem Привет\n№1 ╔═╗\n"));
  Shoot(form.Viewer(), "service_files_view");
  QTest::keyClick(form.Viewer()->Memo(), Qt::Key_Escape);
  QVERIFY(!form.Viewer()->isVisible());

  prompt_.answers = {TAnswer::Yes};
  form.ListViewVLM()->setCurrentCell(RowOf(form, "empty.dat"), 0);
  form.NDeleteClick();
  QCOMPARE(QString::fromStdString(prompt_.questions.back()), QString("empty.dat\r\rВы действительно хотите удалить файл?"));
  QVERIFY(RowOf(form, "empty.dat") < 0);
  QVERIFY(!QFile::exists(QDir(disk_.path()).filePath("empty.dat")));
}

void ServicesWindowsTest::FilesNewPcFolderAndPcFileDetails() {
  TFormFiles form(link_);
  form.SetPcDir(pc_.path());
  const QString made = QDir(pc_.path()).filePath("made/deeper");
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TfEdit*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    QCOMPARE(dialog->Edit()->text(), QDir::toNativeSeparators(pc_.path()) + QDir::separator());
    QCOMPARE(dialog->Edit()->selectedText(), dialog->Edit()->text());
    dialog->Edit()->setText(made);
    dialog->findChild<QPushButton*>("ButtonOk")->click();
  });
  form.NMkDirClick();
  QVERIFY(QDir(made).exists());

  Write(QDir(pc_.path()).filePath("local.txt"), "12345");
  form.FileListBoxPCClick(QDir(pc_.path()).filePath("local.txt"));
  QVERIFY(QRegularExpression("^.*local\\.txt \\| 5 \\| \\d\\d\\.\\d\\d\\.\\d{4}  \\d\\d:\\d\\d:\\d\\d$")
              .match(form.LabelState()->text())
              .hasMatch());

  // A bare name is made in the folder shown; a folder that cannot be made is reported.
  auto answer = [](const QString& text) {
    QTimer::singleShot(0, [text] {
      auto* dialog = qobject_cast<TfEdit*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->Edit()->setText(text);
      dialog->findChild<QPushButton*>("ButtonOk")->click();
    });
  };
  answer("relative");
  form.NMkDirClick();
  QVERIFY(QDir(QDir(pc_.path()).filePath("relative")).exists());
  prompt_.errors.clear();
  answer("local.txt/inside");
  form.NMkDirClick();
  QCOMPARE(QString::fromStdString(prompt_.errors.back()),
           "Не удалось создать каталог " + QDir::toNativeSeparators(QDir(pc_.path()).filePath("local.txt/inside")));

  // The highlight moved by the keys is the copy target.
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  auto* tree = form.findChild<QTreeView*>("DirectoryTreePC");
  tree->setFocus();
  QTest::keyClick(tree, Qt::Key_Up);
  QVERIFY(form.PcDir() != QDir(pc_.path()).absolutePath());
  QCOMPARE(form.PcDir(), qobject_cast<QFileSystemModel*>(tree->model())->filePath(tree->currentIndex()));
  QCOMPARE(QString::fromStdString(form.Exchange().PcDir), form.PcDir());
}

void ServicesWindowsTest::InputDialogResults() {
  TfEdit dialog;
  dialog.Prepare("Для создания нового каталога\rвведите его имя :", "abcdef", 4);
  QCOMPARE(dialog.windowTitle(), QString("Конфигуратор ВЕЛМОР - Ввод"));
  QCOMPARE(dialog.Edit()->selectedText(), QString("abcd"));
  Shoot(&dialog, "service_input");
  QTimer::singleShot(0, [&] { QTest::mouseClick(dialog.Edit(), Qt::RightButton); });
  QCOMPARE(dialog.exec(), int(kInputCancel));
}

void ServicesWindowsTest::UploadLogsAndVerifies() {
  TFormUpload form(link_);
  form.SetSettleMs(0);
  form.ButtonLoadClick();
  QCOMPARE(QString::fromStdString(prompt_.errors.back()), QString("Выберите файл для загрузки в контроллер."));
  const QString path = QDir(pc_.path()).filePath("program1234.exe");
  Write(path, Pattern(461, 3));
  form.ChooseFile(path);
  QCOMPARE(form.EditProgController()->text(), QString("c:\\program1234."));
  form.ButtonLoadClick();
  const QStringList lines = form.Memo()->toPlainText().split('\n');
  QCOMPARE(lines.first(), "Выбран файл " + QDir::toNativeSeparators(path));
  QVERIFY(lines.contains("Количество сегментов: 3"));
  QCOMPARE(lines.last(), QString("Проверка завершена успешно."));
  QCOMPARE(form.Progress()->value(), 3);
  QCOMPARE(Read(QDir(disk_.path()).filePath("program1")), Pattern(461, 3));  // the controller keeps 8.3 names
  QCOMPARE(form.windowTitle(), QString("Конфигуратор ВЕЛМОР - Загрузка файла"));
  Shoot(&form, "service_upload");
}

void ServicesWindowsTest::AutoexecReadsEditsAndOffersReset() {
  TFormAuto form(link_);
  bool resetShown = false;
  form.ShowReset = [&] { resetShown = true; };
  // Read and written back without an edit, the file keeps every byte: box drawing, "№" and the
  // no-break space (FFh) included.
  const QByteArray drawn("rem \xFC" "1 \xC9\xCD\xCD\xCD\xBB\xFF\r\nvlm.exe\r\n");
  Write(QDir(disk_.path()).filePath("autoexec.bat"), drawn);
  form.ButtonReadClick();
  QCOMPARE(form.MemoAuto()->toPlainText(), QString("rem №1 ╔═══╗ \nvlm.exe\n"));
  prompt_.answers = {TAnswer::No};
  form.ButtonSaveClick();
  QCOMPARE(Read(QDir(disk_.path()).filePath("autoexec.bat")), drawn);
  QVERIFY(!resetShown);
  QVERIFY(!form.PanelSize()->text().isEmpty());
  QVERIFY(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$").match(form.PanelTime()->text()).hasMatch());
  form.MemoAuto()->setPlainText("@echo off\nrem Запуск\nvlm.exe\n");
  prompt_.answers = {TAnswer::Yes};
  form.ButtonSaveClick();
  QCOMPARE(QString::fromStdString(prompt_.questions.back()), QString("Файл загружен.\r\rПерезапустить контроллер?"));
  QVERIFY(resetShown);
  QCOMPARE(Read(QDir(disk_.path()).filePath("autoexec.bat")), QByteArray("@echo off\r\nrem \x87\xA0\xAF\xE3\xE1\xAA\r\nvlm.exe\r\n"));
  form.MemoAuto()->clear();
  form.ButtonReadClick();
  QCOMPARE(form.MemoAuto()->toPlainText(), QString("@echo off\nrem Запуск\nvlm.exe\n"));
  QCOMPARE(form.PanelSize()->text(), QString("32"));
  QCOMPARE(form.windowTitle(), QString("Конфигуратор ВЕЛМОР - Правка autoexec.bat"));
  Shoot(&form, "service_autoexec");
}

void ServicesWindowsTest::ResetButtonFleesAndResetsWithCtrl() {
  bool closeReset = false;
  TFormReset form(link_, closeReset);
  Shoot(&form, "service_reset");
  QCOMPARE(form.windowTitle(), QString("Конфигуратор ВЕЛМОР - Перезагрузка  IP=127.0.0.5"));
  QVERIFY(!form.CheckBoxClose()->isChecked());
  const QPoint start = form.Image()->pos();
  QTest::mouseMove(form.Image(), QPoint(83, 83), 0);
  QCoreApplication::processEvents();
  QCOMPARE(form.Image()->pos(), start + QPoint(83, 0));  // from the centre: right by the radius
  QTest::mouseClick(form.Image(), Qt::LeftButton, {}, QPoint(83, 83));
  QCOMPARE(form.LabelStatus()->text(), QString());  // no Ctrl, nothing sent
  const QPoint held = form.Image()->pos();
  QMouseEvent ctrlMove(QEvent::MouseMove, QPointF(80, 80), form.Image()->mapToGlobal(QPointF(80, 80)), Qt::NoButton,
                       Qt::NoButton, Qt::ControlModifier);
  QApplication::sendEvent(form.Image(), &ctrlMove);
  QCOMPARE(form.Image()->pos(), held);  // with Ctrl the button stays to be pressed

  form.CheckBoxClose()->setChecked(true);
  QVERIFY(closeReset);
  QTest::mouseClick(form.Image(), Qt::LeftButton, Qt::ControlModifier, QPoint(83, 83));
  QCOMPARE(form.LabelStatus()->text(), QString("Выдана команда перезагрузки в контроллер 127.0.0.5"));
  QVERIFY(form.TimerStatus()->isActive());
  form.TimerStatus()->stop();  // the ticks are driven by hand below, none while the simulator is awaited
  QByteArray simLog;
  QTRY_VERIFY2((simLog += sim_.readAllStandardError()).contains("sim: reset #1"), simLog.constData());
  for (int i = 0; i < 50; ++i) form.TimerStatusTimer();
  QCOMPARE(form.LabelStatus()->text(), QString("Выдана команда перезагрузки в контроллер 127.0.0.5"));
  form.TimerStatusTimer();
  QCOMPARE(form.LabelStatus()->text(), QString("Выдана команда перезагрузки в контроллер 127.0.0."));
  for (int i = 0; i < 60 && form.isVisible(); ++i) form.TimerStatusTimer();
  QCOMPARE(form.LabelStatus()->text(), QString());
  QVERIFY(!form.isVisible());  // closed because the setting is on

  // An address of no interface of this PC: nothing goes out, the window says so and stays.
  TControllerLink unbound;
  unbound.Settings = link_.Settings;
  unbound.Settings.SelfIP = {192, 0, 2, 1};
  TFormReset failing(unbound, closeReset);
  failing.show();
  QTest::mouseClick(failing.Image(), Qt::LeftButton, Qt::ControlModifier, QPoint(83, 83));
  QCOMPARE(failing.LabelStatus()->text(),
           QString("Команда перезагрузки в контроллер 127.0.0.5 не выдана. Не удалось открыть связь: адреса 192.0.2.1 "
                   "нет на этом компьютере (настройка «IP-адрес ПЭВМ»)"));
  failing.TimerStatus()->stop();
  for (int i = 0; i < 200 && !failing.LabelStatus()->text().isEmpty(); ++i) failing.TimerStatusTimer();
  QVERIFY(failing.isVisible());
}

void ServicesWindowsTest::MainWindowButtonsAndResetAfterWrite() {
  TAppContext ctx;
  TFormVLM form(ctx);
  ctx.Link.Settings = link_.Settings;  // the window has read its ini by now
  const auto services = AttachServiceWindows(form, ctx);
  form.show();
  const QStringList names{"ButtonFiles", "ButtonUpload", "ButtonAutoexec", "ButtonReset",  "ButtonBox",
                          "ButtonDiag",  "ButtonDisplay", "ButtonOptions",  "ButtonHelp"};
  const QStringList hints{"Сервис \"Обмен файлами\"", "Загрузить файл в контроллер ",
                          "Править файл autoexec.bat в контроллере", "Перезагрузить контроллер",
                          "Сервис \"Чёрный Яшик\"", "Сервис \"Диагностика\"", "Сервис \"Дисплей\"",
                          "Настроить программу", "Вызвать справочную систему"};
  for (int i = 0; i < names.size(); ++i) {
    auto* button = form.findChild<QToolButton*>(names[i]);
    QVERIFY2(button, qPrintable(names[i]));
    QCOMPARE(button->toolTip(), hints[i]);
  }
  // Each button opens its window modally; the window is closed again from inside its loop.
  QString shown;
  auto closeModal = [&] {
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      shown = modal ? modal->windowTitle() : QString("<none>");
      if (modal) modal->close();
    });
  };
  closeModal();
  form.findChild<QToolButton*>("ButtonUpload")->click();
  QCOMPARE(shown, QString("Конфигуратор ВЕЛМОР - Загрузка файла"));
  closeModal();
  form.findChild<QToolButton*>("ButtonReset")->click();
  QCOMPARE(shown, QString("Конфигуратор ВЕЛМОР - Перезагрузка  IP=127.0.0.5"));

  // After a configuration is written the reset window is offered (the differences from the
  // simulator's own configuration are accepted unseen).
  form.ConfirmDifferences = [](const TConfigDiff&) { return true; };
  shown.clear();
  prompt_.answers = {TAnswer::Yes};
  closeModal();
  form.WriteToController(true);
  QCOMPARE(shown, QString("Конфигуратор ВЕЛМОР - Перезагрузка  IP=127.0.0.5"));
  QVERIFY(QFile::exists(QDir(disk_.path()).filePath("vlm.cfg")));
}

QTEST_MAIN(ServicesWindowsTest)
#include "ServicesWindowsTest.moc"
