#include "diag/ui/FrameTablo.h"

#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/ui/AppInfo.h"

namespace vlm {

TFrameTablo::TFrameTablo(TDiagContext& context, QWidget* parent) : TFrameDiagView(context, parent), tablo_(context) {
  setObjectName("FrameTablo");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  progress_ = new QProgressBar;
  progress_->setTextVisible(false);
  progress_->setMaximumHeight(8);
  layout->addWidget(progress_);
  auto* scroll = new QScrollArea;
  picture_ = new QLabel;
  picture_->setObjectName("ImageMap");
  picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture_->installEventFilter(this);
  scroll->setWidget(picture_);
  scroll->setWidgetResizable(true);
  layout->addWidget(scroll, 1);
  timerScan_ = new QTimer(this);
  timerScan_->setInterval(10);
  connect(timerScan_, &QTimer::timeout, this, [this] { ScanTick(); });
  timerStart_ = new QTimer(this);
  timerStart_->setInterval(1000);
  connect(timerStart_, &QTimer::timeout, this, [this] { timerScan_->start(); });
  menu_ = new QMenu(this);
  image_ = QImage(1040, 4000, QImage::Format_RGB32);
  image_.fill(QColor(0xC0, 0xC0, 0xC0));
  tablo_.Square = [this](const TTabloSquare& s) {
    QPainter p(&image_);
    p.fillRect(s.X, s.Y, 10, 10, WinColor(s.Colour));
  };
}

void TFrameTablo::Start(TDiagObj& obj) {
  if (!tablo_.Start(obj)) return;
  progress_->setMaximum(int(tablo_.Total()));
  timerScan_->start();
  timerStart_->start();
}

void TFrameTablo::Stop() {
  hide();
  timerScan_->stop();
  timerStart_->stop();
  tablo_.Stop();
}

bool TFrameTablo::ScanTick() {
  const TDiagLinkUse open(context_.Memory.Link());
  const bool first = tablo_.FirstPass();
  const bool ended = tablo_.ScanTick();
  progress_->setValue(int(tablo_.Position()));
  if (!ended) return false;
  timerScan_->stop();
  if (first) DrawLabels();
  picture_->setPixmap(QPixmap::fromImage(image_));
  return true;
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

bool TFrameTablo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture_ && event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (QMenu* menu = PopupAt(mouse->position().toPoint())) menu->popup(mouse->globalPosition().toPoint());
    return true;
  }
  return TFrameDiagView::eventFilter(watched, event);
}

}  // namespace vlm
