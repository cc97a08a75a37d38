#pragma once
// The exchange log: one text line per frame sent and per answer awaited, newest 2000 kept in
// memory. It watches the link through ILinkObserver; the oscilloscope thread adds its own lines,
// so every access is locked.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace vlm {

// Sees every frame the link sends and every answer it waits for.
class ILinkObserver {
 public:
  virtual ~ILinkObserver() = default;
  virtual void FrameSent(std::span<const uint8_t> frame) = 0;
  // `response` is the start of the response buffer (zeros where nothing arrived).
  virtual void ResponseReceived(std::span<const uint8_t> response, bool ok) = 0;
};

// Each byte as two upper-case hex digits followed by a blank.
std::string HexDump(const uint8_t* bytes, size_t count);

class TExchangeLog : public ILinkObserver {
 public:
  static constexpr size_t kMaxLines = 2000;
  static constexpr size_t kDumpBytes = 32;
  // Wall time gives the "ss.zzz" stamp, the steady time the pause since the previous line.
  struct TStamp {
    std::chrono::system_clock::time_point wall;
    std::chrono::steady_clock::time_point steady;
  };
  using TClock = std::function<TStamp()>;

  TExchangeLog();
  explicit TExchangeLog(TClock clock);

  void FrameSent(std::span<const uint8_t> frame) override;
  void ResponseReceived(std::span<const uint8_t> response, bool ok) override;
  // A line of another writer (the oscilloscope), kept within the same bound.
  void AddLine(std::string line);

  std::vector<std::string> Lines() const;  // a copy, safe to read while others log
  size_t Count() const;
  void Clear();

 private:
  std::string Prefix(char direction);  // "<ss.zzz " + elapsed; caller holds the lock
  void Append(std::string line);       // caller holds the lock

  TClock clock_;
  mutable std::mutex mutex_;
  std::deque<std::string> lines_;
  bool hasLast_ = false;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace vlm
