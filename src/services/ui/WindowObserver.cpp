#include "services/ui/WindowObserver.h"

#include <QCoreApplication>
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

void RunGuarded(const std::function<void()>& body) {
  try {
    body();
  } catch (const EAbort&) {
  }
}

}  // namespace vlm
