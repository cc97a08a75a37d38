#include "ports/ui/FramePoint104.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ports/PointKind.h"

namespace vlm {

std::optional<uint32_t>& IpClipboard() {
  static std::optional<uint32_t> clipboard;
  return clipboard;
}

TFramePoint104::TFramePoint104(const TPointKind& kind, QWidget* parent) : TFramePointItems(kind, parent, false) {
  Main().Add({111, 149, 180, 1});
  ClipButtons(1, "ButtonCopyIP", "ButtonPasteIP");
  Main().Add(187);
  ClipButtons(187, "ButtonCopyGateway", "ButtonPasteGateway");
  Main().Binder().Note(QStringLiteral("(Нули в адресе шлюза означают, что ПУ и КП находятся в одной сети)."), "LabelGateway");
  Main().Add({164, 165, 166, 167, 168, 169, 179});
  // The controller sends one information object per ASDU to IEC 104 points.
  Main().Control(179)->setEnabled(false);
  Body()->addStretch(1);
}

void TFramePoint104::ClipButtons(uint8_t id, const char* copyName, const char* pasteName) {
  QWidget* row = Main().Control(id);
  auto* copy = new QPushButton(QStringLiteral(">Копировать IP"), row);
  copy->setObjectName(copyName);
  auto* paste = new QPushButton(QStringLiteral("<Вставить IP"), row);
  paste->setObjectName(pasteName);
  auto* layout = static_cast<QHBoxLayout*>(row->layout());
  layout->insertWidget(layout->count() - 1, copy);
  layout->insertWidget(layout->count() - 1, paste);
  pasteButtons_.push_back(paste);
  connect(copy, &QPushButton::clicked, this, [this, id] {
    if (!Point()) return;
    IpClipboard() = static_cast<uint32_t>(Point()->Values.Get(id));
    for (QPushButton* button : pasteButtons_) button->setEnabled(true);
  });
  connect(paste, &QPushButton::clicked, this, [this, id] {
    if (!Point() || !IpClipboard()) return;
    Point()->Values.Set(id, *IpClipboard());
    Edit(Point());
  });
}

void TFramePoint104::Edited() {
  for (QPushButton* button : pasteButtons_) button->setEnabled(IpClipboard().has_value());
}

}  // namespace vlm
