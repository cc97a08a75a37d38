#pragma once
// The main window's button "Сервис \"Диагностика\"": the diagnostics window is made on first use,
// kept for the run and shown modally.
#include "shell/ui/ServiceButton.h"

class QWidget;

namespace vlm {

class TControllerLink;
class TFormDiag;

QToolButton* AddDiagService(const TServiceButtonAdder& add, TControllerLink& link, QWidget* owner);
// The window behind the button, nullptr before its first use.
TFormDiag* DiagWindow(QWidget* owner);

// The button "Сервис \"Дисплей\"": the display mirror, made on first use, kept and shown modally.
QToolButton* AddDisplayService(const TServiceButtonAdder& add, TControllerLink& link, QWidget* owner);

}  // namespace vlm
