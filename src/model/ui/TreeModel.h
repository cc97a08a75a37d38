#pragma once
// The configuration tree as a Qt item model: one column, the node text, the icon of the node's
// image index. It listens to the core tree and forwards every change in the order Qt wants.
#include <QAbstractItemModel>

#include "model/TreeNode.h"

namespace vlm {

class TTreeModel : public QAbstractItemModel, public ITreeObserver {
  Q_OBJECT
 public:
  explicit TTreeModel(TTree& tree, QObject* parent = nullptr);
  ~TTreeModel() override;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

  TTreeNode* Node(const QModelIndex& index) const;
  QModelIndex IndexOf(const TTreeNode* node) const;

  void NodeChanged(TTreeNode& node) override;
  void BeginInsert(TTreeNode& parent, size_t row) override;
  void EndInsert(TTreeNode& parent, size_t row) override;
  void BeginRemove(TTreeNode& parent, size_t row) override;
  void EndRemove(TTreeNode& parent, size_t row) override;
  void BeginReorder(TTreeNode& parent) override;
  void EndReorder(TTreeNode& parent) override;
  void BeginReset() override;
  void EndReset() override;

 private:
  TTree& tree_;
  QModelIndexList reorderFrom_;
  std::vector<TTreeNode*> reorderNodes_;
};

}  // namespace vlm
