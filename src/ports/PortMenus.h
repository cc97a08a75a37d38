#pragma once
// The context menus of the processor, port and point nodes as ordered lists of actions; the UI
// maps each entry to a QAction (hidden entries exist but are not shown).
#include <span>

#include "model/VLM_Obj.h"

namespace vlm {

struct TMenuEntry {
  const char* action = "";  // action name ("ActionNewPortActive"); "" for a separator
  const char* text = "";    // text shown in the menu
  bool visible = true;
  bool enabled = true;
  bool IsSeparator() const { return *action == '\0'; }
};

// Entries of the menu kinds of the processor, the software ports and the remote points; an empty
// list for the kinds the model owns (station, controller, cards).
std::span<const TMenuEntry> MenuEntries(TPopupMenu menu);

}  // namespace vlm
