#pragma once
// Helpers of the model tests: building images from trees, reading them back under a scripted
// prompt, and crafting damaged images record by record.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/DateTime.h"
#include "common/Numbers.h"
#include "common/Prompt.h"
#include "model/Cards.h"
#include "model/Config.h"
#include "model/Kinds.h"
#include "model/VLM_Obj.h"
#include "support/ScriptedPrompt.h"

namespace vlm::test {

using Bytes = std::vector<uint8_t>;

inline TDateTime FixedStamp() {
  TDateTime stamp{};
  ParseStamp("01.02.2026 03:04:05", stamp);
  return stamp;
}

inline Bytes BuildImage(TStation& station) {
  TConfig cfg;
  cfg.Stamp = FixedStamp();
  station.WriteConfig(cfg);
  auto image = cfg.Image();
  return {image.begin(), image.end()};
}

// Result of reading an image into a fresh tree.
struct TReadResult {
  bool aborted = false;
  std::vector<std::string> errors;
  std::vector<std::string> questions;
};

inline TReadResult ReadImage(const Bytes& bytes, TTree& tree) {
  ScriptedPrompt prompt;
  PromptGuard guard(prompt);
  TReadResult result;
  TStation* station = NewEmptyStation(tree);
  try {
    TConfig cfg;
    cfg.Load(bytes);
    station->ReadConfig(cfg);
  } catch (const EAbort&) {
    result.aborted = true;
  }
  result.errors = prompt.errors;
  result.questions = prompt.questions;
  return result;
}

inline void FixChecksum(Bytes& image) { StoreCheckSum(image.data(), image.size()); }

// Offset of the n-th record (in file order) with this tag and id.
inline size_t FindRecord(const Bytes& image, uint8_t tag, uint8_t id, int occurrence = 0) {
  TConfig cfg;
  cfg.Load(image);
  std::optional<size_t> found;
  ForEachRecord(cfg, [&](const TRecordInfo& r) {
    if (!found && r.tag == tag && r.id == id && occurrence-- == 0) found = r.offset;
  });
  if (!found) ADD_FAILURE() << "record " << int(id) << " not found";
  return found.value_or(0);
}

// An image written by hand: header, the records the test writes, size and checksum.
class TImageWriter {
 public:
  TImageWriter() {
    cfg.Clear();
    cfg.WriteHeader(FixedStamp());
    cfg.Position = kHeaderSize;
  }
  TImageWriter& Open(uint8_t id) {
    open_.push_back(cfg.OpenContainer(id));
    return *this;
  }
  TImageWriter& Close() {
    cfg.CloseContainer(open_.back());
    open_.pop_back();
    return *this;
  }
  // The station (one controller), the controller (cardCount cards) and, with openProcessor, the
  // processor are left open for the records of the test.
  TImageWriter& OpenController(uint8_t cardCount = 0, bool openProcessor = true) {
    Open(148);
    cfg.WriteU8(147, 1);
    Open(102);
    cfg.WriteU8(103, cardCount);
    if (openProcessor) Open(153);
    return *this;
  }
  // Closes what is still open and completes the header.
  Bytes Finish() {
    while (!open_.empty()) Close();
    cfg.FinishImage();
    auto image = cfg.Image();
    return {image.begin(), image.end()};
  }
  TConfig cfg;

 private:
  std::vector<size_t> open_;
};

}  // namespace vlm::test
