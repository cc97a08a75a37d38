#pragma once
// Frames of the MKT2 and RPT80 receive ports: their settings and the map of group kinds (TS,
// TI or empty) edited on a grid of ten columns.
#include <QWidget>
#include <string>

#include "ports/ui/FrameKind.h"

class QLabel;
class QTableWidget;

namespace vlm {

class TGroupKindMap : public QWidget {
  Q_OBJECT
 public:
  static constexpr uint8_t kTS = 0x90, kTI = 0x20, kEmpty = 0;

  explicit TGroupKindMap(QWidget* parent);
  // Shows `groups` groups of the map (rows of ten; the cells past the last group stay blank).
  void SetMap(std::string* map, int groups);
  // Sets the kind of every selected group.
  void SetKind(uint8_t kind);
  QTableWidget* Grid() const { return grid_; }

 signals:
  void Changed();

 private:
  void Refresh();
  std::string* map_ = nullptr;
  int groups_ = 0;
  QTableWidget* grid_;
};

class TFramePortRecv : public TFramePortItems {
  Q_OBJECT
 public:
  TFramePortRecv(const TPortKind& kind, QWidget* parent);
  TGroupKindMap* Map() const { return map_; }

 protected:
  void Edited() override;
  void ItemChanged(uint8_t id) override;

 private:
  int GroupCount() const;
  void ShowMap();
  TGroupKindMap* map_;
  std::string bytes_;  // the map being edited; stored into the port at every change
};

}  // namespace vlm
