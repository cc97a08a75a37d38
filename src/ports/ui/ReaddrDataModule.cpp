#include "ports/ui/ReaddrDataModule.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "common/DataFolder.h"
#include "common/DateTime.h"
#include "ports/ui/ReaddrTable.h"

namespace vlm {
namespace {

struct MenuItem {
  const char* text;
  QKeySequence shortcut;
  void (*run)(TReaddrTable*);
};

// The menu in its order; the second item has two blanks between its words. The grid takes
// Ctrl with either Enter key itself; the keypad's Enter names the shortcut "Ctrl+Enter" in the menu.
const MenuItem kItems[] = {
    {"Редактировать в 10 или 16 виде", QKeySequence(Qt::CTRL | Qt::Key_Enter), [](TReaddrTable* t) { t->OpenKeypad(); }},
    {"Вставить  пустую строку", {}, [](TReaddrTable* t) { t->InsertEmptyRow(); }},
    {"Вставить копию строки", {}, [](TReaddrTable* t) { t->InsertCopyRow(); }},
    {"Удалить строку", QKeySequence(Qt::CTRL | Qt::Key_Delete), [](TReaddrTable* t) { t->DeleteCurrentRow(); }},
    {"Читать таблицу из текстового файла", {}, [](TReaddrTable* t) { TReaddrDataModule::Instance().Import(t); }},
    {"Сохранить таблицу в текстовом файле", {}, [](TReaddrTable* t) { TReaddrDataModule::Instance().Export(t); }},
    {"Сортировать по локальным адресам", QKeySequence(Qt::CTRL | Qt::Key_I), [](TReaddrTable* t) { t->SortBy(TSortKind::Local); }},
    {"Сортировать по внешним адресам", QKeySequence(Qt::CTRL | Qt::Key_O), [](TReaddrTable* t) { t->SortBy(TSortKind::External); }},
};

}  // namespace

TReaddrDataModule& TReaddrDataModule::Instance() {
  static TReaddrDataModule module;
  return module;
}

void TReaddrDataModule::Attach(TReaddrTable* table) {
  table->setContextMenuPolicy(Qt::ActionsContextMenu);
  for (const MenuItem& item : kItems) {
    auto* action = new QAction(QString::fromUtf8(item.text), table);
    // The grid handles these keys itself (also while a cell is edited); the menu shows them.
    action->setShortcut(item.shortcut);
    action->setShortcutContext(Qt::WidgetShortcut);
    auto run = item.run;
    QObject::connect(action, &QAction::triggered, table, [table, run] { run(table); });
    table->addAction(action);
  }
}

void TReaddrDataModule::Detach(TReaddrTable* table) {
  if (last_ == table) last_ = nullptr;
}

QString TReaddrDataModule::TableFolder() {
  if (folder_.isEmpty()) folder_ = QString::fromStdString(DataSubfolder("Data").string());
  return folder_;
}

void TReaddrDataModule::Import(TReaddrTable* table) {
  const QString path = QFileDialog::getOpenFileName(table, {}, TableFolder(), "*.txt;;*.*");
  if (path.isEmpty()) return;
  folder_ = QFileInfo(path).absolutePath();
  table->ImportFrom(path);
}

void TReaddrDataModule::Export(TReaddrTable* table) {
  const QString proposed = QDir(TableFolder()).filePath(QString::fromStdString(ProposedTableFileName(Now())));
  const QString path = QFileDialog::getSaveFileName(table, {}, proposed, "*.txt;;*.*");
  if (path.isEmpty()) return;
  folder_ = QFileInfo(path).absolutePath();
  table->ExportTo(path);
}

}  // namespace vlm
