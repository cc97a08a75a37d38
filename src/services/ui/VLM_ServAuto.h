#pragma once
// The autoexec.bat window: reads the controller's start-up file into an editor and writes it
// back, then offers the reset window.
#include <QDialog>
#include <functional>

#include "services/ui/WindowObserver.h"
#include "shell/HelpTopics.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;

namespace vlm {

class TControllerLink;

inline constexpr int kHelpAutoexec = HelpContextOf("TFormAuto");

class TFormAuto : public QDialog {
  Q_OBJECT
 public:
  explicit TFormAuto(TControllerLink& link, QWidget* parent = nullptr);
  std::function<void(int)> Help;
  // Shows the reset window modally (the main window provides it).
  std::function<void()> ShowReset;

  void ButtonReadClick();
  void ButtonSaveClick();
  void MemoAutoClick();
  QPlainTextEdit* MemoAuto() const { return memo_; }
  QLabel* PanelSize() const { return panelSize_; }
  QLabel* PanelTime() const { return panelTime_; }
  QProgressBar* Progress() const { return progress_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool busy_ = false;  // an operation runs (its pump lets buttons through)
  TControllerLink& link_;
  QPlainTextEdit* memo_;
  QLabel* panelSize_;
  QLabel* panelTime_;
  QProgressBar* progress_;
  TWindowObserver observer_;
};

}  // namespace vlm
