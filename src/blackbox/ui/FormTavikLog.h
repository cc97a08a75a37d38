#pragma once
// "ТАВИК - Журнал событий": the change list of one analyzer object (or the root's errors).
#include <QDialog>

#include "blackbox/BoxTavikTypes.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace vlm {

class TFormTavikLog : public QDialog {
  Q_OBJECT
 public:
  explicit TFormTavikLog(QWidget* parent);
  // Takes the log of one object and centres itself on its owner.
  void ShowLog(const TTavikLog& log);
  const TTavikLog& Log() const { return log_; }
  // The log as CSV (one row per change); false when the file cannot be written.
  bool ExportCsv(const QString& path) const;

 private:
  TTavikLog log_;
  QLineEdit *editAppear_, *editChanges_;
  QLabel *panelFirst_, *panelLast_;
  QPlainTextEdit* memo_;
};

}  // namespace vlm
