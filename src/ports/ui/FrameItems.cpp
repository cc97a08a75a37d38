#include "ports/ui/FrameItems.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <stdexcept>

namespace vlm {

namespace {

bool StartsWith(const char* text, const char* prefix) { return std::string_view(text).starts_with(prefix); }

bool IsFlag(const TItemDef& def) {
  return def.width == 1 && def.min == 0 && def.max == 1 && StartsWith(def.control, "CheckBox");
}

int ClampToInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

QString ItemCaption(const TItemDef& def) { return QString::fromUtf8(def.caption); }

TItemPage::TItemPage(QWidget* owner, QGridLayout* grid, std::span<const TItemDef> table,
                     std::function<void(uint8_t)> changed)
    : QObject(owner), owner_(owner), grid_(grid), table_(table), changed_(std::move(changed)),
      binder_(owner, grid) {}

const TItemDef& TItemPage::Def(uint8_t id) const {
  for (const TItemDef& def : table_)
    if (!def.IsMarker() && def.id == id) return def;
  throw std::logic_error("item " + std::to_string(id) + " has no row in this kind's table");
}

void TItemPage::Changed(uint8_t id) {
  if (filling_ || !values_) return;
  if (changed_) changed_(id);
}

QWidget* TItemPage::Add(uint8_t id) {
  const TItemDef& def = Def(id);
  const QString caption = ItemCaption(def);
  auto live = [this, id] { Changed(id); };
  QWidget* control = nullptr;
  switch (def.kind) {
    case TItemKind::Text:
    case TItemKind::Text256:
      control = binder_.Edit(caption, def.control, 255,
                             {[this, id] { return values_ ? values_->GetText(id) : std::string(); },
                              [this, id](const std::string& v) { if (values_) values_->SetText(id, v); }},
                             live);
      break;
    case TItemKind::Ip: control = AddIp(def); break;
    case TItemKind::Blob:
    case TItemKind::Marker: return nullptr;
    default: break;
  }
  if (!control) {
    TIntAccess access{[this, id, unit = def.unit] { return values_ ? ClampToInt(values_->Get(id) / unit) : 0; },
                      [this, id, unit = def.unit](int v) { if (values_) values_->Set(id, int64_t{v} * unit); }};
    if (*def.choices && StartsWith(def.control, "ComboBox")) {
      TChoices choices;
      for (const TChoice& c : ItemChoices(def)) choices.emplace_back(QString::fromStdString(c.text), int(c.value));
      control = binder_.Combo(caption, def.control, choices, access, live);
    } else if (*def.choices) {
      control = AddRadio(def);
    } else if (IsFlag(def)) {
      control = binder_.Check(caption, def.control, access, live);
    } else {
      auto* spin = binder_.Spin(caption, def.control, ClampToInt(ItemMin(def) / def.unit),
                                ClampToInt(ItemMax(def) / def.unit), access, live);
      spin->setSingleStep(static_cast<int>(def.step));
      control = spin;
    }
  }
  controls_.emplace_back(id, control);
  return control;
}

void TItemPage::Add(std::initializer_list<uint8_t> ids) {
  for (uint8_t id : ids) Add(id);
}

void TItemPage::AddAll() {
  for (const TItemDef& def : table_)
    if (!def.IsMarker() && (*def.caption || *def.control)) Add(def.id);
}

QWidget* TItemPage::AddRadio(const TItemDef& def) {
  auto* box = new QGroupBox(ItemCaption(def), owner_);
  box->setObjectName(def.control);
  auto* layout = new QGridLayout(box);
  auto* group = new QButtonGroup(box);
  const std::vector<TChoice> choices = ItemChoices(def);
  for (size_t i = 0; i < choices.size(); ++i) {
    auto* radio = new QRadioButton(QString::fromStdString(choices[i].text), box);
    radio->setObjectName(QStringLiteral("%1_%2").arg(def.control).arg(i));
    layout->addWidget(radio, static_cast<int>(i), 0);
    group->addButton(radio, static_cast<int>(i));
  }
  const uint8_t id = def.id;
  // A stored value without a button shows none checked and is kept as it is.
  AddExtra({[this, group, choices, id] {
              for (size_t i = 0; i < choices.size(); ++i)
                group->button(static_cast<int>(i))->setChecked(values_->Get(id) == choices[i].value);
            },
            [this, group, choices, id] {
              const int checked = group->checkedId();
              if (checked >= 0 && values_) values_->Set(id, choices[static_cast<size_t>(checked)].value);
            }});
  connect(group, &QButtonGroup::idToggled, this, [this, choices, id](int index, bool on) {
    if (!on || filling_ || !values_) return;
    values_->Set(id, choices[static_cast<size_t>(index)].value);
    Changed(id);
  });
  grid_->addWidget(box, grid_->rowCount(), 0, 1, 2);
  return box;
}

QWidget* TItemPage::AddIp(const TItemDef& def) {
  auto* row = new QWidget(owner_);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  std::vector<QSpinBox*> octets;
  for (int i = 0; i < 4; ++i) {
    auto* spin = new QSpinBox(row);
    spin->setObjectName(QStringLiteral("%1%2").arg(def.control).arg(i + 1));
    spin->setRange(0, 255);
    layout->addWidget(spin);
    if (i < 3) layout->addWidget(new QLabel(QStringLiteral("."), row));
    octets.push_back(spin);
  }
  layout->addStretch(1);
  const uint8_t id = def.id;
  auto store = [this, octets, id] {
    uint32_t ip = 0;
    for (QSpinBox* spin : octets) ip = (ip << 8) | static_cast<uint32_t>(spin->value());
    if (values_) values_->Set(id, ip);
  };
  AddExtra({[this, octets, id] {
              const auto ip = static_cast<uint32_t>(values_->Get(id));
              for (int i = 0; i < 4; ++i) octets[static_cast<size_t>(i)]->setValue(int((ip >> (24 - 8 * i)) & 0xFF));
            },
            store});
  for (QSpinBox* spin : octets)
    connect(spin, &QSpinBox::valueChanged, this, [this, store, id] {
      if (filling_ || !values_) return;
      store();
      Changed(id);
    });
  auto* label = new QLabel(ItemCaption(def), owner_);
  const int r = grid_->rowCount();
  grid_->addWidget(label, r, 0);
  grid_->addWidget(row, r, 1);
  ownLabels_.emplace_back(row, label);
  return row;
}

void TItemPage::AddBits(uint8_t id, const std::vector<QString>& texts, const char* namePrefix) {
  for (size_t bit = 0; bit < texts.size(); ++bit) {
    auto* check = new QCheckBox(texts[bit], owner_);
    check->setObjectName(QStringLiteral("%1%2").arg(namePrefix).arg(bit + 1));
    grid_->addWidget(check, grid_->rowCount(), 0, 1, 2);
    const int64_t mask = int64_t{1} << bit;
    auto store = [this, check, id, mask] {
      if (!values_) return;
      const int64_t v = values_->Get(id);
      values_->Set(id, check->isChecked() ? (v | mask) : (v & ~mask));
    };
    AddExtra({[this, check, id, mask] { check->setChecked((values_->Get(id) & mask) != 0); }, store});
    connect(check, &QCheckBox::toggled, this, [this, store, id] {
      if (filling_ || !values_) return;
      store();
      Changed(id);
    });
    controls_.emplace_back(id, check);
  }
}

void TItemPage::Fill() {
  if (!values_) return;
  filling_ = true;
  binder_.Fill();
  for (const TExtra& e : extras_) e.fill();
  filling_ = false;
}

void TItemPage::Apply() {
  if (!values_) return;
  binder_.Apply();
  for (const TExtra& e : extras_) e.apply();
}

QLabel* TItemPage::LabelOf(QWidget* control) const {
  for (const auto& [widget, label] : ownLabels_)
    if (widget == control) return label;
  return binder_.LabelOf(control);
}

QWidget* TItemPage::Control(uint8_t id) const {
  for (const auto& [itemId, control] : controls_)
    if (itemId == id) return control;
  return nullptr;
}

}  // namespace vlm
