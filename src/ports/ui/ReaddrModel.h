#pragma once
// Qt model over the readdressing data: column 0 shows the row number, columns 1..n the cells.
#include <QAbstractTableModel>

#include "ports/ReaddrData.h"

namespace vlm {

class TReaddrModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TReaddrModel(TReaddrData& data, QObject* parent = nullptr) : QAbstractTableModel(parent), data_(data) {}

  TReaddrData& Data() { return data_; }
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The data changed behind the model's back (load, sort, import, row edits).
  void Reload();
  void SetRowNumberTitle(const QString& title) { rowTitle_ = title; }

 private:
  TReaddrData& data_;
  QString rowTitle_ = "N";
};

}  // namespace vlm
