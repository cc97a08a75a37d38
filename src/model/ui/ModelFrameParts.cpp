#include "model/ui/ModelFrameParts.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/VLM_Obj.h"
#include "shell/ui/FrameFactory.h"

namespace vlm {

namespace {
constexpr int kNodeRole = Qt::UserRole;
}  // namespace

QTableWidget* SummaryGrid(const char* name, const QString& h0, const QString& h1, QWidget* parent) {
  auto* grid = new QTableWidget(0, 2, parent);
  grid->setObjectName(name);
  grid->setHorizontalHeaderLabels({h0, h1});
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(18);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  QObject::connect(grid, &QTableWidget::cellDoubleClicked, grid, [grid](int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    if (item) RequestGoToNode(static_cast<TTreeNode*>(item->data(kNodeRole).value<void*>()));
  });
  return grid;
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text, const TObj* obj) {
  auto* item = new QTableWidgetItem(text);
  if (obj) item->setData(kNodeRole, QVariant::fromValue<void*>(obj->Node));
  grid->setItem(row, column, item);
}

QWidget* Titled(const QString& title, QWidget* inner, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(inner);
  return box;
}

QColor UseCountColour(int count) {
  if (count <= 0) return Qt::black;
  // Silver as documented, a shade darker: RGB 192 on white cannot be read.
  return count == 1 ? QColor(128, 128, 128) : QColor(255, 0, 0);
}

TUseList::TUseList(const char* name, QWidget* parent) : QListWidget(parent) {
  setObjectName(name);
  setMaximumWidth(160);
}

void TUseList::Refresh(const std::vector<std::pair<QString, int>>& entries, int selected) {
  const QSignalBlocker block(this);
  if (count() != static_cast<int>(entries.size())) {
    clear();
    for (size_t i = 0; i < entries.size(); ++i) addItem(QString());
  }
  for (int i = 0; i < count(); ++i) {
    item(i)->setText(entries[i].first);
    item(i)->setForeground(UseCountColour(entries[i].second));
    item(i)->setFlags(entries[i].first.isEmpty() ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  }
  setCurrentRow(selected);
  if (selected < 0) clearSelection();
}

}  // namespace vlm
