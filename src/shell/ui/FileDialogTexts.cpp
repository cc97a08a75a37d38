#include "shell/ui/FileDialogTexts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>

namespace vlm {
namespace {

enum TColumn { kName, kSize, kType, kDate };

class TFileDialogWatcher : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Polish)
      if (auto* dialog = qobject_cast<QFileDialog*>(watched)) UseRussianFileList(dialog);
    return false;
  }
};

}  // namespace

QString FileSizeText(qint64 bytes) {
  const QLocale russian(QLocale::Russian, QLocale::Russia);
  if (bytes < 1024) return russian.toString(bytes) + " байт";
  const char* units[] = {"КБ", "МБ", "ГБ", "ТБ"};
  double value = double(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  return russian.toString(value, 'f', 1) + " " + QString::fromUtf8(units[unit]);
}

QVariant TFileListTexts::data(const QModelIndex& index, int role) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  if (role != Qt::DisplayRole || !files || index.column() == kName) return QIdentityProxyModel::data(index, role);
  const QFileInfo info = files->fileInfo(mapToSource(index));
  switch (index.column()) {
    case kSize:
      return info.isFile() ? FileSizeText(info.size()) : QString();
    case kType:
      if (info.isRoot()) return QStringLiteral("Диск");
      if (info.isDir()) return QStringLiteral("Папка");
      return info.suffix().isEmpty() ? QStringLiteral("Файл") : "Файл " + info.suffix().toUpper();
    case kDate:
      return QLocale(QLocale::Russian, QLocale::Russia).toString(info.lastModified(), "dd.MM.yyyy HH:mm");
    default:
      return QIdentityProxyModel::data(index, role);
  }
}

QVariant TFileListTexts::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kHeaders[] = {"Имя", "Размер", "Тип", "Изменён"};
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
    return QString::fromUtf8(kHeaders[section]);
  return QIdentityProxyModel::headerData(section, orientation, role);
}

void UseRussianFileList(QFileDialog* dialog) {
  if (!dialog->proxyModel()) dialog->setProxyModel(new TFileListTexts(dialog));
}

void InstallRussianFileDialogs() {
  static TFileDialogWatcher* watcher = nullptr;
  if (watcher || !QCoreApplication::instance()) return;
  watcher = new TFileDialogWatcher(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(watcher);
}

}  // namespace vlm
