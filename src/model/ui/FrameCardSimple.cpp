#include "model/ui/FrameCardSimple.h"

#include <QVBoxLayout>

#include "model/Cards.h"
#include "model/ui/ModelFrameParts.h"
#include "shell/HelpTopics.h"

namespace vlm {

TFrameCardSimple::TFrameCardSimple(int helpContext, const QString& note, QWidget* parent)
    : TFrame(helpContext, parent) {
  listAddr_ = new TUseList("ListBoxAddr", this);
  listAddr_->setMinimumHeight(16 * 18);
  Body()->insertWidget(0, Titled("Базовый адрес", listAddr_, this), 0, Qt::AlignLeft);
  Binder().Note(note, "LabelNote");
  Body()->addStretch();
  connect(listAddr_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    card_->SetAddress(static_cast<uint8_t>(listAddr_->row(item)));
    RefreshList();  // a refused address shows no selection
  });
}

void TFrameCardSimple::Edit(TObj* obj) {
  card_ = static_cast<TCard*>(obj);
  RefreshList();
}

void TFrameCardSimple::RefreshList() {
  std::vector<std::pair<QString, int>> entries;
  for (int a = 0; a < TController::kAddressCount; ++a)
    entries.push_back({QStringLiteral(" %1").arg(a), card_->Controller->AddrUseCount(a)});
  listAddr_->Refresh(entries, card_->Address == 255 ? -1 : card_->Address);
}

TFramePVS::TFramePVS(QWidget* parent)
    : TFrameCardSimple(HelpContextOf("TCardPVS"),
                       "После изменения Базового адреса установите выбранное значение перемычками на "
                       "плате. Подробности в Справочной системе.",
                       parent) {}

TFrameUNIO::TFrameUNIO(QWidget* parent)
    : TFrameCardSimple(HelpContextOf("TCardUNIO"),
                       "Данный программный модуль находится в состоянии отладки и на настоящий "
                       "момент требует установки базового адреса 0.",
                       parent) {}

}  // namespace vlm
