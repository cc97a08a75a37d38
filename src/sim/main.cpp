// velmor-sim: plays a Velmor controller on the other end of the service link.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "common/PathText.h"
#include "platform/System.h"
#include "sim/DefaultDisk.h"
#include "sim/SimController.h"
#include "sim/SimDiagTree.h"
#include "sim/SimOptions.h"
#include "sim/SimOsc.h"
#include "sim/SimRecorders.h"
#include "sim/SimScreen.h"
#include "sim/SimServer.h"

namespace {

std::atomic<bool> gStop{false};

void OnSignal(int) { gStop.store(true); }

void InstallSignals() {
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  vlm::platform::IgnoreBrokenPipe();
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "velmor-sim: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vlm::sim;
  SimOptions options;
  const std::string error = ParseOptions(vlm::platform::Utf8Arguments(argc, argv), options);
  if (!error.empty()) {
    std::fprintf(stderr, "velmor-sim: %s\n%s", error.c_str(), Usage());
    return 2;
  }
  if (options.help) {
    std::fputs(Usage(), stdout);
    return 0;
  }
  if (const std::string diskError = PrepareDisk(vlm::PathFromUtf8(options.disk)); !diskError.empty()) return Fail(diskError);

  SimMemory memory;
  SimDisk disk(vlm::PathFromUtf8(options.disk));
  SimController controller(disk, memory);
  SimDiagTree diagTree(options.faults.seed);
  RecorderOptions recorderOptions{options.boxRate, options.faults.seed};
  recorderOptions.faults = !options.boxClean;
  SimRecorders recorders(recorderOptions);
  SimScreen screen;
  // Every part of the firmware that publishes structures in memory adds itself here.
  controller.SetBootHook([&](SimMemory& m) {
    diagTree.Publish(m);
    recorders.Publish(m);
    screen.Publish(m);
  });
  controller.SetRequestHook([&] { recorders.CatchUp(memory); });
  controller.SetAreasRefused(options.noBatch);
  controller.SetLongLengthModulo(options.longLengthModulo);
  controller.Boot();
  FaultInjector faults(options.faults);
  SimServer server(controller, faults, options.verbose);
  server.SetEcho(options.echo);
  server.SetTick(
      [&diagTree, &screen, &memory] {
        diagTree.Tick(memory);
        screen.Tick(memory);
      },
      std::chrono::milliseconds(SimDiagTree::kTickMs));
  SimOsc osc(options.faults);
  InstallSignals();

  // Readiness lines: whoever started us waits for them before talking to the controller. The
  // oscilloscope's line goes out in the same write as the link's, which callers wait for.
  if (options.udp) {
    if (const std::string e = osc.Open(options.ip, options.OscPort()); !e.empty()) return Fail("oscilloscope: " + e);
    osc.Start();
    if (const std::string e = server.OpenUdp(options.ip, options.port); !e.empty()) return Fail(e);
    std::printf("udp: %s\nosc: %s\n", server.UdpAddress().c_str(), osc.Address().c_str());
    std::fflush(stdout);
  }
  if (options.serial) {
    if (const std::string e = server.OpenPty(); !e.empty()) return Fail(e);
    std::printf("pty: %s\n", server.PtyPath().c_str());
    std::fflush(stdout);
  }
  if (const std::string e = server.Run(gStop); !e.empty()) return Fail(e);
  osc.Stop();
  const SimOscReport report = osc.Report();
  std::fprintf(stderr, "osc: total sent %llu dropped %llu repeated %llu\n", static_cast<unsigned long long>(report.sent),
               static_cast<unsigned long long>(report.dropped), static_cast<unsigned long long>(report.repeated));
  recorders.CatchUp(memory);
  // What the recorders hold, for whoever checks a read-out against it.
  for (const auto& count : recorders.Counts())
    std::fprintf(stderr, "box: %s: %llu written\n", count.name.c_str(), static_cast<unsigned long long>(count.written));
  if (options.verbose) std::fputs("sim: stopped\n", stderr);
  return 0;
}
