#pragma once
// Base of the port and point frames whose pages hold readdressing tables: tabs with the page last
// used remembered per frame class, settings bound to the object's items (captions, control names
// and ranges from the kind's item table), table pages, and one store of all tables that keeps
// the object untouched unless every table converts and passes its owner's checks.
#include <QWidget>
#include <functional>
#include <map>
#include <span>
#include <vector>

#include "ports/KindItems.h"
#include "ports/ReaddrOwners.h"
#include "shell/ui/Frame.h"

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace vlm {

class TDataPoint;
class TDataPort;
class TReaddrPage;
class TRowTable;
class TSoftPort;

class TReaddrFrame : public TFrame {
  Q_OBJECT
 public:
  int Apply() override;
  QTabWidget* Tabs() const { return tabs_; }
  TReaddrPage* TablePage(TOwnerTableId id) const;

 protected:
  TReaddrFrame(int helpContext, int& rememberedPage, std::span<const TItemDef> items, QWidget* parent);

  // A page of settings; its binder lays out label and control rows.
  TBinder& AddSettingsPage(const QString& title);
  // A page with one table; tableIndex is the table's place among the owner's stored tables.
  TReaddrPage* AddTablePage(const QString& title, TOwnerTableId id, size_t tableIndex);
  // Settings above a table page's grid.
  TBinder& BinderOn(TReaddrPage* page);
  // Tables are converted and checked in page order unless the owner gives another order (the
  // board port shows junctions before TI but converts TI first).
  void SetStoreOrder(std::initializer_list<TOwnerTableId> order);

  // Editors of the object's items, as the kind's item table describes them.
  TIntAccess ItemAccess(uint8_t id, int64_t unit = 1);
  QSpinBox* ItemSpin(TBinder& binder, uint8_t id, std::function<void()> live = {});
  QWidget* ItemCheck(TBinder& binder, uint8_t id, std::function<void()> live = {});
  QGroupBox* Radio(TBinder& binder, const QString& title, const char* name, const TChoices& choices,
                   TIntAccess access, std::function<void()> live = {});
  QGroupBox* ItemRadio(TBinder& binder, uint8_t id, std::function<void()> live = {});
  // "Адрес порта" and the hardware port of a software port (first rows of its port page).
  void AddPortRows(TBinder& binder, TSoftPort*& port);

  // Fills every control from the object and its tables and opens the remembered page.
  void FillAll(TItemValues* values, std::vector<TRowTable>* tables, TObj* owner);
  TItemValues* Values() const { return values_; }

  // The owner's check of one converted table: false refuses the store (the frame stays).
  virtual bool CheckTable(TReaddrPage& page, const TOwnerStore& store) {
    (void)page;
    (void)store;
    return true;
  }
  // Runs after the tables were committed.
  virtual void TablesStored() {}

 private:
  struct TTablePage {
    TReaddrPage* page;
    size_t tableIndex;
  };
  const TItemDef& Def(uint8_t id) const;
  int StoreTables();
  void Reveal(QWidget* page);
  bool IsTableTop(const TBinder& binder) const;

  int& remembered_;
  std::span<const TItemDef> items_;
  QTabWidget* tabs_;
  std::vector<TBinder*> binders_;
  std::map<const TBinder*, QHBoxLayout*> radioRows_;
  std::vector<TTablePage> tablePages_;
  TItemValues* values_ = nullptr;
  std::vector<TRowTable>* tables_ = nullptr;
  TObj* owner_ = nullptr;
};

// A port frame: the port's number and hardware port first, then its settings and tables.
class TReaddrPortFrame : public TReaddrFrame {
  Q_OBJECT
 public:
  void Edit(TObj* obj) override;

 protected:
  TReaddrPortFrame(int& rememberedPage, const char* className, QWidget* parent);
  // The "Порт" page with the number and hardware port rows already on it.
  TBinder& PortPage() { return *portPage_; }
  TDataPort* Port() const { return port_; }
  virtual void Edited() {}  // after the controls were filled from the port

 private:
  TSoftPort* soft_ = nullptr;
  TDataPort* port_ = nullptr;
  TBinder* portPage_;
};

class TReaddrPointFrame : public TReaddrFrame {
  Q_OBJECT
 public:
  void Edit(TObj* obj) override;

 protected:
  TReaddrPointFrame(int& rememberedPage, const char* className, QWidget* parent);
  TDataPoint* Point() const { return point_; }
  virtual void Edited() {}
  // Rows of the first page: address and place go into the point at once (they make its node text).
  void AddNumberAndPlace(TBinder& binder);

 private:
  TDataPoint* point_ = nullptr;
};

}  // namespace vlm
