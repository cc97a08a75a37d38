#include "app/DiffDialog.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/DataFolder.h"
#include "common/Prompt.h"
#include "shell/ui/AppInfo.h"
#include "shell/HelpTopics.h"

#include <algorithm>

namespace vlm {

TFormConfigDiff::TFormConfigDiff(const TConfigDiff& diff, QWidget* parent) : QDialog(parent), diff_(diff) {
  setObjectName("FormConfigDiff");
  setProperty("helpContext", HelpContextOf("TFormConfigDiff"));  // F1 while it is the active window
  setWindowTitle(kAppTitle + " - Отличия от конфигурации контроллера");
  resize(720, 380);
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(
      QString("Конфигурация в контроллере отличается от записываемой (отличий: %1).\n"
              "\"-\" есть только в контроллере, \"+\" только в записываемой, \"~\" изменено: было -> станет.")
          .arg(diff.entries.size()),
      this);
  label->setObjectName("LabelSummary");
  layout->addWidget(label);
  list_ = new QListWidget(this);
  list_->setObjectName("ListBoxDiff");
  int longest = 0;
  for (const TDiffEntry& e : diff.entries) {
    const QString text = QString::fromStdString(DiffEntryText(e));
    auto* item = new QListWidgetItem(text, list_);
    item->setToolTip(text);
    longest = std::max(longest, list_->fontMetrics().horizontalAdvance(text));
  }
  layout->addWidget(list_, 1);
  auto* buttons = new QHBoxLayout;
  auto* save = new QPushButton("Сохранить как текст...", this);
  save->setObjectName("ButtonSave");
  connect(save, &QPushButton::clicked, this, &TFormConfigDiff::ButtonSaveClick);
  buttons->addWidget(save);
  buttons->addStretch();
  auto* go = new QPushButton("Продолжить запись", this);
  go->setObjectName("ButtonOK");
  auto* cancel = new QPushButton("Отмена", this);
  cancel->setObjectName("CancelBtn");
  cancel->setDefault(true);
  connect(go, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(go);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  // Wide enough for the longest line, so the old and new values at a line's end show (as far as
  // the screen allows; a longer line scrolls).
  const QMargins m = layout->contentsMargins();
  const int wanted = longest + 2 * list_->frameWidth() + list_->verticalScrollBar()->sizeHint().width() + m.left() + m.right() + 8;
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const int room = screen ? screen->availableGeometry().width() - 40 : wanted;
  resize(std::max(720, std::min(wanted, room)), 380);
}

bool TFormConfigDiff::SaveText(const QString& path) const {
  return WriteFileAtomically(path.toStdU16String(), DiffText(diff_));
}

void TFormConfigDiff::ButtonSaveClick() {
  const QString path = QFileDialog::getSaveFileName(this, kAppTitle + " - Сохранить отличия", QString(),
                                                    "Текстовые файлы (*.txt);;Все файлы (*.*)");
  if (!path.isEmpty() && !SaveText(path)) ShowError("Не удалось записать файл " + path.toStdString());
}

}  // namespace vlm
