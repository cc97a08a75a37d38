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

QString TkrText(const TRingStep& step) {
  if (step.kind == static_cast<uint8_t>(TTkrStepKind::Pause)) return QString::fromUtf8(TkrStepText(step.kind));
  return QStringLiteral("%1 %2").arg(step.point).arg(QString::fromUtf8(TkrStepText(step.kind)));
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
  auto* countRow = new QHBoxLayout;
  countRow->addWidget(new QLabel(QStringLiteral("Число шагов:"), sequence));
  labelCount_ = new QLabel(QStringLiteral("0"), sequence);
  labelCount_->setObjectName("LabelStepCount");
  countRow->addWidget(labelCount_);
  countRow->addStretch(1);
  side->addLayout(countRow);
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
  std::vector<TRingStep> steps;
  for (int i = 0; i < port->StepCount; ++i) {
    const TTkrStep& s = port->Steps[static_cast<size_t>(i)];
    steps.push_back({s.Point, s.Kind});
  }
  const int current = port->CurrentPoint;
  ring_->SetSteps(steps);
  ChoosePoint(current);
}

void TFramePortTKR::ChoosePoint(int point) { ring_->SetCurrentPoint(point); }

void TFramePortTKR::AddStep(uint8_t kind) {
  const bool pause = kind == static_cast<uint8_t>(TTkrStepKind::Pause);
  const int point = ring_->CurrentPoint();
  if (!pause && (point < 1 || point > 30)) return;
  ring_->Add({pause ? kTkrPausePoint : static_cast<uint8_t>(point), kind});
}

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
  port->StepCount = static_cast<uint8_t>(ring_->Count());
  port->Steps.fill({});
  for (int i = 0; i < ring_->Count(); ++i) {
    const TRingStep& s = ring_->Steps()[static_cast<size_t>(i)];
    port->Steps[static_cast<size_t>(i)] = {s.point, s.kind};
  }
  if (current >= 1 && current <= 30) port->CurrentPoint = static_cast<uint8_t>(current);
}

}  // namespace vlm
