#include "ports/ui/FramePortRPT80T.h"

#include "ports/PortKind.h"

namespace vlm {
namespace {
int gPage = 0;  // the page last used in any РПТ80 transmit frame
constexpr size_t kTsTable = 0, kTiTable = 1;
}  // namespace

TFramePortRPT80T::TFramePortRPT80T(QWidget* parent)
    : TReaddrFrame(0, gPage, FindPortKindByClass("TPortRPT80T")->items, parent) {
  TBinder& port = AddSettingsPage("Порт");
  AddPortRows(port, soft_);
  for (uint8_t id : {6, 115, 116, 150}) ItemSpin(port, id);
  // The place is part of the node text: it goes into the port at once.
  port.Edit("Место установки приёмн. РПТ80", "EditPlace", 255,
            {[this] { return port_->Place(); }, [this](const std::string& place) { port_->SetPlace(place); }},
            [this] { port_->UpdateNode(); });
  AddTablePage("Сигналы", TOwnerTableId::Rpt80Ts, kTsTable);
  AddTablePage("Измерения", TOwnerTableId::Rpt80Ti, kTiTable);
}

void TFramePortRPT80T::Edit(TObj* obj) {
  port_ = dynamic_cast<TDataPort*>(obj);
  soft_ = port_;
  if (port_) FillAll(&port_->Values, &port_->Tables, port_);
}

}  // namespace vlm
