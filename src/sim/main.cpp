// velmor-sim: plays a Velmor controller on the other end of the service link.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/DefaultDisk.h"
#include "sim/SimController.h"
#include "sim/SimDiagTree.h"
#include "sim/SimOptions.h"
#include "sim/SimRecorders.h"
#include "sim/SimServer.h"

namespace {

std::atomic<bool> gStop{false};

void OnSignal(int) { gStop.store(true); }

void InstallSignals() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "velmor-sim: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vlm::sim;
  SimOptions options;
  const std::string error = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
  if (!error.empty()) {
    std::fprintf(stderr, "velmor-sim: %s\n%s", error.c_str(), Usage());
    return 2;
  }
  if (options.help) {
    std::fputs(Usage(), stdout);
    return 0;
  }
  if (const std::string diskError = PrepareDisk(options.disk); !diskError.empty()) return Fail(diskError);

  SimMemory memory;
  SimDisk disk(options.disk);
  SimController controller(disk, memory);
  SimDiagTree diagTree(options.faults.seed);
  RecorderOptions recorderOptions{options.boxRate, options.faults.seed};
  recorderOptions.faults = !options.boxClean;
  SimRecorders recorders(recorderOptions);
  // Every part of the firmware that publishes structures in memory adds itself here.
  controller.SetBootHook([&](SimMemory& m) {
    diagTree.Publish(m);
    recorders.Publish(m);
  });
  controller.SetRequestHook([&] { recorders.CatchUp(memory); });
  controller.SetAreasRefused(options.noBatch);
  controller.Boot();
  FaultInjector faults(options.faults);
  SimServer server(controller, faults, options.verbose);
  server.SetTick([&diagTree, &memory] { diagTree.Tick(memory); }, std::chrono::milliseconds(SimDiagTree::kTickMs));
  InstallSignals();

  // Readiness lines: whoever started us waits for them before talking to the controller.
  if (options.udp) {
    if (const std::string e = server.OpenUdp(options.ip, options.port); !e.empty()) return Fail(e);
    std::printf("udp: %s\n", server.UdpAddress().c_str());
    std::fflush(stdout);
  }
  if (options.serial) {
    if (const std::string e = server.OpenPty(); !e.empty()) return Fail(e);
    std::printf("pty: %s\n", server.PtyPath().c_str());
    std::fflush(stdout);
  }
  if (const std::string e = server.Run(gStop); !e.empty()) return Fail(e);
  recorders.CatchUp(memory);
  // What the recorders hold, for whoever checks a read-out against it.
  for (const auto& count : recorders.Counts())
    std::fprintf(stderr, "box: %s: %llu written\n", count.name.c_str(), static_cast<unsigned long long>(count.written));
  if (options.verbose) std::fputs("sim: stopped\n", stderr);
  return 0;
}
