#include "ports/ui/FramePortRPT80T.h"

#include "ports/PortKind.h"

namespace vlm {
namespace {
int gPage = 0;  // the page last used in any РПТ80 transmit frame
constexpr size_t kTsTable = 0, kTiTable = 1;
}  // namespace

TFramePortRPT80T::TFramePortRPT80T(QWidget* parent)
    : TReaddrPortFrame(gPage, "TPortRPT80T", parent) {
  TBinder& port = PortPage();
  for (uint8_t id : {6, 115, 116, 150}) ItemSpin(port, id);
  // The place is part of the node text: it goes into the port at once.
  port.Edit("Место установки приёмн. РПТ80", "EditPlace", 255,
            {[this] { return Port()->Place(); }, [this](const std::string& place) { Port()->SetPlace(place); }},
            [this] { Port()->UpdateNode(); });
  AddTablePage("Сигналы", TOwnerTableId::Rpt80Ts, kTsTable);
  AddTablePage("Измерения", TOwnerTableId::Rpt80Ti, kTiTable);
}

}  // namespace vlm
