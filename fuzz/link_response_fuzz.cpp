// Controller answers of every service request, read within the received bytes. Input byte 0
// picks the request (and byte 1 its block size); the rest is the answer the controller "sent".
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "common/Prompt.h"
#include "link/FileTransfer.h"
#include "link/ServiceRequests.h"
#include "support/ScriptedPrompt.h"

namespace {

class TOneAnswer : public vlm::ILinkTransport {
 public:
  explicit TOneAnswer(std::vector<uint8_t> answer) : answer_(std::move(answer)) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t>) override { return true; }
  vlm::TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const vlm::TAnswerFilter& filter,
                         const std::function<void()>&) override {
    if (answer_.empty()) return {};
    const auto verdict = filter ? filter(answer_) : vlm::TAnswerVerdict::Take;
    const size_t n = std::min(answer_.size(), into.size());
    std::copy_n(answer_.data(), n, into.data());
    answer_.clear();  // later tries and blocks hear nothing
    if (verdict == vlm::TAnswerVerdict::Ignore) return {};
    return {verdict == vlm::TAnswerVerdict::Take ? vlm::TReceiveEnd::Answer : vlm::TReceiveEnd::Rejected, n};
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    return 0;
  }

 private:
  std::vector<uint8_t> answer_;
};

void Run(vlm::TControllerLink& link, uint8_t which, uint8_t size) {
  std::vector<uint8_t> buffer(1500);
  std::vector<vlm::TDirEntry> entries;
  vlm::TDirEntry entry;
  bool complete = false;
  link.File.BlockSize = size;
  switch (which % 11) {
    case 0: vlm::ReadMemory(link, 0x1234, 0x10, std::span(buffer).first(size)); break;
    case 1: vlm::FindFile(link, true, &entry); break;
    case 2: vlm::FindMask(link, false, &entry); break;
    case 3: vlm::ReadFileBlock(link, std::span(buffer).first(size)); break;
    case 4: vlm::ReadFileBlockLong(link, buffer); break;
    case 5: vlm::WriteFileBlock(link, std::span(buffer).first(size)); break;
    case 6: vlm::ChangeDir(link, "c:\\dir"); break;
    case 7: vlm::DeleteRemoteFile(link); break;
    case 8: vlm::ListDirBlock(link, true, entries, complete); break;
    case 9: {
      const vlm::TMemoryArea areas[] = {{0, 0x40, size}, {0x10, 0x40, 3}};
      vlm::ReadMemoryAreas(link, areas);
      break;
    }
    default: {
      std::vector<uint8_t> file;
      vlm::ReadControllerFile(link, "vlm.cfg", file);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static vlm::ScriptedPrompt prompt;
  vlm::PromptGuard guard(prompt);
  prompt.errors.clear();
  vlm::TControllerLink link;
  link.Settings.Attempts = 2;
  // Inputs with the top bit of byte 0 set skip the checksum test, so the field readers behind it
  // meet every damaged answer too.
  link.Settings.CheckAnswerSum = (data[0] & 0x80) == 0;
  link.File.FileName = "vlm.cfg";
  link.File.PathMask = "c:\\*.*";
  std::vector<uint8_t> answer(data + 2, data + size);
  link.SetTransportFactory([answer](const vlm::TLinkSettings&) { return std::make_unique<TOneAnswer>(answer); });
  link.OpenLink();
  Run(link, data[0], data[1]);
  return 0;
}
