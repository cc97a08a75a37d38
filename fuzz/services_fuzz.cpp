// Controller answers as the file exchange reads them: the input is a series of answers (each a
// two-byte little-endian length and that many bytes), handed out one per request to a listing,
// a viewer read and a copy. Whatever the controller says, no name it lists may become a PC path
// outside the folder. The raw input also goes through the viewer's and autoexec's conversions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/Prompt.h"
#include "services/Autoexec.h"
#include "services/FileExchange.h"
#include "services/FileView.h"
#include "services/ServiceNames.h"

namespace {

class TScriptedAnswers : public vlm::ILinkTransport {
 public:
  explicit TScriptedAnswers(std::deque<std::vector<uint8_t>>& answers) : answers_(answers) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t>) override { return true; }
  vlm::TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const vlm::TAnswerFilter& filter,
                         const std::function<void()>&) override {
    if (answers_.empty()) return {vlm::TReceiveEnd::TimedOut, 0};
    const std::vector<uint8_t> answer = std::move(answers_.front());
    answers_.pop_front();
    const auto verdict = filter ? filter(answer) : vlm::TAnswerVerdict::Take;
    if (verdict == vlm::TAnswerVerdict::Ignore) return {vlm::TReceiveEnd::TimedOut, 0};
    const size_t n = std::min(answer.size(), into.size());
    std::copy_n(answer.data(), n, into.data());
    return {verdict == vlm::TAnswerVerdict::Take ? vlm::TReceiveEnd::Answer : vlm::TReceiveEnd::Rejected, n};
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    return 0;
  }

 private:
  std::deque<std::vector<uint8_t>>& answers_;
};

struct TSilent : vlm::IPrompt {
  void ShowError(const std::string&) override {}
  vlm::TAnswer AskYesNo(const std::string&, bool) override { return vlm::TAnswer::No; }
};

const std::filesystem::path& Scratch() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / "velmor_services_fuzz";
    std::filesystem::create_directories(d / "pc");
    setenv("VELMOR_HOME", d.c_str(), 1);
    return d;
  }();
  return dir;
}

void CheckPcName(const std::string& name) {
  const auto pc = vlm::PcFileNameFor(name);
  if (!pc) return;
  if (pc->find_first_of("/\\:") != std::string::npos || *pc == "." || *pc == ".." || pc->empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TSilent silent;
  vlm::SetPrompt(&silent);
  std::deque<std::vector<uint8_t>> answers;
  for (size_t pos = 0; pos + 2 <= size;) {
    const size_t length = size_t(data[pos] | data[pos + 1] << 8);
    pos += 2;
    const size_t take = std::min(length, size - pos);
    answers.emplace_back(data + pos, data + pos + take);
    pos += take;
  }
  vlm::TControllerLink link;
  link.Settings.Attempts = 2;
  link.SetTransportFactory([&](const vlm::TLinkSettings&) { return std::make_unique<TScriptedAnswers>(answers); });
  vlm::IServiceObserver quiet;
  vlm::TFileExchange files(link, quiet);
  files.PcDir = Scratch() / "pc";
  files.ReadControllerDir();
  for (const auto& item : files.Items()) {
    CheckPcName(item.Name);
    vlm::FileDateTimeText(item.DateTime);
  }
  if (!files.Items().empty()) {
    std::string text;
    vlm::ReadFileForView(link, quiet, files.Items().front().Name, text);
    std::vector<vlm::TFileInfo> first(files.Items().begin(), files.Items().begin() + 1);
    files.CopyToPC(first);
  }
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  vlm::ViewText(raw);
  vlm::EditorToAutoexec(vlm::AutoexecToEditor(raw));
  // Whatever was copied stays inside the folder.
  for (const auto& entry : std::filesystem::directory_iterator(Scratch()))
    if (entry.path().filename() != "pc" && entry.path().filename() != "Bak") __builtin_trap();
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(Scratch() / "pc")) std::filesystem::remove(entry.path(), ec);
  vlm::SetPrompt(nullptr);
  return 0;
}
