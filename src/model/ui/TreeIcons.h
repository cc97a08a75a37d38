#pragma once
// Icons of the tree's image indices and of the tool buttons, drawn in code (no image files).
#include <QIcon>

namespace vlm {

// 1 software port, 2 controller, 6 processor and cards, 8 RS-232, 9 RS-485, 10 modem, 12 station;
// other indices (ports and points of later kinds) get a neutral square.
QIcon TreeIcon(int imageIndex);

enum class TToolIcon { New, Open, Save, Read, Write, Options, Help, Logo };
QIcon ToolIcon(TToolIcon which);

}  // namespace vlm
