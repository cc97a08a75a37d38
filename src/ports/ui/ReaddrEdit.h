#pragma once
// TFormReaddrEdit: the decimal/hexadecimal keypad for one cell, shown without blocking.
#include <QDialog>
#include <QPersistentModelIndex>
#include <QPointer>

#include "ports/ReaddrKeypad.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace vlm {

class TReaddrTable;

class TFormReaddrEdit : public QDialog {
  Q_OBJECT
 public:
  static TFormReaddrEdit* ShowFor(TReaddrTable* table, const QModelIndex& index);
  static TFormReaddrEdit* Current();

  void PressDigit(char digit);
  void PressBack();
  void PressAdd(int delta);
  void SetHexMode(bool hex);
  void ButtonOKClick();
  const TReaddrKeypad& Keypad() const { return keypad_; }

 private:
  explicit TFormReaddrEdit(QWidget* parent);
  void Open(TReaddrTable* table, const QModelIndex& index);
  void Show();

  TReaddrKeypad keypad_;
  QPointer<TReaddrTable> table_;
  QPersistentModelIndex index_;
  QLabel* panelDec_;
  QLabel* panelHex_;
  QLineEdit* editDec_;
  QLineEdit* editHex_;
  QRadioButton* radioDec_;
  QRadioButton* radioHex_;
  QList<QPushButton*> hexLetters_;
};

}  // namespace vlm
