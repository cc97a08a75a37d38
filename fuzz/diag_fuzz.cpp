// Diagnostic structures published by a controller: the input is the controller's segment 1000h
// (the root pointer names 1000:0000). Every folder is scanned, every object's name, value and
// hint read, every table view run for a few passes, and the input is also taken as one
// name/format string over data bytes. Nothing may hang or read outside what the memory holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

#include "common/Numbers.h"
#include "diag/DiagKinds.h"
#include "diag/DiagScan.h"
#include "diag/DiagTablo.h"
#include "diag/DiagValueTable.h"
#include "link/LinkTransport.h"
#include "link/Velmor_PC.h"

namespace {

class TMemoryAnswers : public vlm::ILinkTransport {
 public:
  explicit TMemoryAnswers(const std::vector<uint8_t>& memory) : memory_(memory) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t> frame) override {
    request_.assign(frame.begin(), frame.end());
    return true;
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    return 0;
  }
  vlm::TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const vlm::TAnswerFilter& filter,
                         const std::function<void()>&) override {
    if (request_.size() < 8 || request_[1] != 0x80) return {};
    const size_t base = (size_t(vlm::GetU16(&request_[4])) * 16 + vlm::GetU16(&request_[2]));
    std::vector<uint8_t> a(request_.begin(), request_.begin() + 7);
    a[0] = uint8_t(request_[6] + 6);
    for (size_t i = 0; i < request_[6]; ++i) a.push_back(memory_[(base + i) & 0xFFFFF]);
    a.push_back(0);
    for (size_t i = 1; i + 1 < a.size(); ++i) a.back() = uint8_t(a.back() + a[i]);
    const size_t n = std::min(a.size(), into.size());
    std::copy_n(a.data(), n, into.data());
    if (filter && filter(std::span<const uint8_t>(into.data(), n)) != vlm::TAnswerVerdict::Take) return {};
    return {vlm::TReceiveEnd::Answer, n};
  }

 private:
  const std::vector<uint8_t>& memory_;
  std::vector<uint8_t> request_;
};

void Visit(vlm::TDiagContext& context, vlm::TDiagObj& obj) {
  obj.ReadFormat();
  obj.ReadValue();
  obj.HintText();
  if (obj.Kind() == vlm::kDiagTI || obj.Kind() == vlm::kDiagTS) {
    vlm::TValueTable table(context, obj.Kind() == vlm::kDiagTI ? vlm::kTiTable : vlm::kTsTable);
    if (table.Start(obj))
      for (int i = 0; i < 200 && table.Passes() < 2; ++i) table.ScanTick();
    for (int column = -1; column < 11; ++column) table.At(column, 0);
  }
  if (obj.Kind() == vlm::kDiagTablo) {
    vlm::TTablo tablo(context);
    if (tablo.Start(obj))
      for (int i = 0; i < 400; ++i) tablo.ScanTick();
    for (int x = 0; x < 1040; x += 37) tablo.HitTest(x, x * 3);
  }
  vlm::ForEachChild(obj, [&](vlm::TDiagObj& child) { Visit(context, child); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const vlm::TNameFormat format = vlm::ParseNameFormat(text);
  vlm::FormatFields(format.Fields, format.EnumTexts, std::span(data, size));

  std::vector<uint8_t> memory(0x100000);
  std::copy_n(data, std::min<size_t>(size, 0x10000), memory.begin() + 0x10000);
  vlm::PutU32(&memory[0x208], 0x10000000);
  vlm::TControllerLink link;
  link.SetTransportFactory([&memory](const vlm::TLinkSettings&) { return std::make_unique<TMemoryAnswers>(memory); });
  link.OpenLink();
  vlm::TDiagMemory diagMemory(link);
  vlm::TDiagContext context(diagMemory);
  std::unique_ptr<vlm::TDiagObj> root;
  if (vlm::ReadDiagRoot(context, root) && root) {
    vlm::ScanSubtree(context, *root, 8);
    Visit(context, *root);
  }
  return 0;
}
