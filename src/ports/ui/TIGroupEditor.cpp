#include "ports/ui/TIGroupEditor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/VLM_Obj.h"
#include "ports/PointKind.h"
#include "ports/ui/FrameKind.h"

namespace vlm {

const TTIGroupEditor::TUnit TTIGroupEditor::kUnits[3] = {
    {"сек. (до 65535)", 1000, 65535},
    {"мин. (до 1092)", 60000, 1092},
    {"час. (до 18)", 3600000, 18},
};

namespace {

constexpr QColor kLime(0, 255, 0);
const char* const kPollModes[] = {"В общем цикле", "По личному таймеру ->", "Не опрашивать"};

// The largest unit in which the period is a whole number: hours, else minutes, else seconds.
int UnitOf(int32_t period) {
  if (period % 3600000 == 0) return 2;
  if (period % 60000 == 0) return 1;
  return 0;
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

TTIGroupEditor::TTIGroupEditor(int first, int columns, int rows, bool parameters, QWidget* parent)
    : QWidget(parent), first_(first), columns_(columns), rows_(rows) {
  setObjectName("TIGroupEditor");
  auto* layout = new QHBoxLayout(this);
  grid_ = CellGrid(rows, columns, QSize(30, 20), this);
  QPalette palette = grid_->palette();
  palette.setColor(QPalette::Highlight, kLime);
  palette.setColor(QPalette::HighlightedText, Qt::black);
  grid_->setPalette(palette);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      const int number = first + r * columns + c;
      auto* item = new QTableWidgetItem(QString::number(number));
      item->setTextAlignment(Qt::AlignCenter);
      // Group 0 stands in the grid but is not a group the user configures.
      item->setFlags(number == 0 ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      grid_->setItem(r, c, item);
    }
  layout->addWidget(grid_, 0, Qt::AlignTop);

  auto* side = new QVBoxLayout;
  auto* useRow = new QHBoxLayout;
  QPushButton* use = Button(QStringLiteral("Использовать"), "ButtonUse", this);
  QPushButton* unuse = Button(QStringLiteral("Не использовать"), "ButtonUnuse", this);
  useRow->addWidget(use);
  useRow->addWidget(unuse);
  side->addLayout(useRow);
  controls_ = new QWidget(this);
  controls_->setObjectName("PanelGroup");
  auto* controlsLayout = new QVBoxLayout(controls_);
  controlsLayout->setContentsMargins(0, 0, 0, 0);
  AddPollControls(controls_);
  if (parameters) AddParameterControls(controls_);
  side->addWidget(controls_);
  auto* templateRow = new QHBoxLayout;
  toTemplate_ = Button(QStringLiteral("В шаблон ТИ"), "ButtonToTemplateTI", this);
  fromTemplate_ = Button(QStringLiteral("Настроить по шаблону"), "ButtonFromTemplateTI", this);
  templateRow->addWidget(toTemplate_);
  templateRow->addWidget(fromTemplate_);
  side->addLayout(templateRow);
  side->addStretch(1);
  layout->addLayout(side);
  layout->addStretch(1);

  connect(grid_, &QTableWidget::itemSelectionChanged, this, &TTIGroupEditor::SelectionChanged);
  connect(use, &QPushButton::clicked, this, [this] { SetUsed(true); });
  connect(unuse, &QPushButton::clicked, this, [this] { SetUsed(false); });
  connect(toTemplate_, &QPushButton::clicked, this, [this] {
    if (TTIGroup* group = Single()) StoreGroupTemplate(*group);
    fromTemplate_->setEnabled(TemplateGroupSet());
  });
  connect(fromTemplate_, &QPushButton::clicked, this, [this] {
    const std::vector<TTIGroup*> groups = Selected();
    ApplyGroupTemplate(groups);
    RefreshCells();
    SelectionChanged();
  });
  SelectionChanged();
}

void TTIGroupEditor::AddPollControls(QWidget* box) {
  auto* pollBox = new QGroupBox(QStringLiteral("Опрос группы"), box);
  pollBox->setObjectName("RadioGroupPoll");
  auto* pollGrid = new QGridLayout(pollBox);
  poll_ = new QButtonGroup(pollBox);
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(QString::fromUtf8(kPollModes[i]), pollBox);
    radio->setObjectName(QStringLiteral("RadioGroupPoll_%1").arg(i));
    poll_->addButton(radio, i);
    pollGrid->addWidget(radio, i, 0);
  }
  timer_ = new QSpinBox(pollBox);
  timer_->setObjectName("SpinEditTimer");
  unit_ = new QComboBox(pollBox);
  unit_->setObjectName("ComboBoxUnit");
  for (const TUnit& unit : kUnits) unit_->addItem(QString::fromUtf8(unit.text));
  pollGrid->addWidget(timer_, 1, 1);
  pollGrid->addWidget(unit_, 1, 2);
  box->layout()->addWidget(pollBox);

  connect(poll_, &QButtonGroup::idToggled, this, [this](int mode, bool on) {
    if (!on) return;
    timer_->setEnabled(mode == 1);
    unit_->setEnabled(mode == 1);
    if (TTIGroup* group = Single(); group && !loading_) group->PollMode = static_cast<uint8_t>(mode);
  });
  connect(timer_, &QSpinBox::valueChanged, this, [this](int value) {
    if (TTIGroup* group = Single(); group && !loading_)
      group->TimerPeriod = value * kUnits[unit_->currentIndex()].ms;
  });
  connect(unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && !loading_) ShowPeriod(index);
  });
}

void TTIGroupEditor::AddParameterControls(QWidget* box) {
  auto* paramBox = new QGroupBox(QStringLiteral("Параметры группы"), box);
  paramBox->setObjectName("GroupBoxParams");
  auto* grid = new QGridLayout(paramBox);
  grid->addWidget(new QLabel(QStringLiteral("Дельта"), paramBox), 0, 2);
  for (int n = 1; n <= 8; ++n) {
    grid->addWidget(new QLabel(QString::number(n), paramBox), n, 0);
    auto* check = new QCheckBox(QStringLiteral("Использовать"), paramBox);
    check->setObjectName(QStringLiteral("CheckBoxParam%1").arg(n));
    auto* delta = new QSpinBox(paramBox);
    delta->setObjectName(QStringLiteral("SpinEditDelta%1").arg(n));
    delta->setRange(0, 255);
    grid->addWidget(check, n, 1);
    grid->addWidget(delta, n, 2);
    params_.push_back(check);
    deltas_.push_back(delta);
    const uint8_t bit = static_cast<uint8_t>(1u << (8 - n));  // parameter 1 is bit 7
    connect(check, &QCheckBox::toggled, this, [this, bit](bool on) {
      if (TTIGroup* group = Single(); group && !loading_)
        group->UseMask = static_cast<uint8_t>(on ? group->UseMask | bit : group->UseMask & ~bit);
    });
    connect(delta, &QSpinBox::valueChanged, this, [this, n](int value) {
      if (TTIGroup* group = Single(); group && !loading_)
        group->Deltas[static_cast<size_t>(n - 1)] = static_cast<uint8_t>(value);
    });
  }
  box->layout()->addWidget(paramBox);
}

void TTIGroupEditor::SetGroups(TTIGroups* groups) {
  groups_ = groups;
  grid_->clearSelection();
  RefreshCells();
  SelectionChanged();
}

void TTIGroupEditor::SelectGroups(const std::vector<int>& numbers) {
  grid_->clearSelection();
  for (int number : numbers) {
    const int index = number - first_;
    if (index < 0 || index >= rows_ * columns_) continue;
    if (QTableWidgetItem* item = grid_->item(index / columns_, index % columns_))
      if (item->flags() & Qt::ItemIsSelectable) item->setSelected(true);
  }
}

std::vector<TTIGroup*> TTIGroupEditor::Selected() const {
  std::vector<TTIGroup*> out;
  if (!groups_) return out;
  for (QTableWidgetItem* item : grid_->selectedItems()) {
    const int number = first_ + item->row() * columns_ + item->column();
    if (number > 0 && number < 256) out.push_back(&(*groups_)[static_cast<size_t>(number)]);
  }
  return out;
}

TTIGroup* TTIGroupEditor::Single() const {
  const std::vector<TTIGroup*> selected = Selected();
  return selected.size() == 1 && selected.front()->Used ? selected.front() : nullptr;
}

void TTIGroupEditor::SelectionChanged() {
  TTIGroup* group = Single();
  controls_->setEnabled(group != nullptr);
  toTemplate_->setEnabled(group != nullptr);
  fromTemplate_->setEnabled(TemplateGroupSet());
  if (group) Load(*group);
}

void TTIGroupEditor::Load(TTIGroup& group) {
  loading_ = true;
  if (QAbstractButton* radio = poll_->button(group.PollMode)) radio->setChecked(true);
  timer_->setEnabled(group.PollMode == 1);
  unit_->setEnabled(group.PollMode == 1);
  const int unit = UnitOf(group.TimerPeriod);
  unit_->setCurrentIndex(unit);
  ShowPeriod(unit);
  for (size_t n = 0; n < params_.size(); ++n) {
    params_[n]->setChecked((group.UseMask >> (7 - n)) & 1u);
    deltas_[n]->setValue(group.Deltas[n]);
  }
  loading_ = false;
}

// Shows the stored period in the unit without changing it: only an edit of the value stores.
void TTIGroupEditor::ShowPeriod(int unitIndex) {
  const TTIGroup* group = Single();
  const bool wasLoading = loading_;
  loading_ = true;
  timer_->setRange(0, kUnits[unitIndex].max);
  timer_->setValue(group ? group->TimerPeriod / kUnits[unitIndex].ms : 0);
  loading_ = wasLoading;
}

void TTIGroupEditor::SetUsed(bool used) {
  for (TTIGroup* group : Selected()) group->Used = used;
  RefreshCells();
  SelectionChanged();
}

void TTIGroupEditor::RefreshCells() {
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < columns_; ++c) {
      const int number = first_ + r * columns_ + c;
      QTableWidgetItem* item = grid_->item(r, c);
      const bool used = groups_ && number < 256 && (*groups_)[static_cast<size_t>(number)].Used;
      QFont font = item->font();
      font.setBold(used);
      item->setFont(font);
      item->setForeground(used ? QColor(Qt::black) : QColor(Qt::gray));
    }
}

}  // namespace vlm
