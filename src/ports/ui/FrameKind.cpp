#include "ports/ui/FrameKind.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QHeaderView>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>
#include <string>

#include "ports/PointKind.h"
#include "ports/ui/FramePages.h"
#include "ports/PortKind.h"
#include "shell/HelpTopics.h"

namespace vlm {

namespace {

// The page last shown by each multi-page frame class, for the program's run.
std::map<std::string, int>& LastPages() {
  static std::map<std::string, int> pages;
  return pages;
}

}  // namespace

QLabel* NoteLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  if (name) label->setObjectName(name);
  label->setWordWrap(true);
  return label;
}

QTableWidget* CellGrid(int rows, int columns, QSize cell, QWidget* parent) {
  auto* grid = new QTableWidget(rows, columns, parent);
  grid->setObjectName("StringGridGroups");
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setDefaultSectionSize(cell.width());
  grid->verticalHeader()->setDefaultSectionSize(cell.height());
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FitCellGrid(grid, cell);
  return grid;
}

void FitCellGrid(QTableWidget* grid, QSize cell) {
  grid->setFixedSize(grid->columnCount() * cell.width() + 2 * grid->frameWidth(),
                     grid->rowCount() * cell.height() + 2 * grid->frameWidth());
}

// ---- hardware port box ----

THardPortBox::THardPortBox(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  combo_ = new QComboBox(this);
  combo_->setObjectName("ComboBoxHardPort");
  combo_->setMinimumWidth(200);
  button_ = new QPushButton(QStringLiteral("Настроить аппаратный порт"), this);
  button_->setObjectName("ButtonHardPort");
  layout->addWidget(combo_);
  layout->addWidget(button_);
  layout->addStretch(1);
  connect(combo_, &QComboBox::activated, this, &THardPortBox::Chosen);
  connect(button_, &QPushButton::clicked, this, [this] {
    if (port_ && port_->Controller) port_->Controller->ShowHardPortOf(port_);
  });
}

void THardPortBox::Show(TSoftPort* port) {
  port_ = port;
  combo_->clear();
  THardPort* bound = port && port->Controller ? port->Controller->HardPortOf(port) : nullptr;
  if (port && port->Controller)
    for (const auto& [name, hard] : port->Controller->FreeHardPortNames(port)) {
      combo_->addItem(QString::fromStdString(name), QVariant::fromValue<void*>(hard));
      if (hard == bound) combo_->setCurrentIndex(combo_->count() - 1);
    }
  if (!bound) combo_->setCurrentIndex(-1);
  button_->setEnabled(bound != nullptr);
}

void THardPortBox::Chosen(int index) {
  if (!port_ || index < 0) return;
  port_->SetHardPort(static_cast<THardPort*>(combo_->itemData(index).value<void*>()));
  button_->setEnabled(port_->Controller && port_->Controller->HardPortOf(port_) != nullptr);
  emit Bound();
}

// ---- kind frame ----

TFrameKind::TFrameKind(const char* className, const char* frameClass, std::span<const TItemDef> table, QWidget* parent)
    : TFrame(HelpContextOf(className), parent), table_(table), frameClass_(frameClass) {
  setObjectName(frameClass);
  pages_.push_back(new TItemPage(this, Grid(), table_, [this](uint8_t id) { OnItem(id); }));
}

TItemPage& TFrameKind::PageOn(QWidget* owner, QGridLayout* grid) {
  pages_.push_back(new TItemPage(owner, grid, table_, [this](uint8_t id) { OnItem(id); }));
  return *pages_.back();
}

TItemPage& TFrameKind::NewPage(const QString& title, QWidget** pageWidget) {
  if (!tabs_) {
    tabs_ = AddPageControl(this, Body());
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int index) { LastPages()[frameClass_] = index; });
  }
  QWidget* page = nullptr;
  QGridLayout* grid = AddGridPage(tabs_, title, &page);
  if (pageWidget) *pageWidget = page;
  return PageOn(page, grid);
}

void TFrameKind::FillPages(TItemValues* values) {
  for (TItemPage* page : pages_) {
    page->SetValues(values);
    page->Fill();
  }
  if (tabs_) {
    const auto it = LastPages().find(frameClass_);
    if (it != LastPages().end() && it->second < tabs_->count()) tabs_->setCurrentIndex(it->second);
  }
}

int TFrameKind::Apply() {
  for (TItemPage* page : pages_) page->Apply();
  return TFrame::Apply();
}

void TFrameKind::OnItem(uint8_t id) {
  ItemChanged(id);
  Refresh();
}

// ---- port frames ----

TFramePortItems::TFramePortItems(const TPortKind& kind, QWidget* parent, bool addItems)
    : TFrameKind(kind.className, kind.frameClass, kind.items, parent), kind_(kind) {
  auto node = [this] { if (port_) port_->UpdateNode(); };
  Main().Binder().Spin(QStringLiteral("Адрес порта"), "SpinEditNumber", 0, 255,
                       IntField([this]() -> auto& { return port_->Number; }), node);
  if (kind.writesComment && !kind.placeInNodeText)
    Main().Binder().Edit(QStringLiteral("Комментарий"), "EditPlace", 255,
                         TextField([this]() -> auto& { return port_->Comment; }), node);
  if (kind.hard != THardRule::Constant) {
    hardBox_ = new THardPortBox(this);
    auto* label = new QLabel(QStringLiteral("Аппаратный порт"), this);
    const int row = Grid()->rowCount();
    Grid()->addWidget(label, row, 0);
    Grid()->addWidget(hardBox_, row, 1);
  }
  if (addItems) Main().AddAll();
}

void TFramePortItems::Edit(TObj* obj) {
  port_ = dynamic_cast<TDataPort*>(obj);
  if (!port_) return;
  Binder().Fill();
  FillPages(&port_->Values);
  if (hardBox_) hardBox_->Show(port_);
  Edited();
}

void TFramePortItems::ItemChanged(uint8_t) {
  if (port_) port_->UpdateNode();
}

// ---- point frames ----

TFramePointItems::TFramePointItems(const TPointKind& kind, QWidget* parent, bool addItems)
    : TFrameKind(kind.className, kind.frameClass, kind.items, parent), kind_(kind) {
  if (addItems) Main().AddAll();
}

void TFramePointItems::Edit(TObj* obj) {
  point_ = dynamic_cast<TDataPoint*>(obj);
  if (!point_) return;
  Binder().Fill();
  FillPages(&point_->Values);
  Edited();
}

void TFramePointItems::ItemChanged(uint8_t) {
  if (point_) point_->UpdateNode();
}

}  // namespace vlm
