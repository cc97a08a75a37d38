#pragma once
// The context menu of each node kind as an ordered list of entries. The station and controller
// menus are the main window's own; the processor, port and point menus come with their kinds.
#include <span>

#include "ports/PortMenus.h"

namespace vlm {

std::span<const TMenuEntry> PopupEntries(TPopupMenu kind);

// Port kinds that come with one point of their own ("Лисна-Ч", "связь с ВЕЛМОР").
const char* CompanionPointOf(const char* portClass);

}  // namespace vlm
