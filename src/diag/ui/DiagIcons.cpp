#include "diag/ui/DiagIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

namespace vlm {
namespace {

// Tree icons: controller, processor, folder, port with every point answering, port with a lost
// point, table view; further indices get a coloured square of their own.
const QColor kTreeColours[] = {QColor(40, 90, 160), QColor(90, 90, 90), QColor(220, 180, 60),
                               QColor(40, 160, 60), QColor(200, 50, 40), QColor(60, 140, 200)};

}  // namespace

QIcon DiagTreeIcon(int index) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor colour = index >= 0 && index < 6 ? kTreeColours[index] : QColor::fromHsv((index * 47) % 360, 160, 200);
  p.setPen(colour.darker(160));
  p.setBrush(colour);
  switch (index) {
    case 2: {
      QPainterPath folder;
      folder.moveTo(1, 4), folder.lineTo(6, 4), folder.lineTo(7, 6), folder.lineTo(15, 6), folder.lineTo(15, 14),
          folder.lineTo(1, 14), folder.closeSubpath();
      p.drawPath(folder);
      break;
    }
    case 3: case 4: p.drawEllipse(2, 2, 12, 12); break;
    case 5:
      p.drawRect(1, 2, 14, 12);
      p.drawLine(1, 6, 15, 6), p.drawLine(6, 2, 6, 14);
      break;
    default: p.drawRoundedRect(1, 1, 14, 14, 3, 3);
  }
  return QIcon(pixmap);
}

QIcon DiagToolIcon(int index) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 60, 110), 2));
  switch (index) {
    case 0: p.setFont(QFont("Sans", 9, QFont::Bold)), p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, "В"); break;
    case 1: p.drawLine(8, 5, 8, 19), p.drawLine(16, 5, 16, 19); break;
    case 2: p.drawArc(4, 4, 16, 16, 30 * 16, 300 * 16), p.drawLine(18, 4, 19, 9); break;
    case 3: p.setFont(QFont("Sans", 12, QFont::Bold)), p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, "?"); break;
    case 4: p.setBrush(QColor(250, 220, 60)), p.drawEllipse(5, 5, 14, 14); break;
    case 5: p.drawLine(12, 4, 12, 16), p.drawLine(7, 11, 12, 16), p.drawLine(17, 11, 12, 16), p.drawLine(4, 20, 20, 20); break;
    case 6: p.drawRect(5, 5, 14, 14), p.drawLine(8, 5, 8, 10), p.drawLine(16, 5, 16, 10); break;
    default: {
      const QPointF tri[] = {{7, 5}, {19, 12}, {7, 19}};
      p.setBrush(QColor(40, 60, 110));
      p.drawPolygon(tri, 3);
    }
  }
  return QIcon(pixmap);
}

QToolButton* DiagToolButton(const char* name, const QString& hint, int icon, std::function<void()> run) {
  auto* b = new QToolButton;
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setIcon(DiagToolIcon(icon));
  b->setIconSize(QSize(24, 24));
  b->setAutoRaise(true);
  QObject::connect(b, &QToolButton::clicked, b, [run = std::move(run)] { run(); });
  return b;
}

}  // namespace vlm
