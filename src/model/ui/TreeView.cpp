#include "model/ui/TreeView.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMouseEvent>

#include "model/ui/TreeModel.h"

namespace vlm {

TConfigTreeView::TConfigTreeView(TTreeModel* model, QWidget* parent)
    : QTreeView(parent), model_(model) {
  setObjectName("Tree");
  setModel(model);
  setHeaderHidden(true);
  // Captions are never cut with "…": the column takes the width of the longest one and the
  // tree scrolls sideways when it is narrower.
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  setTextElideMode(Qt::ElideNone);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setEditTriggers(NoEditTriggers);
  setMouseTracking(true);  // hot tracking
  setUniformRowHeights(true);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setSelectionMode(SingleSelection);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setToolTip("Щелкните правой кнопкой для изменения конфигурации");
  connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    if (!index.parent().isValid()) expand(index);  // the root stays open
  });
}

TTreeNode* TConfigTreeView::NodeAt(const QPoint& pos) const { return model_->Node(indexAt(pos)); }

// The view would move the current node on any button before the context menu is asked for; a
// right click leaves the choice to the menu handler (it selects only when the frame lets go).
void TConfigTreeView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  const bool elsewhere = index.isValid() && index != currentIndex();
  if (elsewhere && event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  if (elsewhere && event->button() == Qt::LeftButton && MayLeave && !MayLeave()) {
    event->accept();
    return;
  }
  QTreeView::mousePressEvent(event);
}

TTreeNode* TConfigTreeView::Dragged() const { return model_->Node(currentIndex()); }

void TConfigTreeView::dragMoveEvent(QDragMoveEvent* event) {
  QTreeView::dragMoveEvent(event);
  TTreeNode* target = NodeAt(event->position().toPoint());
  if (event->source() == this && MayDrop && MayDrop(Dragged(), target)) event->acceptProposedAction();
  else event->ignore();
}

void TConfigTreeView::dropEvent(QDropEvent* event) {
  TTreeNode* target = NodeAt(event->position().toPoint());
  if (event->source() == this && OnDrop) OnDrop(Dragged(), target);
  // The move is done; a copy action keeps the view from removing the source rows itself.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  stopAutoScroll();
  setState(NoState);
  viewport()->update();
}

}  // namespace vlm
