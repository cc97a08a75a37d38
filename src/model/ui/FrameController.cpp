#include "model/ui/FrameController.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>

#include "model/Cards.h"
#include "model/VLM_Obj.h"
#include "model/ui/ModelFrameParts.h"
#include "shell/HelpTopics.h"

namespace vlm {

TFrameController::TFrameController(QWidget* parent) : TFrame(HelpContextOf("TController"), parent) {
  gridAddr_ = SummaryGrid("StringGridAddr", " Адрес", " Плата", this);
  gridIrq_ = SummaryGrid("StringGridIRQ", " IRQ", " Плата", this);
  gridLinks_ = SummaryGrid("StringGridLinks", " Программный порт", " Аппаратный порт", this);
  gridLinks_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  auto* top = new QHBoxLayout;
  top->addWidget(Titled("Базовые адреса", gridAddr_, this));
  top->addWidget(Titled("Линии запроса прерывания", gridIrq_, this));
  Body()->addLayout(top, 3);
  Body()->addWidget(Titled("Связанные программные и аппаратные порты", gridLinks_, this), 2);
}

void TFrameController::Edit(TObj* obj) {
  controller_ = static_cast<TController*>(obj);
  auto fillCards = [](QTableWidget* grid, int row, int key, const std::vector<TCard*>& cards) {
    QString names;
    for (const TCard* card : cards) names += " " + QString::fromStdString(card->GetCaption());
    const TCard* first = cards.empty() ? nullptr : cards.front();
    SetCell(grid, row, 0, QStringLiteral("  %1").arg(key), first);
    SetCell(grid, row, 1, names, first);
    // An address or line taken by two cards is red, as in the card frames.
    grid->item(row, 0)->setForeground(UseCountColour(static_cast<int>(cards.size())));
  };
  gridAddr_->setRowCount(TController::kAddressCount);
  for (int a = 0; a < TController::kAddressCount; ++a) fillCards(gridAddr_, a, a, controller_->AddrCards[a]);
  gridIrq_->setRowCount(TController::kLastIrq - TController::kFirstIrq + 1);
  for (int line = TController::kFirstIrq; line <= TController::kLastIrq; ++line)
    fillCards(gridIrq_, line - TController::kFirstIrq, line, controller_->IrqCards[line - TController::kFirstIrq]);
  const auto& links = controller_->Links;
  gridLinks_->setRowCount(std::max<int>(1, static_cast<int>(links.size())));
  for (size_t i = 0; i < links.size(); ++i) {
    const TLink& link = *links[i];
    SetCell(gridLinks_, int(i), 0, link.SoftPort ? QString::fromStdString(link.SoftPort->GetCaption()) : QString(), link.SoftPort);
    SetCell(gridLinks_, int(i), 1, link.HardPort ? QString::fromStdString(link.HardPort->GetCaption()) : QString(), link.HardPort);
  }
}

}  // namespace vlm
