#include "ports/ui/PollRing.h"

#include <QGridLayout>
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

void TPollRing::SetSteps(const std::vector<TRingStep>& steps) {
  for (TStepPanel* panel : panels_) delete panel;
  panels_.clear();
  steps_ = steps;
  for (size_t i = 0; i < steps_.size(); ++i) panels_.push_back(MakePanel());
  selected_ = -1;
  Redraw();
}

void TPollRing::SetCurrentPoint(int point) {
  current_ = point;
  Redraw();
}

bool TPollRing::Add(TRingStep step) {
  if (Count() >= kMaxSteps) {
    ShowError("Достигнуто максимальное число шагов опроса.");
    return false;
  }
  const int at = selected_ >= 0 && selected_ < Count() - 1 ? selected_ + 1 : Count();
  steps_.insert(steps_.begin() + at, step);
  panels_.insert(panels_.begin() + at, MakePanel());
  selected_ = at;
  Redraw();
  return true;
}

void TPollRing::DeleteSelected() {
  if (steps_.empty()) return;
  const int index = selected_ >= 0 ? selected_ : Count() - 1;
  steps_.erase(steps_.begin() + index);
  delete panels_[static_cast<size_t>(index)];
  panels_.erase(panels_.begin() + index);
  if (steps_.empty()) {
    selected_ = -1;
  } else if (index > 0) {
    selected_ = index - 1;
    if (steps_[static_cast<size_t>(selected_)].point != style_.noCurrentPoint)
      current_ = steps_[static_cast<size_t>(selected_)].point;
  } else {
    selected_ = 0;
  }
  Redraw();
}

void TPollRing::Select(int index) {
  if (index < 0 || index >= Count()) return;
  selected_ = index;
  const uint8_t point = steps_[static_cast<size_t>(index)].point;
  if (point != style_.noCurrentPoint) current_ = point;
  Redraw();
}

void TPollRing::Redraw() {
  const QPoint centre = Centre();
  for (int i = 0; i < Count(); ++i) {
    TStepPanel* panel = panels_[static_cast<size_t>(i)];
    const TRingStep& step = steps_[static_cast<size_t>(i)];
    const TRingPoint at = RingPosition(i, Count(), centre.x(), centre.y(), Radius());
    panel->move(at.left, at.top);
    panel->setObjectName(QStringLiteral("PanelStep%1").arg(i));
    panel->setText(style_.text(step));
    panel->setFrameShadow(i == selected_ ? QFrame::Raised : QFrame::Sunken);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, step.point == current_ ? kAqua : this->palette().color(QPalette::Button));
    panel->setPalette(palette);
  }
  if (selected_ >= 0) panels_[static_cast<size_t>(selected_)]->raise();
  emit Changed();
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
