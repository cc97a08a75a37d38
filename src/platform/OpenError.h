#pragma once
// Why a serial port or a socket could not be opened, as far as the system tells it. The text of
// the failure comes with it (the system's own words); the kind lets the program say what to do.

namespace vlm::platform {

enum class TOpenError {
  None,
  InUse,      // held by another program (or another link of this one)
  NoDevice,   // no such serial port on this PC
  NoAddress,  // the local address to bind is not one of this PC's
  Other,      // anything else: the system's text says what
};

}  // namespace vlm::platform
