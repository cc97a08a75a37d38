#include "ports/ui/FramePortLamp.h"

#include <QAbstractItemView>
#include <QTimer>

#include "common/Prompt.h"
#include "ports/PortKind.h"
#include "ports/VLM_PortRows.h"
#include "ports/ui/ReaddrModel.h"
#include "ports/ui/ReaddrPage.h"
#include "ports/ui/ReaddrTable.h"

namespace vlm {
namespace {
int gPage = 0;  // the page last used in any board port frame
constexpr int kBoardPointColumn = 6;

int TopRow(TReaddrPage* page) { return std::max(0, page->Table()->rowAt(0)) + 1; }

void ScrollTo(TReaddrPage* page, int topRow) {
  TReaddrTable* table = page->Table();
  const int row = std::clamp(topRow - 1, 0, std::max(0, table->Model().rowCount() - 1));
  table->scrollTo(table->Model().index(row, 1), QAbstractItemView::PositionAtTop);
}
}  // namespace

TFramePortLamp::TFramePortLamp(QWidget* parent)
    : TReaddrPortFrame(gPage, "TPortL", parent) {
  TBinder& port = PortPage();
  ItemCheck(port, 112);
  ItemSpin(port, 219);
  port.Note("240 - ТСК (F0h), 241 - ТСКН (F1h)");
  ItemCheck(port, 222);
  ItemCheck(port, 224);
  ts_ = AddTablePage("ТелеСигналы", TOwnerTableId::LampTs, TPortL::kTsTable);
  BinderOn(AddTablePage("Сборные ТС", TOwnerTableId::LampJunction, TPortL::kJunctionTable))
      .Note("Сборка N1 - это сигнал общего несоответствия, который формируется при изменении ЛЮБОГО "
            "сигнала, выдаваемого на щит данным портом (даже если в таблице ТС указан другой номер сборки).");
  ti_ = AddTablePage("ТелеИзмерения", TOwnerTableId::LampTi, TPortL::kTiTable);
  SetStoreOrder({TOwnerTableId::LampTs, TOwnerTableId::LampTi, TOwnerTableId::LampJunction});
}

TPortL* TFramePortLamp::Board() const { return dynamic_cast<TPortL*>(Port()); }

void TFramePortLamp::Edited() {
  // The grids learn their row heights once laid out; scroll again then.
  ScrollToTopRows();
  QTimer::singleShot(0, this, [this] { ScrollToTopRows(); });
}

void TFramePortLamp::ScrollToTopRows() {
  if (!Board()) return;
  ScrollTo(ts_, Board()->TsTopRow);
  ScrollTo(ti_, Board()->TiTopRow);
}

int TFramePortLamp::Apply() {
  if (TPortL* board = Board()) {
    board->TsTopRow = TopRow(ts_);
    board->TiTopRow = TopRow(ti_);
  }
  return TReaddrFrame::Apply();
}

bool TFramePortLamp::CheckTable(TReaddrPage& page, const TOwnerStore& store) {
  if (page.Id() != TOwnerTableId::LampTs) return true;
  const auto clash = FindBoardDuplicate(store.bytes);
  if (!clash) return true;
  Board()->TsTopRow = static_cast<int>(store.gridRows[static_cast<size_t>(clash->second - 1)]) + 1;
  page.ShowStoredRow(store, clash->second, kBoardPointColumn);
  ShowError(BoardDuplicateText(Board()->GetCaption(), store.bytes, *clash));
  return false;
}

}  // namespace vlm
