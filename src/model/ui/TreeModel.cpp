#include "model/ui/TreeModel.h"

#include "model/ui/TreeIcons.h"

namespace vlm {

TTreeModel::TTreeModel(TTree& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
  tree_.SetObserver(this);
}

TTreeModel::~TTreeModel() {
  if (tree_.Observer() == this) tree_.SetObserver(nullptr);
}

TTreeNode* TTreeModel::Node(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TTreeModel::IndexOf(const TTreeNode* node) const {
  if (!node) return {};
  return createIndex(static_cast<int>(node->Index()), 0, const_cast<TTreeNode*>(node));
}

QModelIndex TTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  if (!parent.isValid()) {
    TTreeNode* root = tree_.Root();
    return row == 0 && root ? createIndex(0, 0, root) : QModelIndex();
  }
  TTreeNode* p = Node(parent);
  if (static_cast<size_t>(row) >= p->Count()) return {};
  return createIndex(row, 0, p->Child(row));
}

QModelIndex TTreeModel::parent(const QModelIndex& child) const {
  TTreeNode* node = Node(child);
  return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return tree_.Root() ? 1 : 0;
  return static_cast<int>(Node(parent)->Count());
}

int TTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TTreeModel::data(const QModelIndex& index, int role) const {
  const TTreeNode* node = Node(index);
  if (!node) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:  // the whole caption, also where a narrow tree shows only its start
      return QString::fromStdString(node->Text());
    case Qt::DecorationRole:
      return TreeIcon(node->ImageIndex());
    default:
      return {};
  }
}

Qt::ItemFlags TTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // Text is read-only; any node may start a drag, the view decides where it may land.
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

void TTreeModel::NodeChanged(TTreeNode& node) {
  const QModelIndex i = IndexOf(&node);
  emit dataChanged(i, i, {Qt::DisplayRole, Qt::ToolTipRole, Qt::DecorationRole});
}

void TTreeModel::BeginInsert(TTreeNode& parent, size_t row) {
  beginInsertRows(IndexOf(&parent), static_cast<int>(row), static_cast<int>(row));
}
void TTreeModel::EndInsert(TTreeNode&, size_t) { endInsertRows(); }

void TTreeModel::BeginRemove(TTreeNode& parent, size_t row) {
  beginRemoveRows(IndexOf(&parent), static_cast<int>(row), static_cast<int>(row));
}
void TTreeModel::EndRemove(TTreeNode&, size_t) { endRemoveRows(); }

void TTreeModel::BeginReorder(TTreeNode& parent) {
  const QModelIndex p = IndexOf(&parent);
  emit layoutAboutToBeChanged({QPersistentModelIndex(p)}, QAbstractItemModel::VerticalSortHint);
  // Remember which node each persistent index (selection, expansion) points to.
  reorderFrom_ = persistentIndexList();
  reorderNodes_.clear();
  for (const QModelIndex& i : reorderFrom_) reorderNodes_.push_back(Node(i));
}

void TTreeModel::EndReorder(TTreeNode& parent) {
  QModelIndexList to;
  for (TTreeNode* node : reorderNodes_) to.push_back(IndexOf(node));
  changePersistentIndexList(reorderFrom_, to);
  reorderFrom_.clear();
  reorderNodes_.clear();
  emit layoutChanged({QPersistentModelIndex(IndexOf(&parent))}, QAbstractItemModel::VerticalSortHint);
}

void TTreeModel::BeginReset() { beginResetModel(); }
void TTreeModel::EndReset() { endResetModel(); }

}  // namespace vlm
