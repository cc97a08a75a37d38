#pragma once
// A transport for link tests: records every frame, answers from a script or a fake controller.
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "common/Prompt.h"
#include "link/LinkTransport.h"
#include "link/Velmor_PC.h"
#include "support/ScriptedPrompt.h"
#include "FakeController.h"

namespace vlm::test {

struct TFakeWire {
  std::vector<std::vector<uint8_t>> sent;
  std::vector<size_t> expected;                   // `expected` of each receive
  std::deque<std::vector<uint8_t>> answers;       // scripted answers; an empty one means silence
  TFakeController* controller = nullptr;          // answers when the script is empty
  std::function<void()> duringWait;               // runs inside Receive, like a pumped timer
  bool failOpen = false, failSend = false;
  int opens = 0;
};

class TFakeTransport : public ILinkTransport {
 public:
  explicit TFakeTransport(TFakeWire& wire) : wire_(wire) {}
  bool Open() override { ++wire_.opens; return !wire_.failOpen; }
  void Close() override {}
  bool Send(std::span<const uint8_t> frame) override {
    wire_.sent.emplace_back(frame.begin(), frame.end());
    return !wire_.failSend;
  }
  int Receive(std::span<uint8_t> into, size_t expected, const std::function<void()>& pump) override {
    wire_.expected.push_back(expected);
    if (wire_.duringWait) wire_.duringWait();
    if (pump) pump();
    std::vector<uint8_t> answer;
    if (!wire_.answers.empty()) {
      answer = std::move(wire_.answers.front());
      wire_.answers.pop_front();
    } else if (wire_.controller) {
      answer = wire_.controller->Answer(wire_.sent.back());
    }
    const size_t n = std::min(answer.size(), into.size());
    std::copy_n(answer.begin(), n, into.begin());
    return int(n);
  }

 private:
  TFakeWire& wire_;
};

inline void UseFake(TControllerLink& link, TFakeWire& wire) {
  link.SetTransportFactory([&wire](const TLinkSettings&) { return std::make_unique<TFakeTransport>(wire); });
}

// An open link to a fake controller, its messages recorded.
struct TFakeControllerLink : ::testing::Test {
  TControllerLink link;
  test::TFakeWire wire;
  test::TFakeController controller;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  void SetUp() override {
    test::UseFake(link, wire);
    wire.controller = &controller;
    ASSERT_TRUE(link.OpenLink());
  }
};

}  // namespace vlm::test
