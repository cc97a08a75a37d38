#pragma once
// The controller service windows on the main window: the four tool buttons that open them and
// the reset window offered after a configuration was written.
#include <memory>

namespace vlm {

class TAppContext;
class TFormVLM;
class TServiceWindows;

// The windows live as long as the returned object (keep it beside the main window).
std::unique_ptr<TServiceWindows> AttachServiceWindows(TFormVLM& form, TAppContext& context);

}  // namespace vlm
