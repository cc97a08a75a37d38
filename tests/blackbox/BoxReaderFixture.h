#pragma once
// A reader of the fake controller's recorder and the folder its files go to.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "BoxFake.h"
#include "blackbox/BoxDriver.h"
#include "common/Prompt.h"
#include "support/ScriptedPrompt.h"

namespace vlm::test {

struct BoxReaderTest : ::testing::Test {
  static constexpr uint16_t kDescriptorSegment = 0x1000;
  static constexpr uint16_t kBufferSegment = 0x2000;

  TControllerLink link;
  TBoxMemory memory;
  TBoxContext context{link};
  TBoxEvents events;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  std::filesystem::path folder;
  // 2024-01-02 03:04:05.678
  TDateTime time = EncodeDateTime({2024, 1, 2, 3, 4, 5, 678});

  void SetUp() override {
    UseBoxMemory(link, memory);
    ASSERT_TRUE(link.OpenLink());
    context.observer = &events;
    context.clock = [this] { return time; };
    folder = std::filesystem::path(::testing::TempDir()) /
             ("box_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    context.boxFolder = folder;
    PutRecorder();
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  // A type-0 descriptor at 1000:0000 with its buffers at 2000:0000.
  void PutRecorder(const std::string& name = "COM2") {
    auto d = TBoxLayout::Descriptor(0, 0, name);
    d[32] = 0x00;
    d[33] = 0x20;  // buffers segment 2000h, offset 0
    memory.Put(kDescriptorSegment, 0, d);
  }
  void PutRecord(size_t buffer, uint32_t ticks, uint8_t protocol, uint8_t direction, const std::vector<uint8_t>& data,
                 uint8_t error = 0) {
    memory.Put(kBufferSegment, uint16_t(buffer * 136), TBoxLayout::Record(ticks, protocol, direction, error, data));
    memory.Put(kDescriptorSegment, uint16_t(14 + buffer), {uint8_t(data.size())});
  }
  void SetWriteIndex(uint8_t index) { memory.Put(kDescriptorSegment, 13, {index}); }
  TBoxDescriptor DescriptorInMemory() {
    return TBoxDescriptor::FromBytes(std::span(memory.At(kDescriptorSegment, 0), kBoxDescriptorSize));
  }
  std::unique_ptr<TBoxDriver> MakeReader() {
    auto reader = std::make_unique<TBoxDriver>(context, DescriptorInMemory(), kDescriptorSegment, 0);
    context.view.currentBox = reader.get();
    return reader;
  }
  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

}  // namespace vlm::test
