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

// Every problem as the frame's box would show it, in tree order.
std::vector<std::string> CheckOwnerTables(const TTree& tree);

}  // namespace vlm
