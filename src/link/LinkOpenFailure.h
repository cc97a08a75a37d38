#pragma once
// Why the link could not be opened: the kind the transport learnt from the system, and the
// system's own text. One wording for the windows and velmorctl alike.
#include <string>

#include "platform/OpenError.h"

namespace vlm {

struct TLinkSettings;

enum class TLinkOpenError {
  None,
  PortInUse,    // the UDP port or the serial port is held by another program
  NoSuchPort,   // no such serial port on this PC
  NoSuchAddress,  // SelfIP is not an address of this PC
  WrongMode,    // LinkMode is neither 0 (serial) nor 1 (UDP)
  Other,        // the system's text tells
};

struct TLinkOpenFailure {
  TLinkOpenError kind = TLinkOpenError::None;
  std::string systemText;  // the system's words ("Address already in use"), may be empty
  explicit operator bool() const { return kind != TLinkOpenError::None; }
};

// The link's kind of a platform open failure.
TLinkOpenError OpenErrorOf(platform::TOpenError error);

// "Не удалось открыть связь: порт UDP 208 занят другой программой" and its like, naming what the
// settings asked to open.
std::string LinkOpenFailureText(const TLinkOpenFailure& failure, const TLinkSettings& settings);

}  // namespace vlm
