#include "ports/ui/FramePortRecv.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ports/PortKind.h"

namespace vlm {

namespace {

constexpr int kColumns = 10;
constexpr QSize kCell(56, 20);
constexpr uint8_t kMapItem = 155;
constexpr uint8_t kGroupsItem = 150;

struct TKindLook {
  uint8_t kind;
  const char* text;
  const char* panel;
  QColor fore, back;
};
const TKindLook kLooks[] = {
    {TGroupKindMap::kTS, "ТС", "PanelTS", Qt::white, Qt::blue},
    {TGroupKindMap::kTI, "ТИ", "PanelTI", Qt::black, QColor(0, 255, 255)},
    {TGroupKindMap::kEmpty, "", "PanelEmpty", Qt::black, Qt::white},
};

const TKindLook& LookOf(uint8_t kind) {
  for (const TKindLook& look : kLooks)
    if (look.kind == kind) return look;
  return kLooks[2];
}

// A coloured panel that sets its kind on the selected groups when clicked.
class TKindPanel : public QLabel {
 public:
  TKindPanel(const TKindLook& look, TGroupKindMap* map, QWidget* parent)
      : QLabel(QString::fromUtf8(look.text), parent), map_(map), kind_(look.kind) {
    setObjectName(look.panel);
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setFixedSize(48, 28);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, look.back);
    p.setColor(QPalette::WindowText, look.fore);
    setPalette(p);
  }

 protected:
  void mousePressEvent(QMouseEvent*) override { map_->SetKind(kind_); }

 private:
  TGroupKindMap* map_;
  uint8_t kind_;
};

}  // namespace

TGroupKindMap::TGroupKindMap(QWidget* parent) : QWidget(parent) {
  setObjectName("GroupKindMap");
  auto* layout = new QHBoxLayout(this);
  // At most 25 rows (RPT80): the whole map is in sight without scrolling.
  grid_ = CellGrid(0, kColumns, kCell, this);
  layout->addWidget(grid_, 0, Qt::AlignTop);
  auto* panels = new QVBoxLayout;
  for (const TKindLook& look : kLooks) panels->addWidget(new TKindPanel(look, this, this));
  panels->addStretch(1);
  layout->addLayout(panels);
  layout->addStretch(1);
}

void TGroupKindMap::SetMap(std::string* map, int groups) {
  map_ = map;
  groups_ = std::min<int>(groups, map ? static_cast<int>(map->size()) : 0);
  grid_->clearSelection();
  grid_->setRowCount((groups_ + kColumns - 1) / kColumns);
  FitCellGrid(grid_, kCell);
  Refresh();
}

void TGroupKindMap::SetKind(uint8_t kind) {
  if (!map_) return;
  for (QTableWidgetItem* item : grid_->selectedItems()) {
    const int index = item->row() * kColumns + item->column();
    if (index < groups_) (*map_)[static_cast<size_t>(index)] = static_cast<char>(kind);
  }
  Refresh();
  emit Changed();
}

void TGroupKindMap::Refresh() {
  for (int r = 0; r < grid_->rowCount(); ++r)
    for (int c = 0; c < kColumns; ++c) {
      const int index = r * kColumns + c;
      auto* item = new QTableWidgetItem;
      if (index < groups_) {
        const TKindLook& look = LookOf(static_cast<uint8_t>((*map_)[static_cast<size_t>(index)]));
        item->setText(QStringLiteral("%1 %2").arg(index + 1).arg(QString::fromUtf8(look.text)));
        item->setForeground(look.fore);
        item->setBackground(look.back);
      } else {
        item->setFlags(Qt::NoItemFlags);
      }
      const bool selected = grid_->item(r, c) && grid_->item(r, c)->isSelected();
      grid_->setItem(r, c, item);
      item->setSelected(selected && index < groups_);
    }
}

TFramePortRecv::TFramePortRecv(const TPortKind& kind, QWidget* parent) : TFramePortItems(kind, parent, false) {
  TItemPage& settings = NewPage(QStringLiteral("Параметры"));
  settings.Add({6, 115, 116, 117, kGroupsItem, 149});
  QWidget* page = nullptr;
  NewPage(QStringLiteral("Группы"), &page);
  map_ = new TGroupKindMap(page);
  static_cast<QVBoxLayout*>(page->layout())->insertWidget(0, map_, 1);
  connect(map_, &TGroupKindMap::Changed, this, [this] {
    if (Port()) Port()->Values.SetText(kMapItem, bytes_);
  });
}

int TFramePortRecv::GroupCount() const {
  // MKT2 carries the number of groups; RPT80 always has its whole map.
  const TItemDef* map = Port()->Values.Find(kMapItem);
  if (PortKind().typeId == 10) return static_cast<int>(Port()->Values.Get(kGroupsItem));
  return map ? map->width : 0;
}

void TFramePortRecv::ShowMap() {
  bytes_ = Port()->Values.GetText(kMapItem);
  bytes_.resize(Port()->Values.Find(kMapItem)->width, '\0');
  map_->SetMap(&bytes_, GroupCount());
}

void TFramePortRecv::Edited() { ShowMap(); }

void TFramePortRecv::ItemChanged(uint8_t id) {
  TFramePortItems::ItemChanged(id);
  if (id == kGroupsItem) ShowMap();
}

}  // namespace vlm
