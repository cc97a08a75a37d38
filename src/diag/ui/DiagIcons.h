#pragma once
// Icons of the diagnostics tree (indexed by the object's image index) and of its toolbar, drawn
// rather than shipped as files.
#include <QIcon>
#include <functional>

class QToolButton;

namespace vlm {

QIcon DiagTreeIcon(int index);
// 0 logo, 1 pause, 2 scan, 3 help, 4 highlight, 5 load, 6 save, 7 play.
QIcon DiagToolIcon(int index);

// A flat toolbar button of the diagnostics windows with that icon, running `run` when clicked.
QToolButton* DiagToolButton(const char* name, const QString& hint, int icon, std::function<void()> run);

}  // namespace vlm
