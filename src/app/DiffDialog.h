#pragma once
// The differences between the controller's configuration and the one about to be written, shown
// before the write question: one line per difference, "Сохранить как текст..." for the record.
#include <QDialog>

#include "cfgdiff/ConfigDiff.h"

class QListWidget;

namespace vlm {

class TFormConfigDiff : public QDialog {
  Q_OBJECT
 public:
  TFormConfigDiff(const TConfigDiff& diff, QWidget* parent = nullptr);
  QListWidget* List() const { return list_; }
  // Writes the lines as text (UTF-8) to the file; false when it cannot be written.
  bool SaveText(const QString& path) const;
  void ButtonSaveClick();

 private:
  TConfigDiff diff_;
  QListWidget* list_;
};

}  // namespace vlm
