// Fuzz target of the simulator's request handling: the input is taken once as one datagram and
// once as a serial byte stream, so single requests and sequences of them (searches continued,
// files written then read) reach the controller, on a fresh default drive each time.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include <unistd.h>

#include "sim/DefaultDisk.h"
#include "sim/SimController.h"
#include "sim/SimProtocol.h"
#include "sim/StreamFramer.h"

namespace {

using namespace vlm::sim;

const std::filesystem::path& DiskFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmor-sim-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return std::filesystem::path(pattern) / "c";
  }();
  return folder;
}

void Check(const SimController::Outcome& outcome) {
  // An answer must fit one datagram and be a frame with a length and a command.
  if (outcome.answered && (outcome.answer.size() < 3 || outcome.answer.size() > kMaxDatagram)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::error_code ec;
  std::filesystem::remove_all(DiskFolder(), ec);
  if (!PrepareDisk(DiskFolder()).empty()) std::abort();
  SimMemory memory;
  SimDisk disk(DiskFolder());
  SimController controller(disk, memory);
  controller.Boot();

  const std::span<const uint8_t> input(data, size);
  size_t frameSize = 0;
  if (CheckRequestFrame(input, frameSize) == FrameCheck::Valid) {
    Check(controller.Handle(input.first(frameSize), kUdpLink));
  } else {
    Check(controller.Handle(input, kUdpLink));  // refused, but must not break anything
  }
  StreamFramer framer;
  framer.Append(input);
  for (bool idle : {false, true})
    while (auto frame = framer.Next(idle)) Check(controller.Handle(*frame, kSerialLink));
  return 0;
}
