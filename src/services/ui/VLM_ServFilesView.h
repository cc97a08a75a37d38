#pragma once
// The read-only viewer of a controller file (text in the controller's code page, or hex).
#include <QWidget>
#include <string>

#include "services/ui/WindowObserver.h"

class QPlainTextEdit;
class QProgressBar;

namespace vlm {

class TControllerLink;

class TFormFilesView : public QWidget {
  Q_OBJECT
 public:
  explicit TFormFilesView(TControllerLink& link, QWidget* parent = nullptr);
  void ShowFile(const std::string& name);
  QPlainTextEdit* Memo() const { return memo_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TControllerLink& link_;
  QPlainTextEdit* memo_;
  QProgressBar* progress_;
  TWindowObserver observer_;
};

}  // namespace vlm
