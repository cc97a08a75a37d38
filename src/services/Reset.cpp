#include "services/Reset.h"

#include <cmath>

#include "common/TextCodec.h"
#include "link/ServiceRequests.h"

namespace vlm {
namespace {

// The rule for one axis: past the far edge by more than 15 pixels it reappears near the start,
// before the near edge by more than 15 it reappears one size in.
int WrapAxis(int position, int size, int client) {
  if (position + size > client + 15) return client - 2 * size;
  if (position < -15) return size;
  return position;
}

}  // namespace

bool SendReset(TControllerLink& link) {
  TLinkSession session(link);
  return ResetController(link);
}

std::string ResetStatusText(const TIPAddress& address) {
  return "Выдана команда перезагрузки в контроллер " + IPToStr(address);
}

std::string ResetFailedText(const TControllerLink& link) {
  const TLinkSettings& s = link.Settings;
  std::string why;
  if (link.LastOpenFailure())
    return "Команда перезагрузки в контроллер " + IPToStr(s.DestIP) + " не выдана. " +
           LinkOpenFailureText(link.LastOpenFailure(), s);
  if (link.LastFailure == TLinkFailure::Busy) why = "связь занята другим обменом";
  else if (link.LastFailure == TLinkFailure::NotOpen) why = "не открывается " + LinkOpenTargetText(s);
  else why = "ошибка при передаче запроса";
  return "Команда перезагрузки в контроллер " + IPToStr(s.DestIP) + " не выдана: " + why;
}

TPlace FleeFromPointer(TPlace place, int width, int height, int x, int y, int clientWidth, int clientHeight) {
  const int r = width / 2;
  const int dx = r - x, dy = r - y;
  const int d = int(std::lround(std::sqrt(double(dx) * dx + double(dy) * dy)));
  if (d >= r) return place;
  TPlace moved = place;
  if (d == 0) {
    // No direction to flee in: a fixed one, so the pointer still ends on the rim.
    moved.Left += r;
  } else {
    moved.Left += int(std::lround(double(r) * dx / d - dx));
    moved.Top += int(std::lround(double(r) * dy / d - dy));
  }
  moved.Left = WrapAxis(moved.Left, width, clientWidth);
  moved.Top = WrapAxis(moved.Top, height, clientHeight);
  return moved;
}

void TStatusCountdown::Start(std::string text) {
  text_ = std::move(text);
  count_ = Utf8Length(text_) + 50;
  running_ = !text_.empty();
}

bool TStatusCountdown::Tick() {
  if (!running_) return false;
  if (count_ > 0) --count_;
  text_ = Utf8Left(text_, count_);
  running_ = !text_.empty();
  return running_;
}

}  // namespace vlm
