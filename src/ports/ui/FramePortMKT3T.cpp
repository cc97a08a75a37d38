#include "ports/ui/FramePortMKT3T.h"

#include "ports/VLM_PortRows.h"

namespace vlm {
namespace {
int gPage = 0;  // the page last used in any МКТ3 transmit frame
}  // namespace

TFramePortMKT3T::TFramePortMKT3T(QWidget* parent)
    : TReaddrFrame(0, gPage, FindPortKindByClass("TPortMKT3T")->items, parent) {
  TBinder& port = AddSettingsPage("Порт");
  AddPortRows(port, soft_);
  for (uint8_t id : {6, 115, 116, 145}) ItemSpin(port, id);
  AddTablePage("ТелеСигналы", TOwnerTableId::Mkt3Ts, TPortMKT3T::kTsTable);
  AddTablePage("ТелеИзмерения", TOwnerTableId::Mkt3Ti, TPortMKT3T::kTiTable);
}

void TFramePortMKT3T::Edit(TObj* obj) {
  port_ = dynamic_cast<TDataPort*>(obj);
  soft_ = port_;
  if (port_) FillAll(&port_->Values, &port_->Tables, port_);
}

}  // namespace vlm
