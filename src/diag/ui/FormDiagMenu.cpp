// The popup menu of a parameter row and saving its change log.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>

#include "common/DataFolder.h"
#include "common/Format.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "diag/ui/FormDiag.h"
#include "shell/ui/AppInfo.h"

namespace vlm {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QString AskDiagLogPath(QWidget* parent, const QString& proposed) {
  return QFileDialog::getSaveFileName(parent, kAppTitle + " - Сохранить журнал в файл", proposed,
                                      "Журналы (*.log);;Все файлы (*.*)");
}

QMenu* TFormDiag::BuildPopup(TDiagObj& obj, bool fromWatch) {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  auto item = [menu](const char* name, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    return a;
  };
  item("ItemName", Q("\"" + obj.Name + "\""));
  item("ItemValue", Q("Значение:\t" + obj.Value));
  item("ItemChanges", Q("Изменений:\t" + std::to_string(obj.ChangeCount)));
  item("ItemLast", Q(FormatDateTime("\"Последнее:\t\"yyyy.mm.dd hh:nn:ss.zzz", obj.ChangeTime)));
  QMenu* debug = menu->addMenu("Отладка");
  debug->setObjectName("MenuDebug");
  auto sub = [debug](const char* name, const QString& text) {
    QAction* a = debug->addAction(text);
    a->setObjectName(name);
    return a;
  };
  sub("ItemAddr", Q("Addr:\t" + Format("%p", {reinterpret_cast<const void*>(uintptr_t(obj.Header.DataPtr))})));
  sub("ItemFormat", Q("Name:\t" + obj.FormatText));
  sub("ItemKind", Q("Kind:\t" + std::to_string(obj.Kind())));
  sub("ItemFlag", Q("Flag:\t" + Format("%.2xh", {obj.Header.Flags})));
  connect(sub("ItemCopy", "Копировать таблицу в буфер обмена"), &QAction::triggered, this,
          [this] { QApplication::clipboard()->setText(Q(session_.ClipboardTable())); });

  QAction* read = item("ItemRead", "Читать значение");
  read->setCheckable(true);
  read->setEnabled(!obj.IsConstant());
  read->setChecked(read->isEnabled() && obj.ReadEnabled);
  connect(read, &QAction::triggered, this, [&obj] {
    obj.ReadEnabled = !obj.ReadEnabled;
    obj.Changed = false;
  });
  QAction* light = item("ItemHighlight", "Подсвечивать изменения");
  light->setCheckable(true);
  light->setEnabled(session_.HighlightGlobal && read->isChecked() && !obj.IsConstant());
  light->setChecked(light->isEnabled() && obj.HighlightEnabled);
  connect(light, &QAction::triggered, this, [&obj] { obj.HighlightEnabled = !obj.HighlightEnabled; });
  QAction* show = item("ItemShowLog", "Показать журнал");
  show->setEnabled(obj.ChangeLog != nullptr);
  connect(show, &QAction::triggered, this, [this, &obj] { ShowLog(obj); });
  QAction* save = item("ItemSaveLog", "Сохранить журнал");
  save->setEnabled(obj.ChangeLog != nullptr);
  connect(save, &QAction::triggered, this, [this, &obj] { SaveChangeLog(obj); });
  QAction* watch = item("ItemWatch", fromWatch ? "Удалить из окна просмотра" : "Добавить в окно просмотра");
  watch->setEnabled(!obj.IsConstant());
  connect(watch, &QAction::triggered, this, [this, &obj, fromWatch] {
    if (fromWatch) {
      session_.RemoveWatch(size_t(std::max(0, session_.WatchIndex(&obj))));
      PaintGrid2();
    } else {
      AddToWatch(obj);
    }
  });
  return menu;
}

void TFormDiag::SaveChangeLog(TDiagObj& obj) {
  const QString dir = settings_.RecentDirectory.empty() ? QString::fromStdString(DataSubfolder("Log").string())
                                                        : Q(settings_.RecentDirectory);
  const QString proposed = dir + "/" + Q(SanitizeFileName(TDiagSession::ProposedLogName(obj)));
  QString path = AskSavePath ? AskSavePath(proposed) : QString();
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += ".log";
  settings_.RecentDirectory = QFileInfo(path).absolutePath().toStdString();
  if (!WriteFileAtomically(path.toStdU16String(), Utf8ToCp1251(TDiagSession::ChangeLogFileText(obj))))
    ShowError("Не удалось сохранить журнал.\r" + path.toStdString());
}

}  // namespace vlm
