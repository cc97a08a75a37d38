#pragma once
// The one-line input dialog: a prompt, an edit box with the text selected, "Ввод" and "Отмена".
#include <QString>

#include "shell/ui/QtPrompt.h"

class QLabel;
class QLineEdit;

namespace vlm {

enum : int { kInputOk = 1, kInputCancel = 3 };

class TfEdit : public TRightClickDialog {
  Q_OBJECT
 public:
  explicit TfEdit(QWidget* parent = nullptr);
  void Prepare(const QString& prompt, const QString& text, int maxLength);
  QString Text() const;
  QLineEdit* Edit() const { return edit_; }

 private:
  QLabel* label_;
  QLineEdit* edit_;
  int maxLength_ = 255;
};

struct TInputResult {
  int Result = kInputCancel;
  QString Text;
};
// Shows TfEdit modally; on "Ввод" the edited text cut to maxLength.
TInputResult InputString(const QString& prompt, const QString& text, int maxLength, QWidget* parent = nullptr);

}  // namespace vlm
