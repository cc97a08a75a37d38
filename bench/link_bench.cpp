// Speed of the service link over loopback UDP, against an in-process controller (the link tests'
// fake controller on a responder thread at 127.0.0.2), so only the client side differs between
// the raw figure and the link figure.
//   RoundTrip/N  one ReadMemory of N bytes through the link, and a raw UDP ping-pong of the same
//                request and answer sizes on a plain socket, alternated in the same loop;
//                counters link_us, raw_us and ratio (target: ratio <= 1.3).
//   GetFile1MiB  velmorctl's `get` path (long blocks with short fallback) for a 1 MiB file;
//                bytes_per_second.
//   ConfigWriteVsRead  write-config of a 64000-byte image (written and read back) against
//                read-config of it, alternated; counters write_ms, read_ms, ratio (target <= 1.5)
//                and bound_ratio: the write against 279 raw round trips (target <= 2).
//   PutVsGet1MiB put of 1 MiB (with its read-back) against get of it; put_MBps (target >= 10)
//                and ratio (target <= 1.5).
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <chrono>
#include <mutex>

#include "../tests/link/FakeController.h"
#include "../tests/link/UdpResponder.h"
#include "common/Prompt.h"
#include "link/FileTransfer.h"
#include "link/ServiceRequests.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TBench {
  vlm::test::TFakeController controller;
  std::mutex mutex;
  vlm::test::TUdpResponder responder{"127.0.0.2", [this](std::span<const uint8_t> req) {
                                       std::lock_guard lock(mutex);
                                       return controller.Answer(req);
                                     }};
  vlm::TControllerLink link;
  TBench() {
    link.Settings.SelfIP = {127, 0, 0, 1};
    link.Settings.DestIP = {127, 0, 0, 2};
    link.Settings.UdpPort = responder.Port();
    link.Settings.WaitTime = 1000;
    link.OpenLink();
  }
};

// A plain blocking socket doing what the link does on the wire, and nothing else.
class TRawClient {
 public:
  explicit TRawClient(uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, "127.0.0.4", &local.sin_addr);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    to_.sin_family = AF_INET;
    to_.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.2", &to_.sin_addr);
  }
  ~TRawClient() { ::close(fd_); }
  bool PingPong(const uint8_t* frame, size_t size, uint8_t* answer, size_t room) {
    ::sendto(fd_, frame, size, 0, reinterpret_cast<sockaddr*>(&to_), sizeof to_);
    return ::recv(fd_, answer, room, 0) > 0;
  }

 private:
  int fd_;
  sockaddr_in to_{};
};

void RoundTrip(benchmark::State& state) {
  TBench b;
  TRawClient raw(b.responder.Port());
  const auto count = uint8_t(state.range(0));
  uint8_t frame[8] = {6, 0x80, 0x10, 0x00, 0x34, 0x12, count, 0};
  for (int i = 1; i < 7; ++i) frame[7] = uint8_t(frame[7] + frame[i]);
  uint8_t answer[1600];
  Clock::duration linkTime{}, rawTime{};
  for (auto _ : state) {
    auto t0 = Clock::now();
    if (!vlm::ReadMemory(b.link, 0x1234, 0x0010, count)) state.SkipWithError("link read failed");
    auto t1 = Clock::now();
    if (!raw.PingPong(frame, sizeof frame, answer, sizeof answer)) state.SkipWithError("raw ping failed");
    auto t2 = Clock::now();
    linkTime += t1 - t0;
    rawTime += t2 - t1;
  }
  const double n = double(state.iterations());
  const double linkUs = std::chrono::duration<double, std::micro>(linkTime).count() / n;
  const double rawUs = std::chrono::duration<double, std::micro>(rawTime).count() / n;
  state.counters["link_us"] = linkUs;
  state.counters["raw_us"] = rawUs;
  state.counters["ratio"] = linkUs / rawUs;
}
BENCHMARK(RoundTrip)->Arg(16)->Arg(128)->Arg(240)->UseRealTime();

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The reading of the program before whole-file reads were made certain: one long block per
// round trip, each answered before the next goes out. The yardstick of the reader below.
bool OneBlockPerRoundTrip(vlm::TControllerLink& link, const std::string& name, std::vector<uint8_t>& out) {
  vlm::TDirEntry entry;
  if (!vlm::FindControllerFile(link, name, entry)) return false;
  out.assign(entry.Size, 0);
  for (uint32_t offset = 0; offset < entry.Size;) {
    link.File.FileName = name;
    link.File.FileOffset = offset;
    link.File.FileSize = entry.Size;
    link.File.BlockSize = uint16_t(std::min<uint32_t>(vlm::kBlockLong, entry.Size - offset));
    if (!vlm::ReadFileBlockLong(link, std::span(out).subspan(offset, link.File.BlockSize)) || link.File.BlockGot == 0)
      return false;
    offset += link.File.BlockGot;
  }
  return true;
}

// get of 1 MiB over loopback: the certain, windowed reader against one block per round trip.
void GetFile1MiB(benchmark::State& state) {
  TBench b;
  std::vector<uint8_t> file(1 << 20);
  for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 13);
  b.controller.files["big.bin"] = file;
  std::vector<uint8_t> out;
  Clock::duration newTime{}, oldTime{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (!vlm::ReadControllerFile(b.link, "big.bin", out) || out != file) state.SkipWithError("get failed");
    const auto t1 = Clock::now();
    if (!OneBlockPerRoundTrip(b.link, "big.bin", out) || out != file) state.SkipWithError("old get failed");
    newTime += t1 - t0;
    oldTime += Clock::now() - t1;
  }
  const double n = double(state.iterations());
  state.counters["get_ms"] = Ms(newTime) / n;
  state.counters["one_by_one_ms"] = Ms(oldTime) / n;
  state.counters["ratio"] = Ms(newTime) / Ms(oldTime);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(GetFile1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

// Mean time of a raw ping-pong of a write-block-sized request.
Clock::duration RawRoundTrip(uint16_t port, int samples) {
  TRawClient raw(port);
  uint8_t frame[8] = {6, 0x80, 0x10, 0x00, 0x34, 0x12, 1, 0};
  for (int i = 1; i < 7; ++i) frame[7] = uint8_t(frame[7] + frame[i]);
  uint8_t answer[1600];
  const auto t0 = Clock::now();
  for (int i = 0; i < samples; ++i) raw.PingPong(frame, sizeof frame, answer, sizeof answer);
  return (Clock::now() - t0) / samples;
}

void ConfigWriteVsRead(benchmark::State& state) {
  TBench b;
  std::vector<uint8_t> image(64000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 29 + 3);
  std::vector<uint8_t> out;
  Clock::duration writeTime{}, readTime{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (!vlm::WriteControllerFile(b.link, "c:\\vlm.cfg", image, {}, vlm::TWriteCheck::Always))
      state.SkipWithError("write failed");
    const auto t1 = Clock::now();
    if (!vlm::ReadControllerFile(b.link, "c:\\vlm.cfg", out) || out != image) state.SkipWithError("read failed");
    writeTime += t1 - t0;
    readTime += Clock::now() - t1;
  }
  const double n = double(state.iterations());
  const double raw = Ms(RawRoundTrip(b.responder.Port(), 2000));
  state.counters["write_ms"] = Ms(writeTime) / n;
  state.counters["read_ms"] = Ms(readTime) / n;
  state.counters["ratio"] = Ms(writeTime) / Ms(readTime);
  state.counters["bound_ratio"] = Ms(writeTime) / n / (279 * raw);
}
BENCHMARK(ConfigWriteVsRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void PutVsGet1MiB(benchmark::State& state) {
  TBench b;
  std::vector<uint8_t> file(1 << 20);
  for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 13 + i / 4096);
  std::vector<uint8_t> out;
  Clock::duration putTime{}, getTime{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (!vlm::WriteControllerFile(b.link, "big.bin", file)) state.SkipWithError("put failed");
    const auto t1 = Clock::now();
    if (!vlm::ReadControllerFile(b.link, "big.bin", out) || out != file) state.SkipWithError("get failed");
    putTime += t1 - t0;
    getTime += Clock::now() - t1;
  }
  const double n = double(state.iterations());
  state.counters["put_ms"] = Ms(putTime) / n;
  state.counters["get_ms"] = Ms(getTime) / n;
  state.counters["put_MBps"] = double(file.size()) / 1e6 / (Ms(putTime) / n / 1000);
  state.counters["ratio"] = Ms(putTime) / Ms(getTime);
}
BENCHMARK(PutVsGet1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
