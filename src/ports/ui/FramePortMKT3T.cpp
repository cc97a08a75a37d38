#include "ports/ui/FramePortMKT3T.h"

#include "ports/VLM_PortRows.h"

namespace vlm {
namespace {
int gPage = 0;  // the page last used in any МКТ3 transmit frame
}  // namespace

TFramePortMKT3T::TFramePortMKT3T(QWidget* parent)
    : TReaddrPortFrame(gPage, "TPortMKT3T", parent) {
  TBinder& port = PortPage();
  for (uint8_t id : {6, 115, 116, 145}) ItemSpin(port, id);
  AddTablePage("ТелеСигналы", TOwnerTableId::Mkt3Ts, TPortMKT3T::kTsTable);
  AddTablePage("ТелеИзмерения", TOwnerTableId::Mkt3Ti, TPortMKT3T::kTiTable);
}

}  // namespace vlm
