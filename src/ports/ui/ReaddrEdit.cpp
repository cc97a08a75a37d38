#include "ports/ui/ReaddrEdit.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ports/ReaddrCell.h"
#include "ports/ui/ReaddrModel.h"
#include "ports/ui/ReaddrTable.h"
#include "shell/HelpTopics.h"

namespace vlm {
namespace {
QPointer<TFormReaddrEdit> gKeypad;
}

TFormReaddrEdit* TFormReaddrEdit::Current() { return gKeypad; }

TFormReaddrEdit* TFormReaddrEdit::ShowFor(TReaddrTable* table, const QModelIndex& index) {
  if (!gKeypad) gKeypad = new TFormReaddrEdit(table->window());
  gKeypad->Open(table, index);
  return gKeypad;
}

TFormReaddrEdit::TFormReaddrEdit(QWidget* parent) : QDialog(parent) {
  setObjectName("FormReaddrEdit");
  setProperty("helpContext", HelpContextOf("TFormReaddrEdit"));  // F1 while it is the active window
  setWindowTitle("Редактор");
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose, false);
  auto* layout = new QVBoxLayout(this);
  auto* panels = new QGridLayout;
  panelDec_ = new QLabel(this);
  panelDec_->setObjectName("PanelDec");
  panelHex_ = new QLabel(this);
  panelHex_->setObjectName("PanelHex");
  editDec_ = new QLineEdit(this);
  editDec_->setObjectName("EditDec");
  editDec_->setReadOnly(true);
  editHex_ = new QLineEdit(this);
  editHex_->setObjectName("EditHex");
  editHex_->setReadOnly(true);
  radioDec_ = new QRadioButton("10", this);
  radioDec_->setObjectName("RadioButtonDec");
  radioHex_ = new QRadioButton("16", this);
  radioHex_->setObjectName("RadioButtonHex");
  radioDec_->setChecked(true);
  panels->addWidget(radioDec_, 0, 0);
  panels->addWidget(panelDec_, 0, 1);
  panels->addWidget(editDec_, 0, 2);
  panels->addWidget(radioHex_, 1, 0);
  panels->addWidget(panelHex_, 1, 1);
  panels->addWidget(editHex_, 1, 2);
  layout->addLayout(panels);
  connect(radioHex_, &QRadioButton::toggled, this, [this](bool on) { SetHexMode(on); });

  auto* keys = new QGridLayout;
  const char* digits = "0123456789abcdef";
  for (int i = 0; i < 16; ++i) {
    const char d = digits[i];
    auto* b = new QPushButton(QString(QChar(d)).toUpper(), this);
    b->setObjectName(QString("ButtonDigit%1").arg(QChar(d).toUpper()));
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QPushButton::clicked, this, [this, d] { PressDigit(d); });
    keys->addWidget(b, i / 4, i % 4);
    if (i >= 10) hexLetters_.append(b);
  }
  auto* back = new QPushButton("<-", this);
  back->setObjectName("ButtonBack");
  back->setToolTip("Удалить последний символ");
  auto* plus = new QPushButton("+1", this);
  plus->setObjectName("ButtonPlus");
  auto* minus = new QPushButton("-1", this);
  minus->setObjectName("ButtonMinus");
  connect(back, &QPushButton::clicked, this, &TFormReaddrEdit::PressBack);
  connect(plus, &QPushButton::clicked, this, [this] { PressAdd(1); });
  connect(minus, &QPushButton::clicked, this, [this] { PressAdd(-1); });
  keys->addWidget(back, 4, 0);
  keys->addWidget(plus, 4, 1);
  keys->addWidget(minus, 4, 2);
  layout->addLayout(keys);

  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("ButtonOK");
  auto* close = new QPushButton("X", this);
  close->setObjectName("ButtonClose");
  connect(ok, &QPushButton::clicked, this, &TFormReaddrEdit::ButtonOKClick);
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  buttons->addWidget(ok);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  SetHexMode(false);
}

void TFormReaddrEdit::Open(TReaddrTable* table, const QModelIndex& index) {
  table_ = table;
  index_ = index;
  long value = 0;
  const QString text = table->Model().data(index, Qt::EditRole).toString();
  if (!ParseTableInt(text.toStdString(), value) || value < 0 || value > 65535) value = 0;
  keypad_ = TReaddrKeypad(static_cast<uint16_t>(value));
  keypad_.SetHex(radioHex_->isChecked());
  const QString title = table->Model().headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString();
  setWindowTitle(QString("Строка %1, \"%2\"").arg(index.row() + 1).arg(title));
  Show();
  show();
  raise();
}

void TFormReaddrEdit::Show() {
  const QString dec = QString::fromStdString(keypad_.DecText());
  const QString hex = QString::fromStdString(keypad_.HexText());
  panelDec_->setText(dec);
  editDec_->setText(dec);
  panelHex_->setText(hex);
  editHex_->setText(hex);
  editDec_->setVisible(!keypad_.Hex());
  editHex_->setVisible(keypad_.Hex());
  for (QPushButton* b : hexLetters_) b->setEnabled(keypad_.Hex());
}

void TFormReaddrEdit::PressDigit(char digit) {
  if (!keypad_.AppendDigit(digit)) QApplication::beep();
  Show();
}

void TFormReaddrEdit::PressBack() {
  keypad_.Backspace();
  Show();
}

void TFormReaddrEdit::PressAdd(int delta) {
  keypad_.Add(delta);
  Show();
}

void TFormReaddrEdit::SetHexMode(bool hex) {
  if (radioHex_->isChecked() != hex) radioHex_->setChecked(hex);
  keypad_.SetHex(hex);
  Show();
}

void TFormReaddrEdit::ButtonOKClick() {
  if (table_ && index_.isValid())
    table_->Model().setData(index_, QString::fromStdString(keypad_.DecText()), Qt::EditRole);
  hide();
}

}  // namespace vlm
