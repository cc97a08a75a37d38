#include "diag/ui/FrameTablo.h"

#include <QMenu>
#include <QPainter>

#include "shell/ui/AppInfo.h"

namespace vlm {

TFrameTablo::TFrameTablo(TDiagContext& context, QWidget* parent) : TFrameDiagView(context, parent), tablo_(context) {
  setObjectName("FrameTablo");
  menu_ = new QMenu(this);
  image_ = QImage(1040, 4000, QImage::Format_RGB32);
  image_.fill(QColor(0xC0, 0xC0, 0xC0));
  tablo_.Square = [this](const TTabloSquare& s) {
    QPainter p(&image_);
    p.fillRect(s.X, s.Y, 10, 10, WinColor(s.Colour));
  };
}

void TFrameTablo::Start(TDiagObj& obj) {
  if (tablo_.Start(obj)) StartTimers(int(tablo_.Total()));
}

void TFrameTablo::Stop() {
  hide();
  StopTimers();
  tablo_.Stop();
}

bool TFrameTablo::ScanTick() {
  const TDiagLinkUse open(context_.Memory.Link());
  const bool first = tablo_.FirstPass();
  const bool ended = tablo_.ScanTick();
  if (ended && first) DrawLabels();
  AfterTick(int(tablo_.Position()), ended);
  return ended;
}

void TFrameTablo::DrawLabels() {
  QPainter p(&image_);
  QFont bold("Sans", 8);
  bold.setBold(true);
  p.setFont(bold);
  p.setPen(Qt::black);
  for (uint8_t kp : tablo_.KpSet()) {
    const int row = TTablo::RowOf(kp), k = TTablo::ColumnOf(kp), top = tablo_.RowTop(row);
    p.drawText(QRect(101 * k - 35, top + 5, 60, 14), Qt::AlignLeft | Qt::AlignTop, "КП" + QString::number(kp));
    for (int l = 1; l <= 8; ++l) p.drawText(QRect(101 * k + 12 * l - 83, top + 20, 12, 14), Qt::AlignLeft | Qt::AlignTop, QString::number(l));
  }
  for (int row = 1; row <= tablo_.Rows(); ++row)
    for (int g = 1; g <= tablo_.RowGroups(row); ++g)
      p.drawText(QRect(5, tablo_.RowTop(row) + 12 * g + 23, 30, 12), Qt::AlignLeft | Qt::AlignTop, "Г" + QString::number(g));
}

QMenu* TFrameTablo::PopupAt(const QPoint& at) {
  const TTabloRecord* record = tablo_.HitTest(at.x(), at.y());
  if (!record) return nullptr;
  menu_->clear();
  for (const auto& line : TabloRecordLines(*record)) menu_->addAction(QString::fromStdString(line));
  return menu_;
}

}  // namespace vlm
