#pragma once
// Icons of the diagnostics tree (indexed by the object's image index) and of its toolbar, drawn
// rather than shipped as files.
#include <QIcon>

namespace vlm {

QIcon DiagTreeIcon(int index);
// 0 logo, 1 pause, 2 scan, 3 help, 4 highlight, 5 load, 6 save, 7 play.
QIcon DiagToolIcon(int index);

}  // namespace vlm
