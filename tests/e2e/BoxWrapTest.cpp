// The program's capture reader against the simulator's controller in one process: a wrapped
// Ethernet recorder read from its write index gives a capture tshark reads from end to end.
#include <gtest/gtest.h>

#include "SimProcess.h"
#include "blackbox/BoxDriverEth.h"
#include "blackbox/BoxScan.h"
#include "common/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "link/LinkTransport.h"
#include "link/Velmor_PC.h"
#include "sim/SimController.h"
#include "sim/SimRecorders.h"

namespace vlm::e2e {
namespace {

// Hands each request straight to the simulator's controller.
class TDirectTransport : public ILinkTransport {
 public:
  explicit TDirectTransport(sim::SimController& controller) : controller_(controller) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t> frame) override {
    const auto outcome = controller_.Handle(frame, sim::kUdpLink);
    answer_ = outcome.answered ? outcome.answer : std::vector<uint8_t>{};
    return true;
  }
  TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const TAnswerFilter& filter,
                    const std::function<void()>&) override {
    const size_t n = std::min(answer_.size(), into.size());
    std::copy_n(answer_.begin(), n, into.begin());
    answer_.clear();
    if (n == 0 || (filter && filter(into.first(n)) != TAnswerVerdict::Take)) return {TReceiveEnd::TimedOut, 0};
    return {TReceiveEnd::Answer, n};
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    return 0;
  }

 private:
  sim::SimController& controller_;
  std::vector<uint8_t> answer_;
};

TEST(BoxWrap, WrappedCaptureIsReadEndPartFirstAndStaysAValidPcap) {
  TTempDir root;
  ASSERT_FALSE(root.Path().empty());
  sim::SimMemory memory;
  sim::SimDisk disk(root.Path().string());
  sim::SimController controller(disk, memory);
  sim::SimRecorders recorders({0, 9, 200});
  uint32_t now = 0;
  controller.SetBootHook([&](sim::SimMemory& m) { recorders.Publish(m); });
  controller.SetRequestHook([&] { recorders.CatchUpTo(memory, now); });
  controller.Boot();
  now = 200 * 5000;  // far more packets than the buffer holds

  TControllerLink link;
  link.SetTransportFactory([&](const TLinkSettings&) { return std::make_unique<TDirectTransport>(controller); });
  ScriptedPrompt prompt;
  PromptGuard guard(prompt);
  TBoxContext context(link);
  TBoxList list(context);
  ASSERT_TRUE(list.Scan());
  auto* eth = dynamic_cast<TBoxDriverEth*>(list.Readers().back().get());
  ASSERT_NE(eth, nullptr);
  eth->FileName = (root.Path() / "wrapped").string();
  eth->StartRecording();
  ASSERT_EQ(eth->ReadMode(), TBoxDriverEth::kReadEndPart);
  for (int i = 0; i < 5000 && eth->Recording(); ++i) eth->Poll();
  ASSERT_FALSE(eth->Recording());
  EXPECT_EQ(eth->BytesWritten(), int32_t(sim::kPcapBufferSize));

  const TRun shark = RunProgram({"/bin/sh", "-c", "tshark -r " + (root.Path() / "wrapped.pcap").string() +
                                                      " -T fields -e frame.protocols | sort | uniq -c"},
                                root.Path(), root.Path());
  ASSERT_EQ(shark.status, 0) << shark.err;
  EXPECT_EQ(shark.err.find("damaged"), std::string::npos) << shark.err;
  EXPECT_NE(shark.out.find("eth:ethertype:ip:tcp:iec60870_104:iec60870_asdu"), std::string::npos) << shark.out;
}

}  // namespace
}  // namespace vlm::e2e
