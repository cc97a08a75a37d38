#include "shell/ui/FrameFactory.h"

#include <map>

#include "model/VLM_Obj.h"

namespace vlm {

namespace {
std::map<std::string, TFrameMaker>& Makers() {
  static std::map<std::string, TFrameMaker> makers;
  return makers;
}
}  // namespace

void RegisterFrame(const std::string& className, TFrameMaker maker) {
  Makers()[className] = std::move(maker);
}

TFrame* CreateFrame(TObj& obj, QWidget* parent) {
  const auto it = Makers().find(obj.ClassName());
  return it == Makers().end() ? nullptr : it->second(obj, parent);
}

}  // namespace vlm
