#pragma once
// The tree widget of the main window: drag and drop among siblings only, the root never
// collapses, and a right click asks before it moves the selection.
#include <QTreeView>
#include <functional>

namespace vlm {

class TTreeNode;
class TTreeModel;

class TConfigTreeView : public QTreeView {
  Q_OBJECT
 public:
  TConfigTreeView(TTreeModel* model, QWidget* parent);
  TTreeNode* NodeAt(const QPoint& pos) const;
  // The window decides and performs the move; true when the node moved.
  std::function<bool(TTreeNode* dragged, TTreeNode* target)> OnDrop;
  std::function<bool(TTreeNode* dragged, TTreeNode* target)> MayDrop;
  // Asked before a left click moves the selection; false keeps the current node (its frame
  // refused to give up its edits).
  std::function<bool()> MayLeave;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  TTreeNode* Dragged() const;
  TTreeModel* model_;
};

}  // namespace vlm
