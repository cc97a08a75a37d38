#include "link/ExchangeLog.h"

#include <algorithm>
#include <cstdio>

namespace vlm {

std::string HexDump(const uint8_t* bytes, size_t count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(count * 3);
  for (size_t i = 0; i < count; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
    out += ' ';
  }
  return out;
}

static TExchangeLog::TStamp SystemStamp() {
  return {std::chrono::system_clock::now(), std::chrono::steady_clock::now()};
}

TExchangeLog::TExchangeLog() : TExchangeLog(SystemStamp) {}
TExchangeLog::TExchangeLog(TClock clock) : clock_(std::move(clock)) {}

std::string TExchangeLog::Prefix(char direction) {
  using namespace std::chrono;
  const TStamp now = clock_();
  // Seconds and milliseconds of the minute: the same in local time and UTC for every zone
  // whose offset is whole minutes, so no zone look-up is needed per line.
  const auto ms = duration_cast<milliseconds>(now.wall.time_since_epoch()).count() % 60000;
  long long elapsed = 99999;
  if (hasLast_) elapsed = std::clamp<long long>(duration_cast<milliseconds>(now.steady - last_).count(), 0, 99999);
  hasLast_ = true;
  last_ = now.steady;
  char text[32];
  std::snprintf(text, sizeof text, "%c%02d.%03d %3lld  ", direction, int(ms / 1000), int(ms % 1000), elapsed);
  return text;
}

void TExchangeLog::Append(std::string line) {
  lines_.push_back(std::move(line));
  while (lines_.size() > kMaxLines) lines_.pop_front();
}

void TExchangeLog::FrameSent(std::span<const uint8_t> frame) {
  std::lock_guard lock(mutex_);
  Append(Prefix('<') + HexDump(frame.data(), std::min(frame.size(), kDumpBytes)));
}

void TExchangeLog::ResponseReceived(std::span<const uint8_t> response, bool ok) {
  uint8_t dump[kDumpBytes] = {};
  std::copy_n(response.begin(), std::min(response.size(), kDumpBytes), dump);
  std::lock_guard lock(mutex_);
  Append(Prefix('>') + HexDump(dump, kDumpBytes) + (ok ? "1" : "0"));
}

void TExchangeLog::AddLine(std::string line) {
  std::lock_guard lock(mutex_);
  Append(std::move(line));
}

std::vector<std::string> TExchangeLog::Lines() const {
  std::lock_guard lock(mutex_);
  return {lines_.begin(), lines_.end()};
}

size_t TExchangeLog::Count() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

void TExchangeLog::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

}  // namespace vlm
