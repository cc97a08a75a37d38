#pragma once
// One way of carrying request frames to the controller and its answers back (UDP, serial line,
// or a fake in tests). The link object owns at most one open transport.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace vlm {

struct TLinkSettings;

class ILinkTransport {
 public:
  virtual ~ILinkTransport() = default;
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool Send(std::span<const uint8_t> frame) = 0;
  // Waits for one answer and copies it into `into`; returns the number of bytes received (0 when
  // nothing came in time), or -1 when the transport failed. `expected` is what the request
  // expects (a serial line reads that many bytes); `pump` lets the window system breathe while
  // waiting.
  virtual int Receive(std::span<uint8_t> into, size_t expected, const std::function<void()>& pump) = 0;
  // The next request's answer may be byte for byte the previous one (file blocks): a late copy
  // of the previous answer must then not pass for it.
  virtual void ExpectLookAlikeAnswer() {}
};

// Builds the transport for the current settings when the link opens; nullptr when the settings
// name no transport (an unknown link mode).
using TTransportFactory = std::function<std::unique_ptr<ILinkTransport>(const TLinkSettings&)>;
std::unique_ptr<ILinkTransport> MakeDefaultTransport(const TLinkSettings& settings);

}  // namespace vlm
