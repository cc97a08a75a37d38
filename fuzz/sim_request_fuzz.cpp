// Fuzz target of the simulator's request handling: the input is taken once as one datagram and
// once as a serial byte stream, so single requests and sequences of them (searches continued,
// files written then read) reach the controller, each input on the default drive.
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

// Never destroyed, so the clean-up at exit can still use it.
const std::filesystem::path& DiskFolder() {
  static const auto* folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmor-sim-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    // The replay run of every build must not leave its drive behind.
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(DiskFolder().parent_path(), ec);
    });
    return new std::filesystem::path(std::filesystem::path(pattern) / "c");
  }();
  return *folder;
}

// Set by an input that may have changed the drive, so the next one starts from the default.
bool gDiskChanged = true;

void Handle(SimController& controller, std::span<const uint8_t> frame, const LinkProfile& link) {
  if (frame.size() > 1 && (frame[1] == 0x96 || frame[1] == 0x98)) gDiskChanged = true;
  const SimController::Outcome outcome = controller.Handle(frame, link);
  // An answer must fit one datagram and be a frame with a length and a command.
  if (outcome.answered && (outcome.answer.size() < 3 || outcome.answer.size() > kMaxDatagram)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (gDiskChanged) {
    std::error_code ec;
    std::filesystem::remove_all(DiskFolder(), ec);
    if (!PrepareDisk(DiskFolder()).empty()) std::abort();
    gDiskChanged = false;
  }
  static SimMemory memory;
  SimDisk disk(DiskFolder());
  SimController controller(disk, memory);
  controller.Boot();

  const std::span<const uint8_t> input(data, size);
  size_t frameSize = 0;
  if (CheckRequestFrame(input, frameSize) == FrameCheck::Valid) {
    Handle(controller, input.first(frameSize), kUdpLink);
  } else {
    Handle(controller, input, kUdpLink);  // refused, but must not break anything
  }
  StreamFramer framer;
  framer.Append(input);
  for (bool idle : {false, true})
    while (auto frame = framer.Next(idle)) Handle(controller, *frame, kSerialLink);
  return 0;
}
