#include "ports/OwnerTableChecks.h"

#include <cstring>

#include "common/Format.h"
#include "model/TreeNode.h"
#include "ports/PointKind.h"
#include "ports/PortKind.h"
#include "ports/ReaddrOwners.h"
#include "ports/VLM_PortRows.h"

namespace vlm {

namespace {

// Table places in the points' stored tables (the order of their kinds' table lists).
constexpr size_t kModbusTs = 0, kModbusTi = 1;
constexpr size_t kPc4Ti = 0, kPc4Ts = 1;
constexpr uint8_t kPc4TiBase = 203, kPc4TsBase = 204;

void CheckCapacities(const std::string& caption, const std::vector<TRowTable>& tables,
                     std::vector<TTableReport>& reports) {
  for (const TRowTable& t : tables)
    if (t.Count() > t.Def().capacity)
      reports.push_back({Format("%s\r%s\rПревышена максимальная емкость таблицы - %s.",
                                {caption, t.Def().title, RecordCount(t.Def().capacity)})});
}

void CheckPort(const TDataPort& port, std::vector<TTableReport>& reports) {
  CheckCapacities(port.GetCaption(), port.Tables, reports);
  if (std::strcmp(port.ClassName(), "TPortL") != 0) return;
  const auto& ts = port.Tables.at(TPortL::kTsTable).Bytes();
  if (const auto clash = FindBoardDuplicate(ts)) reports.push_back({BoardDuplicateText(port.GetCaption(), ts, *clash)});
}

void CheckPoint(const TDataPoint& point, std::vector<TTableReport>& reports) {
  CheckCapacities(point.GetCaption(), point.Tables, reports);
  const std::string cls = point.ClassName();
  if (cls == "TPointModbus") {
    for (const auto& [table, index] : {std::pair{TModbusTable::Ts, kModbusTs}, std::pair{TModbusTable::Ti, kModbusTi}})
      if (const auto clash = FindModbusOverlap(table, point.Tables.at(index).Bytes()))
        reports.push_back({ModbusOverlapText(point.GetCaption(), table, *clash), true});
  } else if (cls == "TPointPC4") {
    const std::pair<TOwnerTableId, size_t> tables[] = {{TOwnerTableId::Pc4Ti, kPc4Ti}, {TOwnerTableId::Pc4Ts, kPc4Ts}};
    for (const auto& [id, index] : tables) {
      const auto base = static_cast<unsigned>(point.Values.Get(id == TOwnerTableId::Pc4Ts ? kPc4TsBase : kPc4TiBase));
      if (const auto fault = FindPc4Fault(id, point.Tables.at(index).Bytes(), base))
        reports.push_back({Pc4FaultText(point.GetCaption(), id, *fault)});
    }
  }
}

}  // namespace

std::vector<TTableReport> CheckOwnerTables(const TTree& tree) {
  std::vector<TTableReport> reports;
  tree.ForEach([&](TTreeNode& node) {
    if (const auto* port = dynamic_cast<const TDataPort*>(node.Object())) CheckPort(*port, reports);
    else if (const auto* point = dynamic_cast<const TDataPoint*>(node.Object())) CheckPoint(*point, reports);
  });
  return reports;
}

}  // namespace vlm
