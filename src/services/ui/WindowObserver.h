#pragma once
// A service operation as a window shows it: state line, progress bar, log memo and indicator
// points; pending window messages run when the operation lets them.
#include <functional>

#include "services/ServiceObserver.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QWidget;

namespace vlm {

class TIndicator;

class TWindowObserver : public IServiceObserver {
 public:
  QLabel* StateLabel = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QPlainTextEdit* LogMemo = nullptr;
  TIndicator* Indicator = nullptr;
  std::function<void(const std::string&)> OnDeselect;

  void State(const std::string& text) override;
  void Log(const std::string& line) override;
  void Progress(uint64_t position, uint64_t maximum) override;
  void Point(TPoint point) override;
  void Pump() override;
  void Deselect(const std::string& name) override;
};

// F1 in the window (or any of its children) calls *help with the window's context; the window
// also carries the context as property "helpContext" for the main window's help.
void InstallHelpKey(QWidget* window, int context, const std::function<void(int)>* help);

// Runs a window's operation: a silent abort ends it quietly, as the event loop would.
void RunGuarded(const std::function<void()>& body);
// The same, one at a time: an operation lets pending messages run between its requests, and a
// button pressed then must not start a second one over the first's link. False when refused.
bool RunExclusive(bool& busy, const std::function<void()>& body);

}  // namespace vlm
