#include "ports/KindRegistration.h"

#include "model/Kinds.h"

namespace vlm {

void RegisterPortKinds() {
  static const bool registered = [] {
    RegisterPortKindsOnly(Kinds());
    RegisterPointKindsOnly(Kinds());
    return true;
  }();
  (void)registered;
}

}  // namespace vlm
