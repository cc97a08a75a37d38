#pragma once
// The upload window: one PC file into the root of the controller's disk, checked by reading it
// back, every step logged.
#include <QDialog>
#include <functional>

#include "services/ui/WindowObserver.h"
#include "shell/HelpTopics.h"

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;

namespace vlm {

class TControllerLink;

inline constexpr int kHelpUpload = HelpContextOf("TFormUpload");

class TFormUpload : public QDialog {
  Q_OBJECT
 public:
  explicit TFormUpload(TControllerLink& link, QWidget* parent = nullptr);
  std::function<void(int)> Help;

  void ButtonProgSearchClick();
  // What a confirmed open dialog does with its path.
  void ChooseFile(const QString& path);
  void ButtonLoadClick();
  QPlainTextEdit* Memo() const { return memo_; }
  QLineEdit* EditProgController() const { return editController_; }
  QProgressBar* Progress() const { return progress_; }

 private:
  bool busy_ = false;  // an operation runs (its pump lets buttons through)
  TControllerLink& link_;
  QString path_;
  QLineEdit* editPc_;
  QLineEdit* editController_;
  QPlainTextEdit* memo_;
  QProgressBar* progress_;
  TWindowObserver observer_;
  int settleMs_ = 200;

 public:
  void SetSettleMs(int ms) { settleMs_ = ms; }  // tests skip the pause
};

}  // namespace vlm
