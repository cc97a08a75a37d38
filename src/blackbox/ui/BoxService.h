#pragma once
// The main window's button "Сервис \"Чёрный Яшик\"": the black-box window is made on first use and kept for
// the run; while it is minimised the main window hides.
#include "shell/ui/ServiceButton.h"

class QWidget;

namespace vlm {

class TControllerLink;
class TFormBox;

QToolButton* AddBoxService(const TServiceButtonAdder& add, TControllerLink& link, QWidget* owner);
// The window behind the button, nullptr before its first use.
TFormBox* BoxWindow(QWidget* owner);

}  // namespace vlm
