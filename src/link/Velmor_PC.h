#pragma once
// The service link to one controller: settings, the request and response buffers, the link state
// and the exchange of one request frame for at most one answer. One object per program, owned by
// the application context and passed by reference (tests make their own).
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "link/LinkSettings.h"
#include "link/LinkTiming.h"
#include "link/LinkTransport.h"
#include "link/RecentCounts.h"

namespace vlm {

class ILinkObserver;

enum : uint8_t { kExchangeSendOnly = 0, kExchangeAnswer = 1, kExchangeAnswer2 = 2 };

// Why the last exchange or request failed, for callers that explain failures themselves.
enum class TLinkFailure { None, Busy, NotOpen, Send, NoAnswer, BadAnswer, DosError, Disconnected,
                          IsDirectory, Mismatch, Stopped, Unconfirmed };

// What the link saw since it was made; tests and benchmarks read it, the log window may.
struct TLinkCounters {
  uint64_t sent = 0;       // request frames
  uint64_t answers = 0;    // answers taken
  uint64_t timeouts = 0;   // waits that ended without an answer
  uint64_t rejected = 0;   // damaged answers (bad length or checksum)
  uint64_t stale = 0;      // late or duplicated answers thrown away
  uint64_t echoes = 0;     // the line's copies of our own requests (an echoing adapter), skipped
};

// Parameters of the file requests, set by the caller before each one.
struct TFileRequest {
  std::string FileName;  // UTF-8; sent as DOS 866, at most 12 bytes
  std::string PathMask;  // UTF-8; sent as DOS 866, at most 79 bytes
  uint32_t FileOffset = 0;
  uint32_t FileSize = 0;
  uint16_t BlockSize = 0;
  uint16_t BlockGot = 0;
};

class TControllerLink {
 public:
  static constexpr size_t kRequestSize = 1451;
  static constexpr size_t kResponseSize = 1501;

  TControllerLink();
  ~TControllerLink();
  TControllerLink(const TControllerLink&) = delete;
  TControllerLink& operator=(const TControllerLink&) = delete;

  // Read at each opening, so a change reaches the next operation.
  TLinkSettings Settings;
  TFileRequest File;
  // The block counts recent file reads asked for; with a file named, shared with the next
  // process (velmorctl and the program name one in the data folder).
  TRecentCounts RecentCounts;
  std::filesystem::path RecentCountsFile;
  std::array<uint8_t, kRequestSize> RequestBuffer{};
  std::array<uint8_t, kResponseSize> ResponseBuffer{};

  bool LinkOpen() const { return transport_ != nullptr; }
  bool LinkBusy() const { return busy_; }
  // Bytes received by the last exchange (0 when nothing came).
  size_t ResponseLength() const { return responseLength_; }
  std::span<const uint8_t> Response() const { return {ResponseBuffer.data(), responseLength_}; }

  // False when already open (nothing changes) or when the transport cannot be opened; then
  // LastOpenFailure() says why.
  bool OpenLink();
  // Why the last opening failed (kind None after one that succeeded or found the link open).
  const TLinkOpenFailure& LastOpenFailure() const { return openFailure_; }
  // `quiet` false at the program's end: nobody is left to meet a late answer.
  void CloseLink(bool quiet = true);
  // mode 0 sends only; 1 and 2 send and wait for an answer; others send and fail.
  // `expected` is the answer length the request expects (a serial line reads that many bytes).
  bool Exchange(uint8_t mode, uint8_t expected);
  // Writes the sum of bytes 1..N behind the request.
  void RequestChecksum();
  // Decides, for the next exchange only, which arriving answer belongs to its request (see
  // TAnswerVerdict). Answers are checked for length and checksum before the filter sees them,
  // and answers repeating another command are never taken.
  void SetAnswerFilter(TAnswerFilter filter) { filter_ = std::move(filter); }
  // Sends the request built in RequestBuffer without waiting and without throwing away what
  // has arrived (answers to the requests sent just before it).
  bool SendAhead();
  // Waits for one more answer to requests already sent with mode 0 (file blocks written ahead).
  bool AwaitAnswer(uint8_t expected, TAnswerFilter filter);
  // Hears what arrives for `wait` without taking any of it: `filter` sees every intact answer to
  // the request last built (a reader looking for late answers of its own blocks).
  void Listen(std::chrono::milliseconds wait, const TAnswerFilter& filter);
  // After a failed try: lets every answer still owed to earlier requests arrive and be thrown
  // away, so that none can pass for the answer to the next one.
  void QuietLink();

  const TLinkTiming& Timing() const { return timing_; }
  // A clean round-trip sample of a request whose answer a caller matched itself (a window of
  // block reads), so the answer time follows a pipelined transfer too.
  void NoteRoundTrip(std::chrono::steady_clock::duration roundTrip) { timing_.Answered(roundTrip); }
  // Requests were sent again while their first answers may still come: the line falls quiet
  // before the next different request or the closing, as after a failed wait.
  void OweQuiet() { quietOwed_ = true; }
  const TLinkCounters& Counters() const { return counters_; }

  // Let the window system run while an answer is awaited (at least every 50 ms).
  void SetPump(std::function<void()> pump) { pump_ = std::move(pump); }
  void SetTransportFactory(TTransportFactory factory) { factory_ = std::move(factory); }
  void AddObserver(ILinkObserver* observer);
  void RemoveObserver(ILinkObserver* observer);

  // Filled by Exchange and the requests; read by callers that explain failures in their words.
  TLinkFailure LastFailure = TLinkFailure::None;
  uint16_t LastDosError = 0;
  // What area reads (ReadMemoryAreas) taught about the controller at `Dest`; kept and read by
  // link/MemoryReader (answered: -1 not known yet, 0 left unanswered, 1 answered).
  struct TAreaReads {
    int8_t Answered = -1;
    TIPAddress Dest{};
    uint8_t Mode = 0xFF;
    // Data bytes asked for by the last area reads sent, the newest at RecentNext - 1.
    static constexpr size_t kRecent = 16;
    std::array<size_t, kRecent> RecentTotals{};
    size_t RecentNext = 0;
  } AreaReads;

 private:
  class TExchangeScope;
  bool SendRequest(bool ahead = false);
  bool ReceiveResponse(uint8_t expected, const TAnswerFilter& filter, bool sampleRoundTrip);
  TAnswerVerdict Judge(std::span<const uint8_t> bytes, uint8_t expected, const TAnswerFilter& filter) const;

  std::function<void()> pump_;
  TTransportFactory factory_;
  std::unique_ptr<ILinkTransport> transport_;
  std::vector<ILinkObserver*> observers_;
  size_t responseLength_ = 0;
  bool busy_ = false;
  TAnswerFilter filter_;
  TLinkTiming timing_;
  TLinkCounters counters_;
  TLinkOpenFailure openFailure_;
  // A ShowErrors box was shown and no answer has come since: the tries that follow stay silent,
  // so a dead controller gives one box per operation, not one per try.
  bool errorShown_ = false;
  // The request last sent and when: a retry of it is not a clean round-trip sample, and an
  // answer that comes late tells how slow the line really is.
  std::vector<uint8_t> lastFrame_;
  std::chrono::steady_clock::time_point sentAt_, firstSentAt_, answeredAt_;
  bool retry_ = false;
  // Whether the last exchange ended without an answer. Only then is the same frame again a
  // retry: a poll that asks the same again after an answer is a new request.
  bool lastFailed_ = false;
  // The frames sent lately: a line that echoes the PC's bytes gives them back as "answers".
  std::vector<std::vector<uint8_t>> recentFrames_;
  size_t recentNext_ = 0;
  bool IsOwnRequest(std::span<const uint8_t> bytes) const;
  bool unsettled_ = false;  // an answer to an earlier try of the last request may still come
  bool quietOwed_ = false;  // a failed wait on a silent line: quiet before the next request
  uint64_t heardAtOpen_ = 0;  // answers, damaged and stale datagrams counted when the link opened
  bool HeardSinceOpen() const;
};

// Opens the link for one service operation and closes it again however the operation ends.
class TLinkSession {
 public:
  explicit TLinkSession(TControllerLink& link) : link_(link) { opened_ = link_.OpenLink(); }
  ~TLinkSession() { link_.CloseLink(); }
  TLinkSession(const TLinkSession&) = delete;
  TLinkSession& operator=(const TLinkSession&) = delete;
  bool Opened() const { return opened_; }

 private:
  TControllerLink& link_;
  bool opened_;
};

}  // namespace vlm
