#include "ports/ui/FramePortTKR.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ports/VLM_PortAct.h"

namespace vlm {

namespace {

QString TkrText(const TTkrStep& step) {
  if (step.Kind == static_cast<uint8_t>(TTkrStepKind::Pause)) return QString::fromUtf8(TkrStepText(step.Kind));
  return QStringLiteral("%1 %2").arg(step.Point).arg(QString::fromUtf8(TkrStepText(step.Kind)));
}

struct TKindButton {
  const char* text;
  const char* name;
  TTkrStepKind kind;
};
constexpr TKindButton kKindButtons[] = {
    {"Запрос сост.", "ButtonState", TTkrStepKind::State},
    {"Запрос ТС", "ButtonTS", TTkrStepKind::TS},
    {"Запрос ТИ", "ButtonTI", TTkrStepKind::TI},
    {"Пауза", "ButtonPause", TTkrStepKind::Pause},
};

}  // namespace

TFramePortTKR::TFramePortTKR(const TPortKind& kind, QWidget* parent) : TFramePortItems(kind, parent, false) {
  auto* sequence = new QGroupBox(QStringLiteral("Последовательность опроса КП"), this);
  sequence->setObjectName("GroupBoxSequence");
  auto* row = new QHBoxLayout(sequence);
  ring_ = new TPollRing({32, "Shape1", TkrText, kTkrPausePoint}, sequence);
  row->addWidget(ring_);

  auto* side = new QVBoxLayout;
  labelPoint_ = new QLabel(sequence);
  labelPoint_->setObjectName("LabelPoint");
  side->addWidget(labelPoint_);
  side->addWidget(PointButtons("ButtonPoint", 6, pointButtons_, sequence));
  side->addWidget(new QLabel(QStringLiteral("Добавить:"), sequence));
  auto* kinds = new QGridLayout;
  int index = 0;
  for (const TKindButton& k : kKindButtons) {
    auto* button = new QPushButton(QString::fromUtf8(k.text), sequence);
    button->setObjectName(k.name);
    kinds->addWidget(button, index / 2, index % 2);
    ++index;
    connect(button, &QPushButton::clicked, this, [this, kind = k.kind] { AddStep(static_cast<uint8_t>(kind)); });
  }
  side->addLayout(kinds);
  auto* pauseGrid = new QGridLayout;
  side->addLayout(pauseGrid);
  TItemPage& pause = PageOn(sequence, pauseGrid);
  pause.Add({189, 184});
  buttonDelete_ = new QPushButton(QStringLiteral("Удалить шаг опроса"), sequence);
  buttonDelete_->setObjectName("ButtonDelete");
  side->addWidget(buttonDelete_);
  labelCount_ = AddStepCounter(side, sequence);
  side->addStretch(1);
  row->addLayout(side);
  row->addStretch(1);
  Body()->addWidget(sequence);
  Body()->addStretch(1);

  for (QPushButton* button : pointButtons_)
    connect(button, &QPushButton::clicked, this, [this, button] { ChoosePoint(button->property("tag").toInt()); });
  connect(buttonDelete_, &QPushButton::clicked, ring_, &TPollRing::DeleteSelected);
  connect(ring_, &TPollRing::Changed, this, &TFramePortTKR::RingChanged);
}

void TFramePortTKR::Edited() {
  auto* port = static_cast<TPortTKR*>(Port());
  ring_->Sequence().Load(*port);
  ring_->Rebuild();
}

void TFramePortTKR::ChoosePoint(int point) { ring_->SetCurrentPoint(point); }

void TFramePortTKR::AddStep(uint8_t kind) { ring_->AddTkr(static_cast<TTkrStepKind>(kind)); }

// The TK RES port keeps its sequence in step with the ring at every redraw.
void TFramePortTKR::RingChanged() {
  const int current = ring_->CurrentPoint();
  labelPoint_->setText(QStringLiteral("КП №: %1").arg(current));
  for (QPushButton* button : pointButtons_) {
    QFont font = button->font();
    font.setBold(button->property("tag").toInt() == current);
    button->setFont(font);
  }
  labelCount_->setText(QString::number(ring_->Count()));
  buttonDelete_->setEnabled(ring_->Count() > 0);
  auto* port = dynamic_cast<TPortTKR*>(Port());
  if (!port) return;
  ring_->Sequence().Store(*port);
}

}  // namespace vlm
