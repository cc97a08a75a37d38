#pragma once
// The frames of port and point kinds: a port frame shows the port number, the comment and the
// hardware port binding, then the kind's items; a point frame shows the kind's items. Both may
// spread their items over pages, and remember the page last shown per frame class.
#include <QWidget>
#include <vector>

#include "ports/ui/FrameItems.h"
#include "shell/ui/Frame.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace vlm {

class TDataPoint;
class TDataPort;
class TSoftPort;
struct TPointKind;
struct TPortKind;

// "ComboBoxHardPort" with the free hardware ports of the controller and the button
// "Настроить аппаратный порт". Choosing an entry binds the port at once.
class THardPortBox : public QWidget {
  Q_OBJECT
 public:
  explicit THardPortBox(QWidget* parent);
  void Show(TSoftPort* port);
  QComboBox* Combo() const { return combo_; }

 signals:
  void Bound();

 private:
  void Chosen(int index);
  TSoftPort* port_ = nullptr;
  QComboBox* combo_;
  QPushButton* button_;
};

// Common body of the kind frames: pages of item editors over the object's values.
class TFrameKind : public TFrame {
  Q_OBJECT
 public:
  // className: the class of the objects edited, which names the frame's help topic.
  TFrameKind(const char* className, const char* frameClass, std::span<const TItemDef> table, QWidget* parent);
  int Apply() override;

 protected:
  // The first page: the frame's own grid.
  TItemPage& Main() { return *pages_.front(); }
  // A new tab of item editors (the tab widget is made on first use and placed in the body).
  TItemPage& NewPage(const QString& title, QWidget** pageWidget = nullptr);
  // An item page on any grid (panels shown or hidden as a whole).
  TItemPage& PageOn(QWidget* owner, QGridLayout* grid);
  QTabWidget* Tabs() const { return tabs_; }
  void FillPages(TItemValues* values);
  // Runs after an item was edited; the object's node text is refreshed by the caller.
  virtual void ItemChanged(uint8_t id) { (void)id; }
  virtual void Refresh() {}  // after the node text changed
  std::span<const TItemDef> Table() const { return table_; }

 private:
  void OnItem(uint8_t id);
  std::span<const TItemDef> table_;
  std::vector<TItemPage*> pages_;
  QTabWidget* tabs_ = nullptr;
  const char* frameClass_;
};

class TFramePortItems : public TFrameKind {
  Q_OBJECT
 public:
  // addItems: every item of the kind on the first page (frames that lay out their own pass false).
  TFramePortItems(const TPortKind& kind, QWidget* parent, bool addItems = true);
  void Edit(TObj* obj) override;

 protected:
  TDataPort* Port() const { return port_; }
  const TPortKind& PortKind() const { return kind_; }
  THardPortBox* HardBox() const { return hardBox_; }
  virtual void Edited() {}  // after the controls were filled from the port
  void ItemChanged(uint8_t id) override;

 private:
  const TPortKind& kind_;
  TDataPort* port_ = nullptr;
  THardPortBox* hardBox_ = nullptr;
};

class TFramePointItems : public TFrameKind {
  Q_OBJECT
 public:
  TFramePointItems(const TPointKind& kind, QWidget* parent, bool addItems = true);
  void Edit(TObj* obj) override;

 protected:
  TDataPoint* Point() const { return point_; }
  const TPointKind& PointKind() const { return kind_; }
  virtual void Edited() {}
  void ItemChanged(uint8_t id) override;

 private:
  const TPointKind& kind_;
  TDataPoint* point_ = nullptr;
};

// A grid of fixed cells without headers, scroll bars or editing, sized to show every cell: the
// TI group grid and the group-kind map.
QTableWidget* CellGrid(int rows, int columns, QSize cell, QWidget* parent);
void FitCellGrid(QTableWidget* grid, QSize cell);

// A label that wraps: notes and reference texts of the frames.
QLabel* NoteLabel(const QString& text, const char* name, QWidget* parent);

}  // namespace vlm
