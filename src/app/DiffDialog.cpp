#include "app/DiffDialog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/DataFolder.h"
#include "common/Prompt.h"
#include "shell/ui/AppInfo.h"
#include "shell/HelpTopics.h"

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
  for (const TDiffEntry& e : diff.entries) list_->addItem(QString::fromStdString(DiffEntryText(e)));
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
