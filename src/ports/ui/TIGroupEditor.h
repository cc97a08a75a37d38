#pragma once
// The TI group editor of the points that carry telemetering groups: a grid of group numbers
// (bold black when used, grey when not, lime when selected), the used flag, the poll mode, the
// own timer in seconds, minutes or hours, the parameter masks and deltas, and the group template.
#include <QWidget>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace vlm {

class TTIGroup;
class TTIGroups;

class TTIGroupEditor : public QWidget {
  Q_OBJECT
 public:
  // Groups first .. first + rows * columns - 1 in rows of `columns`; the parameter check boxes
  // and deltas only when `parameters` is set.
  TTIGroupEditor(int first, int columns, int rows, bool parameters, QWidget* parent);

  void SetGroups(TTIGroups* groups);
  // Selects exactly these groups (as a click or a drag on the grid would).
  void SelectGroups(const std::vector<int>& numbers);
  QTableWidget* Grid() const { return grid_; }

 private:
  struct TUnit {
    const char* text;
    int ms;
    int max;
  };
  static const TUnit kUnits[3];

  std::vector<TTIGroup*> Selected() const;
  TTIGroup* Single() const;  // the one used group of the selection, else nullptr
  void SelectionChanged();
  void Load(TTIGroup& group);
  void ShowPeriod(int unitIndex);
  void SetUsed(bool used);
  void RefreshCells();
  void AddPollControls(QWidget* box);
  void AddParameterControls(QWidget* box);

  int first_, columns_, rows_;
  TTIGroups* groups_ = nullptr;
  bool loading_ = false;
  QTableWidget* grid_;
  QWidget* controls_;
  QButtonGroup* poll_;
  QSpinBox* timer_;
  QComboBox* unit_;
  std::vector<QCheckBox*> params_;
  std::vector<QSpinBox*> deltas_;
  QPushButton *toTemplate_, *fromTemplate_;
};

}  // namespace vlm
