#include "ports/ui/ReaddrFrame.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <stdexcept>

#include "common/Prompt.h"
#include "model/VLM_Obj.h"
#include "ports/PointKind.h"
#include "ports/PortKind.h"
#include "ports/RowTable.h"
#include "ports/ui/ReaddrPage.h"
#include "ports/ui/FramePages.h"
#include "ports/ui/ReaddrTable.h"
#include "shell/HelpTopics.h"

namespace vlm {

TReaddrFrame::TReaddrFrame(int helpContext, int& rememberedPage, std::span<const TItemDef> items, QWidget* parent)
    : TFrame(helpContext, parent), remembered_(rememberedPage), items_(items) {
  tabs_ = AddPageControl(this, Body());
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index >= 0) remembered_ = index;
  });
}

TBinder& TReaddrFrame::AddSettingsPage(const QString& title) {
  QWidget* page = nullptr;
  QGridLayout* grid = AddGridPage(tabs_, title, &page);
  binders_.push_back(new TBinder(page, grid));
  return *binders_.back();
}

TReaddrPage* TReaddrFrame::AddTablePage(const QString& title, TOwnerTableId id, size_t tableIndex) {
  auto* page = new TReaddrPage(id, tabs_);
  tabs_->addTab(page, title);
  page->reveal = [this, page] { Reveal(page); };
  tablePages_.push_back({page, tableIndex});
  return page;
}

bool TReaddrFrame::IsTableTop(const TBinder& binder) const {
  for (const TTablePage& t : tablePages_)
    if (binder.Grid()->parentWidget() == t.page->Top()) return true;
  return false;
}

TReaddrPage* TReaddrFrame::TablePage(TOwnerTableId id) const {
  for (const TTablePage& t : tablePages_)
    if (t.page->Id() == id) return t.page;
  return nullptr;
}

TBinder& TReaddrFrame::BinderOn(TReaddrPage* page) {
  auto* grid = new QGridLayout(page->Top());
  grid->setContentsMargins(0, 0, 0, 4);
  grid->setColumnStretch(2, 1);
  binders_.push_back(new TBinder(page->Top(), grid));
  return *binders_.back();
}

void TReaddrFrame::Reveal(QWidget* page) { tabs_->setCurrentWidget(page); }

const TItemDef& TReaddrFrame::Def(uint8_t id) const {
  for (const TItemDef& def : items_)
    if (!def.IsMarker() && def.id == id) return def;
  throw std::out_of_range("item not in the kind's table");
}

TIntAccess TReaddrFrame::ItemAccess(uint8_t id, int64_t unit) {
  return {[this, id, unit] { return static_cast<int>(values_->Get(id) / unit); },
          [this, id, unit](int v) { values_->Set(id, v * unit); }};
}

QSpinBox* TReaddrFrame::ItemSpin(TBinder& binder, uint8_t id, std::function<void()> live) {
  const TItemDef& def = Def(id);
  QSpinBox* spin = binder.Spin(QString::fromUtf8(def.caption), def.control, static_cast<int>(ItemMin(def) / def.unit),
                               static_cast<int>(std::min<int64_t>(ItemMax(def) / def.unit, INT32_MAX)),
                               ItemAccess(id, def.unit), std::move(live));
  spin->setSingleStep(static_cast<int>(def.step));
  return spin;
}

QWidget* TReaddrFrame::ItemCheck(TBinder& binder, uint8_t id, std::function<void()> live) {
  const TItemDef& def = Def(id);
  return binder.Check(QString::fromUtf8(def.caption), def.control, ItemAccess(id), std::move(live));
}

// A radio group is a binder row of its own: the binder has no radio control, so the group keeps
// its fill and apply in a hidden spin box that the binder does know.
QGroupBox* TReaddrFrame::Radio(TBinder& binder, const QString& title, const char* name, const TChoices& choices,
                               TIntAccess access, std::function<void()> live) {
  auto* box = new QGroupBox(title, binder.Grid()->parentWidget());
  box->setObjectName(name);
  auto* layout = new QVBoxLayout(box);
  auto* group = new QButtonGroup(box);
  for (size_t i = 0; i < choices.size(); ++i) {
    auto* button = new QRadioButton(choices[i].first, box);
    layout->addWidget(button);
    group->addButton(button, static_cast<int>(i));
  }
  QSpinBox* value = binder.Spin(QString(), (std::string(name) + "Value").c_str(), INT32_MIN, INT32_MAX, access, live);
  value->hide();
  {
    const QSignalBlocker block(value);
    value->setValue(INT32_MIN);  // no choice has it: the first fill always sets a button
  }
  // Above a table the groups stand side by side, leaving the height to the grid.
  if (QHBoxLayout*& row = radioRows_[&binder]; row || IsTableTop(binder)) {
    if (!row) {
      row = new QHBoxLayout;
      row->addStretch(1);
      binder.Grid()->addLayout(row, binder.Grid()->rowCount(), 0, 1, 3);
    }
    row->insertWidget(row->count() - 1, box);
  } else {
    binder.Grid()->addWidget(box, binder.Grid()->rowCount(), 0, 1, 2, Qt::AlignLeft);
  }
  // value -> buttons (on fill); buttons -> value (on a click, which also runs the live reaction)
  connect(value, &QSpinBox::valueChanged, box, [group, choices](int v) {
    for (size_t i = 0; i < choices.size(); ++i)
      if (choices[i].second == v) group->button(static_cast<int>(i))->setChecked(true);
  });
  connect(group, &QButtonGroup::idClicked, box, [value, choices](int i) {
    value->setValue(choices[static_cast<size_t>(i)].second);
  });
  return box;
}

QGroupBox* TReaddrFrame::ItemRadio(TBinder& binder, uint8_t id, std::function<void()> live) {
  const TItemDef& def = Def(id);
  TChoices choices;
  for (const TChoice& c : ItemChoices(def)) choices.emplace_back(QString::fromStdString(c.text), static_cast<int>(c.value));
  return Radio(binder, QString::fromUtf8(def.caption), def.control, choices, ItemAccess(id), std::move(live));
}

void TReaddrFrame::AddPortRows(TBinder& binder, TSoftPort*& port) {
  binder.Spin("Адрес порта", "SpinEditNumber", 0, 255, IntField([&port]() -> uint8_t& { return port->Number; }),
              [&port] { port->UpdateNode(); });
  auto* row = new QWidget(binder.Grid()->parentWidget());
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* combo = new QComboBox(row);
  combo->setObjectName("ComboBoxHardPort");
  combo->setMinimumWidth(220);
  auto* button = new QPushButton("Настроить аппаратный порт", row);
  button->setObjectName("ButtonHardPort");
  layout->addWidget(combo);
  layout->addWidget(button);
  layout->addStretch(1);
  // The binder fills the list through a hidden spin box that holds the bound port's position.
  auto fill = [&port, combo, button] {
    const QSignalBlocker block(combo);
    combo->clear();
    const THardPort* bound = port->Controller ? port->Controller->HardPortOf(port) : nullptr;
    if (port->Controller)
      for (const auto& [caption, hard] : port->Controller->FreeHardPortNames(port)) {
        combo->addItem(QString::fromStdString(caption), QVariant::fromValue<void*>(hard));
        if (hard == bound) combo->setCurrentIndex(combo->count() - 1);
      }
    if (!bound) combo->setCurrentIndex(-1);
    button->setEnabled(bound != nullptr);
  };
  QSpinBox* trigger = binder.Spin(QString(), "HardPortFill", 0, 1, {[fill] { fill(); return 0; }, [](int) {}});
  trigger->hide();
  const int gridRow = binder.Grid()->rowCount();
  auto* label = new QLabel("Аппаратный порт", row->parentWidget());
  label->setBuddy(combo);
  binder.Grid()->addWidget(label, gridRow, 0);
  binder.Grid()->addWidget(row, gridRow, 1);
  connect(combo, &QComboBox::activated, this, [&port, combo, button](int index) {
    port->SetHardPort(static_cast<THardPort*>(combo->itemData(index).value<void*>()));
    button->setEnabled(true);
  });
  connect(button, &QPushButton::clicked, this, [&port] {
    if (port->Controller) port->Controller->ShowHardPortOf(port);
  });
}

void TReaddrFrame::FillAll(TItemValues* values, std::vector<TRowTable>* tables, TObj* owner) {
  values_ = values;
  tables_ = tables;
  owner_ = owner;
  for (TBinder* b : binders_) b->Fill();
  for (const TTablePage& t : tablePages_) t.page->Load(tables_->at(t.tableIndex));
  const int page = remembered_;
  tabs_->setCurrentIndex(page < tabs_->count() ? page : 0);
}

int TReaddrFrame::Apply() {
  if (!values_) return 0;  // never filled: nothing of an object to take over
  TFrame::Apply();
  for (TBinder* b : binders_) b->Apply();
  return tables_ ? StoreTables() : 0;
}

void TReaddrFrame::SetStoreOrder(std::initializer_list<TOwnerTableId> order) {
  const auto rank = [&order](const TTablePage& t) {
    return std::find(order.begin(), order.end(), t.page->Id()) - order.begin();
  };
  std::stable_sort(tablePages_.begin(), tablePages_.end(),
                   [&rank](const TTablePage& a, const TTablePage& b) { return rank(a) < rank(b); });
}

int TReaddrFrame::StoreTables() {
  std::vector<TOwnerStore> stored;
  for (const TTablePage& t : tablePages_) {
    std::optional<TOwnerStore> s = t.page->Store();
    if (!s || !CheckTable(*t.page, *s)) return 1;
    stored.push_back(std::move(*s));
  }
  std::vector<const TRowTable*> tables;
  std::vector<size_t> sizes;
  const TOwnerTable* grown = &tablePages_.front().page->Def();
  size_t growth = 0;
  for (size_t i = 0; i < tablePages_.size(); ++i) {
    const TRowTable& old = tables_->at(tablePages_[i].tableIndex);
    tables.push_back(&old);
    sizes.push_back(stored[i].bytes.size());
    if (stored[i].bytes.size() > old.Bytes().size() + growth) {
      growth = stored[i].bytes.size() - old.Bytes().size();
      grown = &tablePages_[i].page->Def();
    }
  }
  if (growth > 0)
    if (auto text = ImageLimitText(grown->title, ImageSizeWith(*owner_, tables, sizes))) {
      ShowError(*text);
      return 1;
    }
  // Every table is checked before the first one changes, so a refusal never leaves the object
  // with some tables new and some old.
  for (size_t i = 0; i < tablePages_.size(); ++i) {
    const TRowTableDef& def = tables_->at(tablePages_[i].tableIndex).Def();
    const size_t rows = stored[i].bytes.size() / def.rowSize;
    if (stored[i].bytes.size() % def.rowSize != 0 || rows > def.capacity) {
      ShowError(std::string(def.title) + "\rПревышена максимальная емкость таблицы - " + RecordCount(def.capacity) + ".");
      return 1;
    }
  }
  for (size_t i = 0; i < tablePages_.size(); ++i) tables_->at(tablePages_[i].tableIndex).SetRows(stored[i].bytes);
  TablesStored();
  return 0;
}

// ---- port and point frames ---------------------------------------------------------------------

TReaddrPortFrame::TReaddrPortFrame(int& rememberedPage, const char* className, QWidget* parent)
    : TReaddrFrame(HelpContextOf(className), rememberedPage, FindPortKindByClass(className)->items, parent) {
  portPage_ = &AddSettingsPage("Порт");
  AddPortRows(*portPage_, soft_);
}

void TReaddrPortFrame::Edit(TObj* obj) {
  port_ = dynamic_cast<TDataPort*>(obj);
  soft_ = port_;
  if (!port_) return;
  FillAll(&port_->Values, &port_->Tables, port_);
  Edited();
}

TReaddrPointFrame::TReaddrPointFrame(int& rememberedPage, const char* className, QWidget* parent)
    : TReaddrFrame(HelpContextOf(className), rememberedPage, FindPointKindByClass(className)->items, parent) {}

void TReaddrPointFrame::AddNumberAndPlace(TBinder& binder) {
  const auto caption = [this] { point_->UpdateNode(); };
  ItemSpin(binder, 111, caption);
  binder.Edit("Место установки", "EditPlace", 255,
              {[this] { return point_->Place(); }, [this](const std::string& place) { point_->SetPlace(place); }},
              caption);
}

void TReaddrPointFrame::Edit(TObj* obj) {
  point_ = dynamic_cast<TDataPoint*>(obj);
  if (!point_) return;
  FillAll(&point_->Values, &point_->Tables, point_);
  Edited();
}

}  // namespace vlm
