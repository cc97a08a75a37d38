#include "model/ui/FrameCardRS.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <algorithm>

#include "model/Cards.h"
#include "model/ui/ModelFrameParts.h"

namespace vlm {

TFrameCardRS::TFrameCardRS(int helpContext, QWidget* parent) : TFrame(helpContext, parent) {
  listAddr_ = new TUseList("ListBoxAddr", this);
  listIrq_ = new TUseList("ListBoxIRQ", this);
  auto* lists = new QHBoxLayout;
  lists->addWidget(Titled("Базовые адреса", listAddr_, this));
  lists->addWidget(Titled("Линия запроса прерывания", listIrq_, this));
  lists->addStretch();
  Body()->insertLayout(0, lists);
  QSpinBox* freq = Binder().Spin("Частота генератора, Гц", "SpinEditFreq", 0, 25000000,
                                 IntField([this]() -> int32_t& { return card_->Frequency; }), [] {});
  freq->setToolTip("(стандартно 1843200)");
  Grid()->addWidget(new QLabel("(стандартно 1843200)", this), Grid()->rowCount() - 1, 2);
  Binder().Note("После изменения Базового адреса или Линии запроса прерывания установите выбранные "
                "значения перемычками на плате. Подробности в Справочной системе.", "LabelNote");
  Binder().Note("НЕ занимайте IRQ5 с процессором CPС108.", "LabelIrq5");
  Body()->addStretch();
  connect(listAddr_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    card_->SetAddress(static_cast<uint8_t>(listAddr_->row(item) * card_->AddrStep));
    if (card_->Address > 14) card_->SetAddress(255);  // a refused address clears all it held
    RefreshLists();
  });
  connect(listIrq_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    card_->SetIRQ(static_cast<uint8_t>(listIrq_->row(item) + TController::kFirstIrq));
    RefreshLists();
  });
}

void TFrameCardRS::Edit(TObj* obj) {
  card_ = static_cast<TCardRS*>(obj);
  Binder().Fill();
  RefreshLists();
}

void TFrameCardRS::RefreshLists() {
  const TController& c = *card_->Controller;
  std::vector<std::pair<QString, int>> addresses;
  for (int i = 0; i < 8; ++i) {
    const int first = i * card_->AddrStep;
    if (first + card_->AddrCount - 1 > 15) {
      addresses.push_back({QString(), 0});
      continue;
    }
    QString text = QStringLiteral(" %1").arg(first);
    int uses = c.AddrUseCount(first);
    for (int a = first + 1; a < first + card_->AddrCount; ++a) {
      text += QStringLiteral(", %1").arg(a);
      uses = std::max(uses, c.AddrUseCount(a));
    }
    addresses.push_back({text, uses});
  }
  listAddr_->Refresh(addresses, card_->Address == 255 ? -1 : card_->Address / card_->AddrStep);
  std::vector<std::pair<QString, int>> lines;
  for (int line = TController::kFirstIrq; line <= TController::kLastIrq; ++line)
    lines.push_back({QStringLiteral(" IRQ %1").arg(line), c.IrqUseCount(line)});
  listIrq_->Refresh(lines, card_->IRQ == 0 ? -1 : card_->IRQ - TController::kFirstIrq);
}

}  // namespace vlm
