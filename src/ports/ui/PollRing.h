#pragma once
// The poll sequence drawn as a ring of small step panels around a circle (active and TK RES
// port frames). The ring owns the steps while the frame lives; the frame copies them into the
// port. Steps sit 30 degrees apart clockwise from the top until they close the circle, then
// 360/N apart; the selected step is raised and in front, and every step of the current point
// is aqua.
#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class QPushButton;

namespace vlm {

struct TRingStep {
  uint8_t point = 0;
  uint8_t kind = 0;
  bool operator==(const TRingStep&) const = default;
};

// One step on the ring; a click selects it.
class TStepPanel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

// The circle the steps sit on (`ShapeO`, `Shape1`).
class TRingShape : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class TPollRing : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxSteps = 255;
  static constexpr int kPanelHeight = 24;

  struct TStyle {
    int panelWidth;        // 24 (active port) or 32 (TK RES port)
    const char* shapeName;  // "ShapeO" or "Shape1"
    std::function<QString(const TRingStep&)> text;
    int noCurrentPoint;    // selecting a step of this point keeps the current point (pause: 31)
  };

  TPollRing(TStyle style, QWidget* parent);

  // Builds one panel per step; nothing selected.
  void SetSteps(const std::vector<TRingStep>& steps);
  const std::vector<TRingStep>& Steps() const { return steps_; }
  int Count() const { return static_cast<int>(steps_.size()); }
  int Selected() const { return selected_; }
  int CurrentPoint() const { return current_; }
  void SetCurrentPoint(int point);

  // Inserts the step right after the selected one (appends when none or the last is selected)
  // and selects it. Refuses a 256th step with the message; returns whether it was added.
  bool Add(TRingStep step);
  // Removes the selected step (the last one when none is selected); the previous step is then
  // selected and its point becomes current, or the new first step when the first was removed.
  void DeleteSelected();
  void Select(int index);

  QWidget* Shape() const { return shape_; }
  TStepPanel* Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }
  // Centre and radius of the circle in ring coordinates.
  QPoint Centre() const;
  int Radius() const;

 signals:
  void Changed();  // after every redraw

 private:
  TStepPanel* MakePanel();
  void Redraw();

  TStyle style_;
  TRingShape* shape_;
  std::vector<TRingStep> steps_;
  std::vector<TStepPanel*> panels_;
  int selected_ = -1;
  int current_ = -1;  // none until a step is added or clicked
};

// The thirty point buttons "1" to "30" (tags 1..30) in rows of `columns`.
QWidget* PointButtons(const char* namePrefix, int columns, std::vector<QPushButton*>& buttons, QWidget* parent);

}  // namespace vlm
