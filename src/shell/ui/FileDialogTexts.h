#pragma once
// The Qt file dialog's list in Russian: its size, type and date columns come from the system
// locale and the MIME database ("Folder", "unknown", "KiB", "Dec" on an English system), whatever
// the translations say. InstallQtRussian puts these texts under every file dialog of the program.
#include <QIdentityProxyModel>

class QFileDialog;

namespace vlm {

class TFileListTexts : public QIdentityProxyModel {
  Q_OBJECT
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
};

// "512 байт", "1,5 КБ", "12,0 МБ".
QString FileSizeText(qint64 bytes);
// Puts the Russian list under a Qt file dialog that has none yet (native dialogs are left alone).
void UseRussianFileList(QFileDialog* dialog);
// From now on every file dialog of the program gets the Russian list when it is first shown.
void InstallRussianFileDialogs();

}  // namespace vlm
