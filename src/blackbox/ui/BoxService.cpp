#include "blackbox/ui/BoxService.h"

#include <QPainter>

#include "blackbox/ui/FormBox.h"

namespace vlm {
namespace {

QIcon ServiceIcon() {
  return ServiceButtonIcon([](QPainter& p) {
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(3, 5, 22, 18);
    p.setPen(QPen(QColor(255, 170, 0), 2));
    p.drawLine(7, 11, 21, 11);
    p.drawLine(7, 16, 17, 16);
  });
}

}  // namespace

TFormBox* BoxWindow(QWidget* owner) { return owner->findChild<TFormBox*>("FormBox", Qt::FindDirectChildrenOnly); }

QToolButton* AddBoxService(const TServiceButtonAdder& add, TControllerLink& link, QWidget* owner) {
  return add("ButtonBox", "Сервис \"Чёрный Яшик\"", ServiceIcon(), [&link, owner] {
    TFormBox* form = BoxWindow(owner);
    if (!form) {
      form = new TFormBox(link, owner);
      form->setWindowFlag(Qt::Window);
      form->MainWindow = owner->window();
    }
    form->show();
    form->raise();
  });
}

}  // namespace vlm
