#include "diag/ui/DiagService.h"

#include <QPainter>

#include "diag/ui/FormDiag.h"
#include "diag/ui/FormDisplay.h"

namespace vlm {
namespace {

QIcon ServiceIcon() {
  return ServiceButtonIcon([](QPainter& p) {
    p.setPen(QPen(QColor(30, 90, 40), 2));
    p.setBrush(QColor(220, 240, 220));
    p.drawRoundedRect(2, 4, 24, 20, 3, 3);
    const QPointF wave[] = {{5, 17}, {9, 17}, {12, 8}, {15, 20}, {18, 12}, {23, 12}};
    p.drawPolyline(wave, 6);
  });
}

QIcon DisplayIcon() {
  return ServiceButtonIcon(
      [](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.setBrush(QColor(0, 0, 160));
        p.drawRect(3, 4, 22, 16);
        p.drawLine(10, 24, 18, 24);
        p.setPen(QColor(220, 220, 220));
        for (int y = 8; y <= 16; y += 4) p.drawLine(6, y, 6 + (y * 3) % 16, y);
      },
      /*antialiased=*/false);
}

}  // namespace

QToolButton* AddDisplayService(const TServiceButtonAdder& add, TControllerLink& link, QWidget* owner) {
  return add("ButtonDisplay", "Сервис \"Дисплей\"", DisplayIcon(), [&link, owner] {
    auto* form = owner->findChild<TFormDisplay*>("FormDisplay", Qt::FindDirectChildrenOnly);
    if (!form) form = new TFormDisplay(link, owner);
    form->exec();
  });
}

TFormDiag* DiagWindow(QWidget* owner) { return owner->findChild<TFormDiag*>("FormDiag", Qt::FindDirectChildrenOnly); }

QToolButton* AddDiagService(const TServiceButtonAdder& add, TControllerLink& link, QWidget* owner) {
  return add("ButtonDiag", "Сервис \"Диагностика\"", ServiceIcon(), [&link, owner] {
    TFormDiag* form = DiagWindow(owner);
    if (!form) form = new TFormDiag(link, owner);
    form->exec();
  });
}

}  // namespace vlm
