#include "ports/ui/FramePortActive.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ports/VLM_PortAct.h"

namespace vlm {

namespace {

QString ActiveStepText(const TTkrStep& step) {
  return step.Point == 0 ? QStringLiteral("ти") : QString::number(step.Point);
}

}  // namespace

TFramePortActive::TFramePortActive(const TPortKind& kind, QWidget* parent)
    : TFramePortItems(kind, parent, false) {
  auto* sequence = new QGroupBox(QStringLiteral("Последовательность опроса"), this);
  sequence->setObjectName("GroupBoxSequence");
  auto* row = new QHBoxLayout(sequence);
  ring_ = new TPollRing({24, "ShapeO", ActiveStepText, -1}, sequence);
  row->addWidget(ring_);

  auto* side = new QVBoxLayout;
  labelCount_ = AddStepCounter(side, sequence);
  auto* addTi = new QPushButton(QStringLiteral("Добавить Запрос ТИ"), sequence);
  addTi->setObjectName("ButtonAddTI");
  side->addWidget(addTi);
  side->addWidget(new QLabel(QStringLiteral("Добавить Опрос Требований КП №:"), sequence));
  std::vector<QPushButton*> buttons;
  side->addWidget(PointButtons("ButtonPoint", 6, buttons, sequence));
  buttonDelete_ = new QPushButton(QStringLiteral("Удалить ЗТИ/ОТ"), sequence);
  buttonDelete_->setObjectName("ButtonDelete");
  side->addWidget(buttonDelete_);
  side->addStretch(1);
  row->addLayout(side);
  row->addStretch(1);
  Body()->addWidget(sequence);

  connect(addTi, &QPushButton::clicked, this, [this] { AddStep(0); });
  for (QPushButton* button : buttons)
    connect(button, &QPushButton::clicked, this,
            [this, button] { AddStep(static_cast<uint8_t>(button->property("tag").toInt())); });
  connect(buttonDelete_, &QPushButton::clicked, ring_, &TPollRing::DeleteSelected);
  connect(ring_, &TPollRing::Changed, this, &TFramePortActive::RingChanged);

  auto* bottom = new QGridLayout;
  bottom->setColumnStretch(1, 1);
  Body()->addLayout(bottom);
  TItemPage& polls = PageOn(this, bottom);
  polls.Add(190);

  auto* restore = new QGroupBox(QStringLiteral("Восстановление опроса КП"), this);
  restore->setObjectName("GroupBoxRestore");
  auto* restoreGrid = new QGridLayout(restore);
  TItemPage& restorePage = PageOn(restore, restoreGrid);
  restorePage.Add(133);
  QWidget* delay = restorePage.Add(130);
  // The delay reads as a sentence: "через" [minutes] "минут (1...1440)".
  QLabel* unit = restorePage.LabelOf(delay);
  restoreGrid->removeWidget(unit);
  restoreGrid->removeWidget(delay);
  auto* delayRow = new QHBoxLayout;
  delayRow->addWidget(new QLabel(QStringLiteral("через"), restore));
  delayRow->addWidget(delay);
  delayRow->addWidget(unit);
  delayRow->addStretch(1);
  restoreGrid->addLayout(delayRow, restoreGrid->rowCount(), 0, 1, 2);
  Body()->addWidget(restore);

  auto* linkGrid = new QGridLayout;
  linkGrid->setColumnStretch(1, 1);
  Body()->addLayout(linkGrid);
  TItemPage& link = PageOn(this, linkGrid);
  link.Add(204);
  link.Binder().Note(QStringLiteral("Адрес объекта информации сигнала \"Состояние связи с КП\" (0 - не используется)"));
  Body()->addStretch(1);
}

void TFramePortActive::Edited() {
  auto* port = static_cast<TPortActive*>(Port());
  TPollSequence& sequence = ring_->Sequence();
  sequence.Load(*port);
  // The first step comes selected: its point is the current one.
  if (sequence.Selected >= 0) sequence.Select(sequence.Selected);
  ring_->Rebuild();
}

void TFramePortActive::AddStep(uint8_t value) {
  ring_->AddActive(value);
}

void TFramePortActive::RingChanged() {
  labelCount_->setText(QString::number(ring_->Count()));
  buttonDelete_->setEnabled(ring_->Count() > 0);
}

int TFramePortActive::Apply() {
  auto* port = dynamic_cast<TPortActive*>(Port());
  if (port) ring_->Sequence().Store(*port);
  return TFramePortItems::Apply();
}

}  // namespace vlm
