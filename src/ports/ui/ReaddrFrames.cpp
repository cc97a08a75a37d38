#include "ports/ui/ReaddrFrames.h"

#include "ports/ui/FramePointModbus.h"
#include "ports/ui/FramePointPC4.h"
#include "ports/ui/FramePortLamp.h"
#include "ports/ui/FramePortMKT3T.h"
#include "ports/ui/FramePortPas.h"
#include "ports/ui/FramePortRPT80T.h"
#include "shell/ui/FrameFactory.h"

namespace vlm {
namespace {
template <typename Frame>
void Register(const char* className) {
  RegisterFrame(className, [](TObj&, QWidget* parent) -> TFrame* { return new Frame(parent); });
}
}  // namespace

void RegisterReaddrFrames() {
  Register<TFramePortPas>("TPortPassive");
  Register<TFramePortLamp>("TPortL");
  Register<TFramePortMKT3T>("TPortMKT3T");
  Register<TFramePortRPT80T>("TPortRPT80T");
  Register<TFramePointModbus>("TPointModbus");
  Register<TFramePointPC4>("TPointPC4");
}

}  // namespace vlm
