#pragma once
// The analyzer tree and its event logs as text: the indented listing of velmorctl and the CSV
// files the window exports (one row per node, one row per change).
#include <string>

#include "blackbox/BoxTavik.h"

namespace vlm {

// One line per node (two blanks of indent per level, the node text), then "Ошибки:" and the
// root's error list. The texts are refreshed first.
std::string TavikTreeText(TTavikAnalyzer& analyzer);

// Semicolon-separated, UTF-8, CR LF: level, key, name, node text, appearances, first and last seen.
std::string TavikTreeCsv(TTavikAnalyzer& analyzer);
// The event log of one object: a title row, then the number and the text of each entry.
std::string TavikLogCsv(const TTavikLog& log);

}  // namespace vlm
