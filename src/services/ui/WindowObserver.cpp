#include "services/ui/WindowObserver.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <climits>

#include "common/Prompt.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/Indicator.h"

namespace vlm {

void TWindowObserver::State(const std::string& text) {
  if (StateLabel) StateLabel->setText(UiText(text));
}

void TWindowObserver::Log(const std::string& line) {
  if (LogMemo) LogMemo->appendPlainText(QString::fromStdString(line));
}

void TWindowObserver::Progress(uint64_t position, uint64_t maximum) {
  if (!ProgressBar) return;
  // A progress bar counts in int; files of the controller may be larger.
  const uint64_t scale = maximum > uint64_t(INT_MAX) ? maximum / INT_MAX + 1 : 1;
  ProgressBar->setMaximum(int(std::max<uint64_t>(1, maximum / scale)));
  ProgressBar->setValue(int(std::min(position, maximum) / scale));
}

void TWindowObserver::Point(TPoint point) {
  if (Indicator) Indicator->AddPoint(point == TPoint::Good ? PointColor::Green : PointColor::Red);
}

void TWindowObserver::Pump() { QCoreApplication::processEvents(); }

void TWindowObserver::Deselect(const std::string& name) {
  if (OnDeselect) OnDeselect(name);
}

namespace {

class THelpKey : public QObject {
 public:
  THelpKey(QWidget* window, int context, const std::function<void(int)>* help)
      : QObject(window), context_(context), help_(help) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (event->type() == QEvent::KeyPress && *help_) (*help_)(context_);
        event->accept();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  int context_;
  const std::function<void(int)>* help_;
};

}  // namespace

void InstallHelpKey(QWidget* window, int context, const std::function<void(int)>* help) {
  window->setProperty("helpContext", context);
  auto* filter = new THelpKey(window, context, help);
  window->installEventFilter(filter);
  // Windows of their own inside (the file viewer) keep their own F1.
  for (QWidget* child : window->findChildren<QWidget*>())
    if (child->window() == window) child->installEventFilter(filter);
}

void RunGuarded(const std::function<void()>& body) {
  try {
    body();
  } catch (const EAbort&) {
  }
}

namespace {

// The error boxes of an operation wait until it has let go of the window and the link: a modal
// box shown from inside the operation would run the event loop while it still holds them.
// Questions are asked at once (the operation goes on by the answer).
class TDeferredErrors : public IPrompt {
 public:
  TDeferredErrors() : outer(Prompt()) {}
  void ShowError(const std::string& text) override { texts.push_back(text); }
  TAnswer AskYesNo(const std::string& text, bool withCancel) override { return outer.AskYesNo(text, withCancel); }
  IPrompt& outer;
  std::vector<std::string> texts;
};

}  // namespace

bool RunExclusive(bool& busy, const std::function<void()>& body) {
  if (busy) return false;
  busy = true;
  TDeferredErrors deferred;
  {
    const PromptGuard guard(deferred);
    RunGuarded(body);
  }
  busy = false;
  for (const std::string& text : deferred.texts) deferred.outer.ShowError(text);
  return true;
}

}  // namespace vlm
