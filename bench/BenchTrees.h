#pragma once
// Configuration trees of the benchmarks, and the prompt they run under.
#include <string>

#include "common/Prompt.h"
#include "model/Cards.h"
#include "model/Config.h"
#include "model/Kinds.h"

namespace vlm::bench {

// Says nothing and agrees to everything: a benchmark has no one to ask, and recording texts
// would be measured along.
class TQuietPrompt : public IPrompt {
 public:
  void ShowError(const std::string&) override {}
  TAnswer AskYesNo(const std::string&, bool) override { return TAnswer::Yes; }
};

struct TLargeTree {
  TStation* station;
  TTreeNode* lastController;
};

// Serial cards (8 ports each) over as many controllers as it takes, until the next card would not
// fit the image: a near-maximal image (close to the 64001-byte limit).
inline TLargeTree BuildLargeTree(TTree& tree) {
  TStation* station = NewConfiguration(tree);
  station->Place = "Подстанция №1";
  TConfig cfg;
  cfg.Stamp = 0.0;
  TTreeNode* controller = station->Node->Child(0);
  for (int cards = 0;; ++cards) {
    if (cards % 16 == 15) controller = AddController(*station->Node)->Node;
    auto* card = static_cast<TCardRS*>(Kinds().Create(TKindFamily::Card, 3, *controller));
    card->SetAddress(static_cast<uint8_t>((cards % 4) * 4));
    try {
      station->WriteConfig(cfg);
    } catch (const EAbort&) {
      controller->DeleteChild(controller->Count() - 1);
      return {station, controller};
    }
  }
}

}  // namespace vlm::bench
