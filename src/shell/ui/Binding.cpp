#include "shell/ui/Binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace vlm {

TBinder::TBinder(QWidget* owner, QGridLayout* grid) : QObject(owner), owner_(owner), grid_(grid) {}

int TBinder::AddRow(const QString& label, QWidget* control, QLabel** labelOut) {
  const int row = grid_->rowCount();
  QLabel* l = nullptr;
  if (!label.isEmpty()) {
    l = new QLabel(label, owner_);
    l->setBuddy(control);
    grid_->addWidget(l, row, 0);
    grid_->addWidget(control, row, 1, Qt::AlignLeft);
  } else {
    grid_->addWidget(control, row, 0, 1, 2);
  }
  *labelOut = l;
  return row;
}

void TBinder::Changed(const TBinding& b, const std::function<void()>& live) {
  if (filling_ || !live) return;
  b.apply();
  live();
}

QSpinBox* TBinder::Spin(const QString& label, const char* name, int min, int max,
                        TIntAccess access, std::function<void()> live) {
  auto* spin = new QSpinBox(owner_);
  spin->setObjectName(name);
  spin->setRange(min, max);
  spin->setMinimumWidth(90);
  TBinding b{spin, nullptr, [spin, access] { spin->setValue(access.get()); },
             [spin, access] { access.set(spin->value()); }};
  AddRow(label, spin, &b.label);
  b.live = bool(live);
  bindings_.push_back(b);
  if (live)
    connect(spin, &QSpinBox::valueChanged, this, [this, b, live] { Changed(b, live); });
  return spin;
}

QComboBox* TBinder::Combo(const QString& label, const char* name, const TChoices& choices,
                          TIntAccess access, std::function<void()> live) {
  auto* combo = new QComboBox(owner_);
  combo->setObjectName(name);
  for (const auto& [text, value] : choices) combo->addItem(text, value);
  // A stored value that has no entry shows no selection and is kept as it is on Apply.
  TBinding b{combo, nullptr,
             [combo, access] { combo->setCurrentIndex(combo->findData(access.get())); },
             [combo, access] {
               if (combo->currentIndex() >= 0) access.set(combo->currentData().toInt());
             }};
  AddRow(label, combo, &b.label);
  b.live = bool(live);
  bindings_.push_back(b);
  if (live)
    connect(combo, &QComboBox::currentIndexChanged, this, [this, b, live] { Changed(b, live); });
  return combo;
}

QCheckBox* TBinder::Check(const QString& text, const char* name, TIntAccess access,
                          std::function<void()> live) {
  auto* check = new QCheckBox(text, owner_);
  check->setObjectName(name);
  TBinding b{check, nullptr, [check, access] { check->setChecked(access.get() != 0); },
             [check, access] { access.set(check->isChecked() ? 1 : 0); }};
  AddRow(QString(), check, &b.label);
  b.live = bool(live);
  bindings_.push_back(b);
  if (live) connect(check, &QCheckBox::toggled, this, [this, b, live] { Changed(b, live); });
  return check;
}

QLineEdit* TBinder::Edit(const QString& label, const char* name, int maxLength,
                         TTextAccess access, std::function<void()> live) {
  auto* edit = new QLineEdit(owner_);
  edit->setObjectName(name);
  edit->setMaxLength(maxLength);
  edit->setMinimumWidth(200);
  TBinding b{edit, nullptr, [edit, access] { edit->setText(QString::fromStdString(access.get())); },
             [edit, access] { access.set(edit->text().toStdString()); }};
  AddRow(label, edit, &b.label);
  b.live = bool(live);
  bindings_.push_back(b);
  if (live) connect(edit, &QLineEdit::textChanged, this, [this, b, live] { Changed(b, live); });
  return edit;
}

QLabel* TBinder::Note(const QString& text, const char* name) {
  auto* note = new QLabel(text, owner_);
  if (name) note->setObjectName(name);
  note->setWordWrap(true);
  grid_->addWidget(note, grid_->rowCount(), 0, 1, 2);
  return note;
}

QLabel* TBinder::LabelOf(QWidget* control) const {
  for (const auto& b : bindings_)
    if (b.control == control) return b.label;
  return nullptr;
}

void TBinder::Fill() {
  filling_ = true;
  for (const auto& b : bindings_) b.fill();
  filling_ = false;
}

void TBinder::Apply() {
  for (const auto& b : bindings_)
    if (!b.live) b.apply();
}

}  // namespace vlm
