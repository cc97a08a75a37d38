#pragma once
// The one rule of re-entry. While the link waits for an answer it lets the window system run
// (its pump, at least every 50 ms), so that windows repaint and the oscilloscope keeps drawing.
// Nothing that starts an exchange or frees what an exchange uses may run inside that pump:
//  - the pump delivers no user input: clicks, keys, the wheel and the window manager's close
//    stay in the window system's queue until the wait is over;
//  - input and requests to close a window that reach the program during a wait all the same
//    are kept and carried out when it is over;
//  - timers that talk to the controller skip their tick during a wait (ConnectLinkTimer);
//  - work a window leaves for later (the scan when it is shown) runs after the wait too
//    (AfterLinkWait).
// Modal dialogs are therefore opened only outside a wait, and their own event loop keeps the
// polling windows' timers running. Everything is enforced here; the windows only use the two
// helpers.
#include <functional>

class QObject;
class QTimer;

namespace vlm {

class TControllerLink;

// Installs the pump on the link and the guard on the application (the guard once per program).
void InstallLinkWaitGuard(TControllerLink& link);
// The pump itself, for links made for one job (the fleet backup's).
void PumpLinkWait();
// Whether a link wait is running its pump now.
bool LinkWaitRunning();
// Runs `work` from the event loop once no link wait runs; dropped when `context` is gone.
void AfterLinkWait(QObject* context, std::function<void()> work);
// Connects the tick of a timer that talks to the controller: skipped while a link wait runs (a
// single-shot timer is started again, so its tick comes after the wait).
void ConnectLinkTimer(QTimer* timer, QObject* context, std::function<void()> tick);

}  // namespace vlm
