#pragma once
// Command line of velmor-sim.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimFaults.h"

namespace vlm::sim {

struct SimOptions {
  std::string ip = "127.0.0.2";
  uint16_t port = 208;  // 0 lets the system choose; the readiness line tells which
  // The oscilloscope stream; 0 as for port. Unless given: 209 beside the standard link port, any
  // free port beside another (a test's simulator must not need the right to bind low ports).
  int32_t oscPort = -1;
  uint16_t OscPort() const { return oscPort >= 0 ? uint16_t(oscPort) : port == 208 ? 209 : 0; }
  bool udp = true;      // off when only --serial was asked for
  bool serial = false;
  std::string disk = "velmor-disk";
  FaultSettings faults;
  double boxRate = 10;   // frames per second of each recorded serial port
  bool boxClean = false;  // recorded traffic without planted faults
  bool noBatch = false;  // leave ReadMemoryAreas unanswered
  bool longLengthModulo = false;  // length byte of long answers modulo 256 instead of 255
  bool echo = false;     // the serial line echoes the PC's bytes
  bool verbose = false;
  bool help = false;
};

// Fills options from the arguments (without the program name); returns an error text, empty when
// the command line is good.
std::string ParseOptions(const std::vector<std::string>& args, SimOptions& options);
const char* Usage();

}  // namespace vlm::sim
