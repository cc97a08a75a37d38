#include "model/ui/FrameStation.h"

#include <QTableWidget>
#include <QVBoxLayout>

#include "model/ConfigTree.h"
#include "model/VLM_Obj.h"
#include "model/ui/ModelFrameParts.h"
#include "shell/HelpTopics.h"

namespace vlm {

TFrameStation::TFrameStation(QWidget* parent) : TFrame(HelpContextOf("TStation"), parent) {
  Binder().Edit("Место установки", "EditPlace", 255,
                TextField([this]() -> std::string& { return station_->Place; }),
                [this] { station_->UpdateNode(); });
  gridProc_ = SummaryGrid("StringGridProc", " Номер", " IP-адрес", this);
  gridPorts_ = SummaryGrid("StringGridPorts", " Адрес", " Название", this);
  Body()->addWidget(Titled("Сводный список процессоров", gridProc_, this), 1);
  Body()->addWidget(Titled("Сводный список программных портов", gridPorts_, this), 2);
}

void TFrameStation::Edit(TObj* obj) {
  station_ = static_cast<TStation*>(obj);
  Binder().Fill();
  FillGrids();
}

void TFrameStation::FillGrids() {
  gridProc_->setRowCount(0);
  gridPorts_->setRowCount(0);
  station_->Node->Tree()->ForEach([this](TTreeNode& node) {
    const TObj* obj = node.Object();
    if (const auto* proc = dynamic_cast<const TProcessor*>(obj)) {
      const int row = gridProc_->rowCount();
      gridProc_->insertRow(row);
      SetCell(gridProc_, row, 0, QStringLiteral("  %1").arg(proc->Number), proc);
      SetCell(gridProc_, row, 1, QString::fromStdString(IpText(proc->IPAddress)), proc);
    } else if (const auto* port = dynamic_cast<const TSoftPort*>(obj)) {
      const int row = gridPorts_->rowCount();
      gridPorts_->insertRow(row);
      SetCell(gridPorts_, row, 0, QStringLiteral("  %1").arg(port->Number), port);
      SetCell(gridPorts_, row, 1, QString::fromStdString(port->TypeName), port);
    }
  });
}

}  // namespace vlm
