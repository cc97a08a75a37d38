#include "shell/ui/LinkWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <memory>

#include "link/Velmor_PC.h"

namespace vlm {
namespace {

int pumpDepth = 0;  // link waits now running their pump (nested waits count each)

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

// Keeps what may not run inside a wait and runs it, in the order it came, once no wait runs.
class TLinkWaitGuard : public QObject {
 public:
  explicit TLinkWaitGuard(QObject* parent) : QObject(parent) {
    retry_.setInterval(10);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] { Flush(); });
  }

  void Later(QObject* context, std::function<void()> work) {
    later_.push_back({QPointer<QObject>(context), std::move(work)});
    // As a posted event, in its place among the others: the next turn of any event loop takes it.
    QMetaObject::invokeMethod(this, [this] { Flush(); }, Qt::QueuedConnection);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (pumpDepth == 0) return false;
    if (event->type() == QEvent::Close) {
      // The window manager's close, a close button or a timer that closes its window: a
      // window's closing frees what the waiting exchange may use.
      auto* window = qobject_cast<QWidget*>(watched);
      if (!window || !window->isWindow()) return false;
      event->ignore();
      Later(window, [window] { window->close(); });
      return true;
    }
    // Shortcuts come only from keys; other input only when it came from the user.
    const bool input = event->type() == QEvent::Shortcut || (event->spontaneous() && IsUserInput(event->type()));
    if (!input) return false;
    std::shared_ptr<QEvent> copy(event->clone());
    Later(watched, [watched, copy] { QCoreApplication::sendEvent(watched, copy.get()); });
    return true;
  }

 private:
  void Flush() {
    if (later_.empty()) return;
    if (LinkWaitRunning()) {  // posted events and timers run inside the pump too
      retry_.start();
      return;
    }
    std::deque<TLater> now;
    now.swap(later_);
    for (auto& item : now)
      if (item.context) item.work();
  }

  struct TLater {
    QPointer<QObject> context;
    std::function<void()> work;
  };
  std::deque<TLater> later_;
  QTimer retry_;
};

TLinkWaitGuard& Guard() {
  static QPointer<TLinkWaitGuard> guard;
  if (!guard) {
    guard = new TLinkWaitGuard(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(guard);
  }
  return *guard;
}

}  // namespace

void InstallLinkWaitGuard(TControllerLink& link) {
  Guard();
  link.SetPump(PumpLinkWait);
}

void PumpLinkWait() {
  struct TDepth {
    TDepth() { ++pumpDepth; }
    ~TDepth() { --pumpDepth; }
  } depth;
  // User input stays queued in the window system (Qt holds back clicks, keys, the wheel and the
  // window manager's close under this flag) until an event loop outside the wait takes it.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

// Events run during an exchange only through the pump, so its depth says all.
bool LinkWaitRunning() { return pumpDepth > 0; }

void AfterLinkWait(QObject* context, std::function<void()> work) { Guard().Later(context, std::move(work)); }

void ConnectLinkTimer(QTimer* timer, QObject* context, std::function<void()> tick) {
  QObject::connect(timer, &QTimer::timeout, context, [timer, tick = std::move(tick)] {
    if (LinkWaitRunning()) {
      if (timer->isSingleShot()) timer->start();
      return;
    }
    tick();
  });
}

}  // namespace vlm
