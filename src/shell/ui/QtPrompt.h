#pragma once
// The two modal boxes of the program as Qt dialogs: the error box ("Закрыть") and the question
// box ("Да" / "Нет" / optional "Отмена"). A right click anywhere in either box closes it.
#include <QDialog>

#include "common/Prompt.h"

class QLabel;

namespace vlm {

// Base of the small boxes that close on a right click (error, question, About).
class TRightClickDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TRightClickDialog(QWidget* parent, int rightClickResult);
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void WatchChildren();
 private:
  int rightClickResult_;
};

class TFormError : public TRightClickDialog {
  Q_OBJECT
 public:
  TFormError(const QString& text, QWidget* parent = nullptr);
};

class TFormAsk : public TRightClickDialog {
  Q_OBJECT
 public:
  TFormAsk(const QString& text, bool withCancel, QWidget* parent = nullptr);
};

// The program-wide prompt of the desktop program.
class TQtPrompt : public IPrompt {
 public:
  void ShowError(const std::string& text) override;
  TAnswer AskYesNo(const std::string& text, bool withCancel) override;
};

}  // namespace vlm
