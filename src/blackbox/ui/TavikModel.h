#pragma once
// The analyzer tree as a Qt item model over the core's nodes: a node's text is refreshed when
// the view asks for it (only drawn rows are asked), new nodes come in through the analyzer's
// nodeAdded hook, and function nodes get their activity map drawn by the delegate.
#include <QAbstractItemModel>
#include <QStyledItemDelegate>

#include "blackbox/BoxTavik.h"

namespace vlm {

class TTavikModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  TTavikModel(TTavikAnalyzer& analyzer, QObject* parent);
  // Starts the analyzer: the old tree goes while the views know it is going.
  void Restart();
  void Reset();
  const TTavikNode* Node(const QModelIndex& index) const;
  QModelIndex IndexOf(const TTavikNode* node) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& = {}) const override { return 1; }
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  void Added(TTavikNode& node);
  TTavikAnalyzer& analyzer_;
  bool restarting_ = false;
};

// Draws a function node's activity map and its highest group number beside the text, all maps
// of one point aligned at the longest text of their siblings.
class TTavikDelegate : public QStyledItemDelegate {
 public:
  TTavikDelegate(const TTavikModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const TTavikModel& model_;
};

// The node image: kind colour, the 15-step share gauge and the "reached now" overlay.
QPixmap TavikImage(int image, int stateImage, bool overlay);

}  // namespace vlm
