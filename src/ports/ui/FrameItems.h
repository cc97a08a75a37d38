#pragma once
// Editors of port and point items built from the kinds' item tables: label, control name, range,
// step, unit and choices come from the same rows the image writer and reader use, so a frame
// cannot show a range or caption that the record does not have. Every edit is stored into the
// object at once and the frame's reaction (node text, dependent controls) runs after it.
#include <QObject>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "ports/KindItems.h"
#include "shell/ui/Binding.h"

class QGridLayout;
class QLabel;
class QWidget;

namespace vlm {

class TItemPage : public QObject {
  Q_OBJECT
 public:
  // The editors are laid out on `grid` (label in column 0, control in column 1).
  TItemPage(QWidget* owner, QGridLayout* grid, std::span<const TItemDef> table,
            std::function<void(uint8_t id)> changed);

  void SetValues(TItemValues* values) { values_ = values; }
  TItemValues* Values() const { return values_; }

  // The editor of one item as its table row describes it: a check box (flag), radio group or
  // combo box (choices), a line edit (texts), four octet spin boxes (IP) or a spin box. Returns
  // the control (the group box of a radio group, the row widget of an IP address).
  QWidget* Add(uint8_t id);
  void Add(std::initializer_list<uint8_t> ids);
  // Every plain item of the table that has an editor (a caption or a control name).
  void AddAll();
  // Check boxes for the bits of one item, bit 0 first.
  void AddBits(uint8_t id, const std::vector<QString>& texts, const char* namePrefix);

  void Fill();
  void Apply();
  bool Filling() const { return filling_; }
  TBinder& Binder() { return binder_; }
  QLabel* LabelOf(QWidget* control) const;
  QGridLayout* Grid() const { return grid_; }
  // The editor of item id, or nullptr when it has none on this page.
  QWidget* Control(uint8_t id) const;

 private:
  struct TExtra {
    std::function<void()> fill, apply;
  };
  const TItemDef& Def(uint8_t id) const;
  QWidget* AddRadio(const TItemDef& def);
  QWidget* AddIp(const TItemDef& def);
  void AddExtra(TExtra extra) { extras_.push_back(std::move(extra)); }
  void Changed(uint8_t id);

  QWidget* owner_;
  QGridLayout* grid_;
  std::span<const TItemDef> table_;
  std::function<void(uint8_t)> changed_;
  TBinder binder_;
  TItemValues* values_ = nullptr;
  std::vector<TExtra> extras_;
  std::vector<std::pair<uint8_t, QWidget*>> controls_;
  std::vector<std::pair<QWidget*, QLabel*>> ownLabels_;
  bool filling_ = false;
};

// Text of an item's editor label with the quotes and blanks as the tables hold them.
QString ItemCaption(const TItemDef& def);

}  // namespace vlm
