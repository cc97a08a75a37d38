#pragma once
// A transport for link and service tests: records every frame, answers from a script, a fake
// controller or a fake device.
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <span>
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
  std::deque<std::vector<uint8_t>> ahead;         // answers to requests sent ahead
  TFakeController* controller = nullptr;          // answers when the script is empty
  // Answers every request the moment it is sent, as a device on the line does (the services'
  // fake disk sees each request once, in the order sent); its answers wait in `ahead`.
  std::function<std::vector<uint8_t>(std::span<const uint8_t>)> device;
  std::function<void()> duringWait;               // runs inside Receive, like a pumped timer
  bool failOpen = false, failSend = false;
  int opens = 0, closes = 0;
  int quiets = 0;  // times the link let the line fall quiet
  std::chrono::milliseconds waited{0};  // the answer waits and silences the link asked for, summed
};

class TFakeTransport : public ILinkTransport {
 public:
  explicit TFakeTransport(TFakeWire& wire) : wire_(wire) {}
  bool Open() override { ++wire_.opens; return !wire_.failOpen; }
  void Close() override { ++wire_.closes; }
  bool Send(std::span<const uint8_t> frame) override {
    wire_.ahead.clear();  // what was not awaited is thrown away, as on a socket
    wire_.sent.emplace_back(frame.begin(), frame.end());
    if (wire_.device && !wire_.failSend) wire_.ahead.push_back(wire_.device(frame));
    return !wire_.failSend;
  }
  // A request sent ahead is carried out at once; its answer waits for a Receive.
  bool SendAhead(std::span<const uint8_t> frame) override {
    wire_.sent.emplace_back(frame.begin(), frame.end());
    if (wire_.failSend) return false;
    if (wire_.device) wire_.ahead.push_back(wire_.device(frame));
    else if (wire_.controller) wire_.ahead.push_back(wire_.controller->Answer(frame));
    return true;
  }
  TReceived Receive(std::span<uint8_t> into, size_t expected, std::chrono::milliseconds wait, const TAnswerFilter& filter,
                    const std::function<void()>& pump) override {
    wire_.expected.push_back(expected);
    if (wire_.duringWait) wire_.duringWait();
    wire_.waited += wait;
    if (pump) pump();
    // Scripted answers are heard in turn until one is taken; the fake controller answers once.
    for (bool asked = false;;) {
      std::vector<uint8_t> answer;
      if (!wire_.answers.empty()) {
        answer = std::move(wire_.answers.front());
        wire_.answers.pop_front();
      } else if (!wire_.ahead.empty()) {
        answer = std::move(wire_.ahead.front());
        wire_.ahead.pop_front();
        asked = true;
      } else if (wire_.controller && !asked) {
        answer = wire_.controller->Answer(wire_.sent.back());
        asked = true;
      }
      if (answer.empty()) return {};
      const TAnswerVerdict verdict = filter ? filter(answer) : TAnswerVerdict::Take;
      if (verdict == TAnswerVerdict::Ignore || verdict == TAnswerVerdict::Echo) continue;
      const size_t n = std::min(answer.size(), into.size());
      std::copy_n(answer.begin(), n, into.begin());
      return {verdict == TAnswerVerdict::Take ? TReceiveEnd::Answer : TReceiveEnd::Rejected, n};
    }
  }
  int Quiet(std::chrono::milliseconds silence, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    ++wire_.quiets;
    wire_.waited += silence;
    return 0;
  }

 private:
  TFakeWire& wire_;
};

// The answer with its last byte made the checksum of the bytes between length and checksum.
inline std::vector<uint8_t> Sealed(std::vector<uint8_t> frame) {
  uint8_t sum = 0;
  for (size_t i = 1; i + 1 < frame.size(); ++i) sum = uint8_t(sum + frame[i]);
  frame.back() = sum;
  return frame;
}

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
