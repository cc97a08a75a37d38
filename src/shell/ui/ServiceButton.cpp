#include "shell/ui/ServiceButton.h"

#include <QPainter>
#include <QPixmap>

namespace vlm {

QIcon ServiceButtonIcon(const std::function<void(QPainter&)>& draw, bool antialiased) {
  QPixmap pixmap(28, 28);
  pixmap.fill(Qt::transparent);
  {
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, antialiased);
    draw(p);
  }  // the painter lets go of the pixmap before it is copied into the icon
  return QIcon(pixmap);
}

}  // namespace vlm
