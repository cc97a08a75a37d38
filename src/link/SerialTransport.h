#pragma once
#include <memory>

#include "link/LinkTransport.h"

namespace vlm {

// 9600 bit/s, 8 data bits, no parity, one stop bit on SerialDeviceName(settings).
std::unique_ptr<ILinkTransport> MakeSerialTransport(const TLinkSettings& settings);

}  // namespace vlm
