#include "model/ui/TreeIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vlm {

namespace {

constexpr int kSize = 16;

using TDraw = void (*)(QPainter&);

QIcon Paint(TDraw draw, int size = kSize) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / double(kSize), size / double(kSize));
  draw(p);
  return QIcon(pixmap);
}

void Box(QPainter& p, QRectF r, QColor fill, QColor edge = Qt::black) {
  p.setPen(QPen(edge, 1));
  p.setBrush(fill);
  p.drawRect(r);
}

void Plug(QPainter& p, QColor body, const char* mark) {
  Box(p, {2.5, 3.5, 11, 9}, body);
  p.setPen(Qt::white);
  QFont f = p.font();
  f.setPixelSize(7);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(2.5, 3.5, 11, 9), Qt::AlignCenter, mark);
}

void DrawSoftPort(QPainter& p) {
  Box(p, {2.5, 2.5, 11, 11}, QColor(255, 220, 120));
  p.setPen(QPen(Qt::darkBlue, 1.5));
  p.drawLine(QPointF(5, 6), QPointF(11, 6));
  p.drawLine(QPointF(5, 10), QPointF(11, 10));
}
void DrawController(QPainter& p) {
  Box(p, {1.5, 2.5, 13, 11}, QColor(160, 170, 190));
  for (int i = 0; i < 3; ++i) Box(p, {3.5 + i * 3.5, 4.5, 2, 7}, QColor(60, 120, 60));
}
void DrawCard(QPainter& p) {
  Box(p, {1.5, 3.5, 13, 8}, QColor(40, 140, 60));
  p.setPen(QPen(QColor(230, 200, 60), 1));
  for (int x = 3; x < 14; x += 2) p.drawLine(QPointF(x, 11.5), QPointF(x, 14));
  Box(p, {5.5, 5.5, 5, 3}, Qt::black, Qt::black);
}
void DrawRs232(QPainter& p) { Plug(p, QColor(30, 90, 200), "232"); }
void DrawRs485(QPainter& p) { Plug(p, QColor(170, 60, 170), "485"); }
void DrawModem(QPainter& p) {
  Box(p, {1.5, 6.5, 13, 7}, QColor(200, 200, 200));
  p.setPen(QPen(Qt::darkGreen, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(4, 1, 8, 8), 30 * 16, 120 * 16);
  p.drawArc(QRectF(6, 3, 4, 4), 30 * 16, 120 * 16);
}
void DrawStation(QPainter& p) {
  QPainterPath roof;
  roof.moveTo(1.5, 7.5);
  roof.lineTo(8, 1.5);
  roof.lineTo(14.5, 7.5);
  roof.closeSubpath();
  p.setPen(Qt::black);
  p.setBrush(QColor(190, 60, 40));
  p.drawPath(roof);
  Box(p, {3.5, 7.5, 9, 7}, QColor(240, 230, 200));
  Box(p, {6.5, 9.5, 3, 5}, QColor(120, 80, 40));
}
void DrawOther(QPainter& p) { Box(p, {3.5, 3.5, 9, 9}, QColor(220, 220, 220)); }

}  // namespace

QIcon TreeIcon(int imageIndex) {
  static QHash<int, QIcon> cache;
  auto it = cache.find(imageIndex);
  if (it != cache.end()) return *it;
  TDraw draw = DrawOther;
  switch (imageIndex) {
    case 1: draw = DrawSoftPort; break;
    case 2: draw = DrawController; break;
    case 6: draw = DrawCard; break;
    case 8: draw = DrawRs232; break;
    case 9: draw = DrawRs485; break;
    case 10: draw = DrawModem; break;
    case 12: draw = DrawStation; break;
    default: if (imageIndex < 0) return {};
  }
  return *cache.insert(imageIndex, Paint(draw));
}

namespace {

void DrawNew(QPainter& p) {
  Box(p, {3.5, 1.5, 9, 13}, Qt::white);
  p.setPen(QPen(Qt::darkGreen, 2));
  p.drawLine(QPointF(8, 5), QPointF(8, 11));
  p.drawLine(QPointF(5, 8), QPointF(11, 8));
}
void DrawOpen(QPainter& p) {
  Box(p, {1.5, 4.5, 13, 9}, QColor(240, 200, 80));
  Box(p, {1.5, 2.5, 5, 2}, QColor(240, 200, 80));
}
void DrawSave(QPainter& p) {
  Box(p, {1.5, 1.5, 13, 13}, QColor(40, 70, 160));
  Box(p, {4.5, 1.5, 7, 5}, Qt::white);
  Box(p, {3.5, 9.5, 9, 5}, QColor(200, 200, 200));
}
void Arrow(QPainter& p, bool toController) {
  DrawController(p);
  p.setPen(QPen(toController ? QColor(200, 30, 30) : QColor(30, 140, 30), 2.2));
  const double y0 = toController ? 0.5 : 15.5, y1 = toController ? 7 : 9;
  p.drawLine(QPointF(8, y0), QPointF(8, y1));
}
void DrawRead(QPainter& p) { Arrow(p, false); }
void DrawWrite(QPainter& p) { Arrow(p, true); }
void DrawOptions(QPainter& p) {
  p.setPen(QPen(Qt::darkGray, 3));
  p.drawEllipse(QRectF(4, 4, 8, 8));
  p.setPen(QPen(Qt::darkGray, 2));
  for (int a = 0; a < 360; a += 45) {
    p.save();
    p.translate(8, 8);
    p.rotate(a);
    p.drawLine(QPointF(0, 5), QPointF(0, 7.5));
    p.restore();
  }
}
void DrawHelp(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 100, 200));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  p.setPen(Qt::white);
  QFont f = p.font();
  f.setPixelSize(12);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, "?");
}
void DrawLogo(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 60, 140));
  p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
  p.setPen(QPen(QColor(255, 200, 0), 2));
  p.drawLine(QPointF(3, 4), QPointF(8, 12));
  p.drawLine(QPointF(8, 12), QPointF(13, 4));
}

}  // namespace

QIcon ToolIcon(TToolIcon which) {
  static const TDraw draws[] = {DrawNew, DrawOpen, DrawSave, DrawRead, DrawWrite, DrawOptions,
                                DrawHelp, DrawLogo};
  return Paint(draws[static_cast<int>(which)], 32);
}

}  // namespace vlm
