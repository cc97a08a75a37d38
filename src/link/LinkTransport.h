#pragma once
// One way of carrying request frames to the controller and its answers back (UDP, serial line,
// or a fake in tests). The link object owns at most one open transport.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "link/LinkOpenFailure.h"

namespace vlm {

struct TLinkSettings;

// What the link makes of bytes that arrived while it waits for an answer.
enum class TAnswerVerdict {
  Take,    // the answer to the request in flight
  Ignore,  // stale or foreign (a late answer, a duplicate): keep waiting
  Reject,  // damaged: this try has failed
  Echo,    // the bytes of a request the PC sent, given back by the line: skipped like Ignore
};
using TAnswerFilter = std::function<TAnswerVerdict(std::span<const uint8_t>)>;

enum class TReceiveEnd { Answer, TimedOut, Rejected, Disconnected, Failed };
struct TReceived {
  TReceiveEnd end = TReceiveEnd::TimedOut;
  size_t length = 0;  // bytes in the buffer (of the taken or the rejected answer)
  int echoes = 0;     // copies of the request a line gave back before its answer, skipped
};

class ILinkTransport {
 public:
  virtual ~ILinkTransport() = default;
  virtual bool Open() = 0;
  // Why the last Open failed (kind None after a successful one or when the transport cannot tell).
  virtual TLinkOpenFailure OpenFailure() const { return {}; }
  virtual void Close() = 0;
  // Throws away what arrived before (late or duplicated answers) and sends.
  virtual bool Send(std::span<const uint8_t> frame) = 0;
  // Sends behind requests still awaiting their answers, keeping what has arrived.
  virtual bool SendAhead(std::span<const uint8_t> frame) { return Send(frame); }
  // Waits for an answer the filter takes and copies it into `into`. `expected` is what the
  // request expects (a serial line reads that many bytes); `wait` is the link's current answer
  // time (a serial line keeps its own time-out rule); `pump` lets the window system breathe.
  virtual TReceived Receive(std::span<uint8_t> into, size_t expected, std::chrono::milliseconds wait,
                            const TAnswerFilter& filter, const std::function<void()>& pump) = 0;
  // Reads and throws away whatever arrives until the line stayed silent for `silence` (bounded
  // by three times that). After a failed try, an answer still owed to it must not meet the
  // next request. Returns the number of stale arrivals thrown away and, when there were any,
  // the moment the first one came.
  virtual int Quiet(std::chrono::milliseconds silence, const std::function<void()>& pump,
                    std::chrono::steady_clock::time_point& firstArrival) = 0;
  // Datagrams that were waiting when the last request went out (late answers, duplicates).
  virtual int StaleBeforeSend() const { return 0; }
  // Whether every arrival is one whole answer (a datagram), or the bytes of a line that the
  // reader cuts at the expected length.
  virtual bool WholeAnswers() const { return true; }
  // Whether the answer time adapts to measured round trips (UDP); a serial line has fixed ones.
  virtual bool AdaptiveWait() const { return false; }
};

// Builds the transport for the current settings when the link opens; nullptr when the settings
// name no transport (an unknown link mode).
using TTransportFactory = std::function<std::unique_ptr<ILinkTransport>(const TLinkSettings&)>;
std::unique_ptr<ILinkTransport> MakeDefaultTransport(const TLinkSettings& settings);
// The UDP transport bound to SelfIP:selfPort (0: a port the system picks) rather than UdpPort; it
// still sends to DestIP:UdpPort. A controller that answers to the port a request came from is
// then reached from another port than its own: a test's controller in the same process, as
// Windows gives one port to one socket.
std::unique_ptr<ILinkTransport> MakeUdpTransport(const TLinkSettings& settings, uint16_t selfPort);

}  // namespace vlm
