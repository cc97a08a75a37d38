#include "ports/ui/FramePointModbus.h"

#include "common/Prompt.h"
#include "ports/PointKind.h"
#include "ports/ui/ReaddrModel.h"
#include "ports/ui/ReaddrPage.h"
#include "ports/ui/ReaddrTable.h"

namespace vlm {
namespace {
int gPage = 0;  // the page last used in any device frame
constexpr size_t kTsTable = 0, kTiTable = 1;
constexpr int kOverlapColumn = 3;
}  // namespace

TFramePointModbus::TFramePointModbus(QWidget* parent)
    : TReaddrPointFrame(gPage, "TPointModbus", parent) {
  TBinder& rtu = AddSettingsPage("RTU");
  ItemCheck(rtu, 196);
  AddNumberAndPlace(rtu);
  ItemSpin(rtu, 118);
  ItemSpin(rtu, 121);
  FollowReference(AddTablePage("ТелеСигналы", TOwnerTableId::ModbusTs, kTsTable), TModbusTable::Ts);
  FollowReference(AddTablePage("ТелеИзмерения", TOwnerTableId::ModbusTi, kTiTable), TModbusTable::Ti);
}

// Keeps the reference column current through every change of the rows.
void TFramePointModbus::FollowReference(TReaddrPage* page, TModbusTable table) {
  TReaddrModel& model = page->Table()->Model();
  const int reference = model.columnCount() - 1;
  auto update = [&model, table, reference] {
    UpdateModbusReference(table, model.Data());
    if (model.rowCount() > 0) emit model.dataChanged(model.index(0, reference), model.index(model.rowCount() - 1, reference));
  };
  connect(&model, &QAbstractItemModel::modelReset, this, update);
  connect(&model, &QAbstractItemModel::dataChanged, this,
          [update, reference](const QModelIndex& from, const QModelIndex& to) {
            if (from.column() < reference || to.column() < reference) update();
          });
}

bool TFramePointModbus::CheckTable(TReaddrPage& page, const TOwnerStore& store) {
  const TModbusTable table = page.Id() == TOwnerTableId::ModbusTs ? TModbusTable::Ts : TModbusTable::Ti;
  if (const auto clash = FindModbusOverlap(table, store.bytes)) {
    page.ShowStoredRow(store, clash->second, kOverlapColumn);
    ShowError(ModbusOverlapText(Point()->GetCaption(), table, *clash));
  }
  return true;  // a warning: the rows are kept
}

}  // namespace vlm
