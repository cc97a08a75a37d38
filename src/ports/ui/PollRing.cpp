#include "ports/ui/PollRing.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "common/Prompt.h"
#include "ports/VLM_PortAct.h"

namespace vlm {

namespace {

constexpr QColor kAqua(0, 255, 255);
// The ring's own place: room above the circle for "Начало цикла" and its arrow.
constexpr QRect kShapeRect(40, 56, 224, 224);
constexpr QSize kRingSize(310, 300);

}  // namespace

void TStepPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit Clicked();
  QLabel::mousePressEvent(event);
}

void TRingShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::gray, 1));
  painter.drawEllipse(rect().adjusted(0, 0, -1, -1));
}

TPollRing::TPollRing(TStyle style, QWidget* parent) : QWidget(parent), style_(std::move(style)) {
  setObjectName("PanelRing");
  setFixedSize(kRingSize);
  shape_ = new TRingShape(this);
  shape_->setObjectName(style_.shapeName);
  shape_->setGeometry(kShapeRect);
  auto* start = new QLabel(QStringLiteral("Начало цикла"), this);
  start->setObjectName("LabelStart");
  start->adjustSize();
  start->move(Centre().x() - start->width() / 2, 2);
  auto* arrow = new QLabel(QStringLiteral("↓"), this);
  arrow->setObjectName("LabelArrow");
  arrow->adjustSize();
  arrow->move(Centre().x() - arrow->width() / 2, 2 + start->height());
}

QPoint TPollRing::Centre() const { return kShapeRect.topLeft() + QPoint(kShapeRect.width() / 2, kShapeRect.height() / 2); }

int TPollRing::Radius() const { return kShapeRect.height() / 2; }

TStepPanel* TPollRing::MakePanel() {
  auto* panel = new TStepPanel(this);
  panel->setFrameShape(QFrame::Panel);
  panel->setLineWidth(2);
  panel->setAlignment(Qt::AlignCenter);
  panel->setAutoFillBackground(true);
  panel->resize(style_.panelWidth, kPanelHeight);
  panel->show();
  connect(panel, &TStepPanel::Clicked, this, [this, panel] {
    for (size_t i = 0; i < panels_.size(); ++i)
      if (panels_[i] == panel) Select(static_cast<int>(i));
  });
  return panel;
}

void TPollRing::Rebuild() {
  for (TStepPanel* panel : panels_) delete panel;
  panels_.clear();
  for (int i = 0; i < Count(); ++i) panels_.push_back(MakePanel());
  Redraw();
}

void TPollRing::SetCurrentPoint(int point) {
  sequence_.CurrentPoint = static_cast<uint8_t>(point);
  Redraw();
}

template <class F>
void TPollRing::KeepPause(F change) {
  const uint8_t current = sequence_.CurrentPoint;
  change();
  if (sequence_.CurrentPoint == style_.noCurrentPoint) sequence_.CurrentPoint = current;
}

bool TPollRing::Added(bool added) {
  if (!added) {
    ShowError(kMaxStepsMessage);
    return false;
  }
  panels_.insert(panels_.begin() + sequence_.Selected, MakePanel());
  Redraw();
  return true;
}

bool TPollRing::AddActive(uint8_t value) { return Added(sequence_.AddActive(value)); }

bool TPollRing::AddTkr(TTkrStepKind kind) { return Added(sequence_.AddTkr(kind)); }

void TPollRing::DeleteSelected() {
  const int index = sequence_.Selected;
  if (index < 0 || index >= Count()) return;
  KeepPause([this] { sequence_.DeleteSelected(); });
  delete panels_[static_cast<size_t>(index)];
  panels_.erase(panels_.begin() + index);
  Redraw();
}

void TPollRing::Select(int index) {
  KeepPause([this, index] { sequence_.Select(index); });
  Redraw();
}

void TPollRing::Redraw() {
  const QPoint centre = Centre();
  for (int i = 0; i < Count(); ++i) {
    TStepPanel* panel = panels_[static_cast<size_t>(i)];
    const TTkrStep& step = sequence_.Steps[static_cast<size_t>(i)];
    const TRingPoint at = RingPosition(i, Count(), centre.x(), centre.y(), Radius());
    panel->move(at.left, at.top);
    panel->setObjectName(QStringLiteral("PanelStep%1").arg(i));
    panel->setText(style_.text(step));
    panel->setFrameShadow(i == sequence_.Selected ? QFrame::Raised : QFrame::Sunken);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, step.Point == sequence_.CurrentPoint ? kAqua : this->palette().color(QPalette::Button));
    panel->setPalette(palette);
  }
  if (sequence_.Selected >= 0 && sequence_.Selected < Count()) panels_[static_cast<size_t>(sequence_.Selected)]->raise();
  emit Changed();
}

QLabel* AddStepCounter(QBoxLayout* column, QWidget* parent) {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Число шагов:"), parent));
  auto* count = new QLabel(QStringLiteral("0"), parent);
  count->setObjectName("LabelStepCount");
  row->addWidget(count);
  row->addStretch(1);
  column->addLayout(row);
  return count;
}

QWidget* PointButtons(const char* namePrefix, int columns, std::vector<QPushButton*>& buttons, QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(2);
  for (int point = 1; point <= 30; ++point) {
    auto* button = new QPushButton(QString::number(point), box);
    button->setObjectName(QStringLiteral("%1%2").arg(namePrefix).arg(point));
    button->setProperty("tag", point);
    button->setFixedSize(30, 24);
    grid->addWidget(button, (point - 1) / columns, (point - 1) % columns);
    buttons.push_back(button);
  }
  return box;
}

}  // namespace vlm
