#pragma once
// The poll sequence drawn as a ring of small step panels around a circle (active and TK RES
// port frames). The ring keeps the editing state (TPollSequence) while the frame lives; the frame
// copies it into the port. Steps sit 30 degrees apart clockwise from the top until they close the
// circle, then 360/N apart; the selected step is raised and in front, and every step of the
// current point is aqua.
#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "ports/VLM_PortAct.h"

class QBoxLayout;
class QPushButton;

namespace vlm {

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
  static constexpr int kPanelHeight = 24;

  struct TStyle {
    int panelWidth;         // 24 (active port) or 32 (TK RES port)
    const char* shapeName;  // "ShapeO" or "Shape1"
    std::function<QString(const TTkrStep&)> text;
    int noCurrentPoint;     // selecting a step of this point keeps the current point (pause: 31)
  };

  TPollRing(TStyle style, QWidget* parent);

  // The editing state; after changing it from outside call Rebuild.
  TPollSequence& Sequence() { return sequence_; }
  void Rebuild();
  const std::vector<TTkrStep>& Steps() const { return sequence_.Steps; }
  int Count() const { return static_cast<int>(sequence_.Steps.size()); }
  int Selected() const { return sequence_.Selected; }
  int CurrentPoint() const { return sequence_.CurrentPoint; }
  void SetCurrentPoint(int point);

  // A step after the selected one (refused with the message at 255 steps).
  bool AddActive(uint8_t value);
  bool AddTkr(TTkrStepKind kind);
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
  bool Added(bool added);
  // Runs a change of the sequence; a pause never becomes the current point.
  template <class F>
  void KeepPause(F change);
  TStepPanel* MakePanel();
  void Redraw();

  TStyle style_;
  TRingShape* shape_;
  TPollSequence sequence_;
  std::vector<TStepPanel*> panels_;
};

// "Число шагов:" and the counter label `LabelStepCount`, added to the column.
QLabel* AddStepCounter(QBoxLayout* column, QWidget* parent);

// The thirty point buttons "1" to "30" (tags 1..30) in rows of `columns`.
QWidget* PointButtons(const char* namePrefix, int columns, std::vector<QPushButton*>& buttons, QWidget* parent);

}  // namespace vlm
