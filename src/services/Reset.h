#pragma once
// The reset window without its widgets: the command, the status text with its countdown and the
// way the round button flees the pointer.
#include <cstddef>
#include <string>

#include "link/Velmor_PC.h"

namespace vlm {

// Opens the link, sends the reset (no answer comes) and closes the link. False when the request
// could not be sent (the link did not open, the send failed); link.LastFailure says which.
bool SendReset(TControllerLink& link);
std::string ResetStatusText(const TIPAddress& address);
// What the window shows instead when SendReset failed: that no command went out, and why.
std::string ResetFailedText(const TControllerLink& link);

struct TPlace {
  int Left = 0, Top = 0;
  bool operator==(const TPlace&) const = default;
};
// The picture (width x height at place) seen from the pointer at (x, y) relative to the picture:
// when the pointer is inside the circle of radius width / 2 the picture moves so that the pointer
// ends on its rim; from the exact centre it moves right by the radius. A picture pushed beyond
// the client area comes back on the other side.
TPlace FleeFromPointer(TPlace place, int width, int height, int x, int y, int clientWidth, int clientHeight);

// The status text stays for 50 ticks and then loses one character per tick.
class TStatusCountdown {
 public:
  void Start(std::string text);
  // One tick; false once the text is gone (the timer stops then).
  bool Tick();
  const std::string& Text() const { return text_; }
  bool Running() const { return running_; }

 private:
  std::string text_;
  size_t count_ = 0;
  bool running_ = false;
};

}  // namespace vlm
