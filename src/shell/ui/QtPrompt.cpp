#include "shell/ui/QtPrompt.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/AppInfo.h"

namespace vlm {

namespace {

constexpr int kMaxErrorText = 255;

QLabel* MessageLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(UiText(text), parent);
  label->setObjectName("LabelText");
  label->setWordWrap(true);
  label->setMinimumWidth(300);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setMinimumWidth(75);
  return button;
}

}  // namespace

TRightClickDialog::TRightClickDialog(QWidget* parent, int rightClickResult)
    : QDialog(parent), rightClickResult_(rightClickResult) {
  setModal(true);
  installEventFilter(this);
}

void TRightClickDialog::WatchChildren() {
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool TRightClickDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    done(rightClickResult_);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

TFormError::TFormError(const QString& text, QWidget* parent)
    : TRightClickDialog(parent, QDialog::Rejected) {
  setObjectName("FormError");
  setWindowTitle(kAppTitle + " - Ошибка");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MessageLabel(text.left(kMaxErrorText), this));
  auto* close = Button("Закрыть", "ButtonClose", this);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(close, 0, Qt::AlignHCenter);
  WatchChildren();
}

TFormAsk::TFormAsk(const QString& text, bool withCancel, QWidget* parent)
    : TRightClickDialog(parent, static_cast<int>(TAnswer::Cancel)) {
  setObjectName("FormAsk");
  setWindowTitle(kAppTitle + " - Запрос");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MessageLabel(text, this));
  auto* row = new QHBoxLayout;
  row->addStretch();
  // Without "Отмена" the pair sits 50 pixels further right, as users know the box.
  if (!withCancel) row->addSpacing(50);
  auto addButton = [&](const QString& caption, const char* name, TAnswer answer) {
    auto* b = Button(caption, name, this);
    connect(b, &QPushButton::clicked, this, [this, answer] { done(static_cast<int>(answer)); });
    row->addWidget(b);
    return b;
  };
  addButton("Да", "ButtonYes", TAnswer::Yes)->setDefault(true);
  addButton("Нет", "ButtonNo", TAnswer::No);
  if (withCancel) addButton("Отмена", "ButtonCancel", TAnswer::Cancel);
  row->addStretch();
  layout->addLayout(row);
  WatchChildren();
}

void TQtPrompt::ShowError(const std::string& text) {
  QApplication::beep();
  TFormError box(QString::fromStdString(text), QApplication::activeWindow());
  box.exec();
}

TAnswer TQtPrompt::AskYesNo(const std::string& text, bool withCancel) {
  TFormAsk box(QString::fromStdString(text), withCancel, QApplication::activeWindow());
  const int result = box.exec();
  // Closing the box by its title bar counts like the right click.
  if (result < 1 || result > 3) return TAnswer::Cancel;
  return static_cast<TAnswer>(result);
}

}  // namespace vlm
