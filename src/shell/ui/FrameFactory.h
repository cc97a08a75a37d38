#pragma once
// Editor frames are created by the UI, one maker per object class name (TObj::ClassName), so
// the core never sees Qt. Each ui library registers the frames of its classes at start-up.
#include <functional>
#include <string>

class QWidget;

namespace vlm {

class TFrame;
class TObj;

using TFrameMaker = std::function<TFrame*(TObj& obj, QWidget* parent)>;

void RegisterFrame(const std::string& className, TFrameMaker maker);
// The frame of the object's class, or nullptr when the class has none.
TFrame* CreateFrame(TObj& obj, QWidget* parent);

}  // namespace vlm
