#include "services/ui/uEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/AppInfo.h"

namespace vlm {

TfEdit::TfEdit(QWidget* parent) : TRightClickDialog(parent, kInputCancel) {
  setObjectName("fEdit");
  setWindowTitle(kAppTitle + " - Ввод");
  auto* layout = new QVBoxLayout(this);
  label_ = new QLabel(this);
  label_->setObjectName("Label1");
  edit_ = new QLineEdit(this);
  edit_->setObjectName("Edit1");
  edit_->setMinimumWidth(320);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("Ввод", this);
  ok->setObjectName("ButtonOk");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Отмена", this);
  cancel->setObjectName("ButtonCancel");
  connect(ok, &QPushButton::clicked, this, [this] { done(kInputOk); });
  connect(cancel, &QPushButton::clicked, this, [this] { done(kInputCancel); });
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addWidget(label_);
  layout->addWidget(edit_);
  layout->addLayout(buttons);
  WatchChildren();
}

void TfEdit::Prepare(const QString& prompt, const QString& text, int maxLength) {
  maxLength_ = maxLength;
  label_->setText(UiText(prompt));
  edit_->setMaxLength(maxLength);
  edit_->setText(text);
  edit_->selectAll();
  edit_->setFocus();
}

QString TfEdit::Text() const { return edit_->text().left(maxLength_); }

TInputResult InputString(const QString& prompt, const QString& text, int maxLength, QWidget* parent) {
  TfEdit dialog(parent);
  dialog.Prepare(prompt, text, maxLength);
  const int result = dialog.exec() == kInputOk ? kInputOk : kInputCancel;
  return {result, result == kInputOk ? dialog.Text() : QString()};
}

}  // namespace vlm
