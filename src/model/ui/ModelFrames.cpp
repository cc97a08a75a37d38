#include "model/ui/ModelFrames.h"

#include "model/Cards.h"
#include "model/ui/FrameCardRS.h"
#include "model/ui/FrameCardSimple.h"
#include "model/ui/FrameComPort.h"
#include "model/ui/FrameController.h"
#include "model/ui/FrameModem.h"
#include "model/ui/FrameProcessor.h"
#include "model/ui/FrameStation.h"
#include "shell/ui/FrameFactory.h"
#include "shell/HelpTopics.h"

namespace vlm {

void RegisterModelFrames() {
  auto reg = [](const char* name, auto make) {
    RegisterFrame(name, [make](TObj&, QWidget* parent) -> TFrame* { return make(parent); });
  };
  reg("TStation", [](QWidget* p) { return new TFrameStation(p); });
  reg("TController", [](QWidget* p) { return new TFrameController(p); });
  reg("TProcessor", [](QWidget* p) { return new TFrameProcessor(p); });
  for (const TCardRSKind* kind : {&kCard5554Kind, &kCard5558Kind, &kCardPPIKind}) {
    const int help = HelpContextOf(kind->className);
    RegisterFrame(kind->className, [help](TObj&, QWidget* p) -> TFrame* { return new TFrameCardRS(help, p); });
  }
  reg("TCardPVS", [](QWidget* p) { return new TFramePVS(p); });
  reg("TCardUNIO", [](QWidget* p) { return new TFrameUNIO(p); });
  reg("TComPort", [](QWidget* p) { return new TFrameComPort(p); });
  reg("TModem", [](QWidget* p) { return new TFrameModem(p); });
}

}  // namespace vlm
