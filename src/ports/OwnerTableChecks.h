#pragma once
// The checks the table frames run when they store, run over a whole configuration: board TS
// rows lighting the same lamp, overlapping Modbus address ranges (warnings: the frame keeps
// such rows), IEC 104 object addresses repeated or past their base, and tables holding more
// rows than their capacity. A configuration can so be checked before it goes to a controller
// without opening every frame.
#include <string>
#include <vector>

namespace vlm {

class TTree;

struct TTableReport {
  std::string text;      // as the frame's box would show it
  bool warning = false;  // the frame shows it but keeps the rows (Modbus overlaps)
};

// Every problem in tree order.
std::vector<TTableReport> CheckOwnerTables(const TTree& tree);

}  // namespace vlm
