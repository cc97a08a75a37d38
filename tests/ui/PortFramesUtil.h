#pragma once
// A configuration with one controller, a serial card and a PVS modem card, and the frames of its
// ports and points created as the main window creates them (frame factory, then Edit).
#include <QWidget>
#include <memory>

#include "common/Prompt.h"
#include "model/Cards.h"
#include "model/Kinds.h"
#include "model/VLM_Obj.h"
#include "ports/KindRegistration.h"
#include "ports/PointKind.h"
#include "ports/PortKind.h"
#include "ports/ui/PortFrames.h"
#include "shell/ui/Frame.h"
#include "shell/ui/FrameFactory.h"
#include "support/ScriptedPrompt.h"

namespace vlm::test {

class TPortFramesWorld {
 public:
  TPortFramesWorld() {
    RegisterPortKinds();
    RegisterPortFrames();
    station = NewConfiguration(tree);
    host.resize(960, 760);
  }
  ~TPortFramesWorld() {
    frame.reset();
    tree.Clear();
  }

  TController* Controller() const { return static_cast<TController*>(station->Node->Child(0)->Object()); }
  TTreeNode& ProcessorNode() const { return *Controller()->Processor()->Node; }
  TCard* AddCard(uint8_t kindId, uint8_t address) {
    auto* card = static_cast<TCard*>(Kinds().Create(TKindFamily::Card, kindId, *Controller()->Node));
    card->SetAddress(address);
    card->UpdateNode();
    return card;
  }
  TDataPort* AddPort(uint8_t typeId) {
    return dynamic_cast<TDataPort*>(vlm::AddPort(ProcessorNode(), *FindPortKind(typeId))->Object());
  }
  TDataPoint* AddPoint(TDataPort& port, uint8_t typeId) {
    return dynamic_cast<TDataPoint*>(vlm::AddPoint(*port.Node, *FindPointKind(typeId))->Object());
  }
  // The frame of the object, filled from it, as the main window shows it (the previous one goes).
  template <class T = TFrame>
  T* Show(TObj& obj) {
    frame.reset();
    frame.reset(CreateFrame(obj, &host));
    if (!frame) return nullptr;
    frame->resize(host.size());
    frame->Edit(&obj);
    host.show();
    frame->show();
    return dynamic_cast<T*>(frame.get());
  }
  template <class T>
  T* Child(const char* name) const {
    return frame ? frame->findChild<T*>(name) : nullptr;
  }

  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  TTree tree;
  TStation* station = nullptr;
  QWidget host;
  std::unique_ptr<TFrame> frame;
};

}  // namespace vlm::test
