#include "ports/ui/ReaddrModel.h"

#include <QColor>

namespace vlm {

int TReaddrModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(data_.RowCount());
}

int TReaddrModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(data_.ColumnCount()) + 1;
}

QVariant TReaddrModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
  // Reference columns are computed, not typed: they look like it.
  if (role == Qt::BackgroundRole && index.column() > 0 &&
      data_.Columns().at(static_cast<size_t>(index.column() - 1)).shownOnly)
    return QColor(0xE8, 0xE8, 0xE8);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (index.column() == 0) return index.row() + 1;
  return QString::fromStdString(data_.Cell(static_cast<size_t>(index.row()), static_cast<size_t>(index.column() - 1)));
}

bool TReaddrModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() == 0 || role != Qt::EditRole) return false;
  data_.SetCell(static_cast<size_t>(index.row()), static_cast<size_t>(index.column() - 1),
                value.toString().toStdString());
  emit dataChanged(index, index);
  return true;
}

QVariant TReaddrModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section == 0) return rowTitle_;
  return QString::fromStdString(data_.Columns().at(static_cast<size_t>(section - 1)).title);
}

Qt::ItemFlags TReaddrModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.column() == 0) return Qt::ItemIsEnabled;
  if (data_.Columns().at(static_cast<size_t>(index.column() - 1)).shownOnly) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void TReaddrModel::Reload() {
  beginResetModel();
  endResetModel();
}

}  // namespace vlm
