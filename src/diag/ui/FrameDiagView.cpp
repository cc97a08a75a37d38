#include "diag/ui/FrameDiagView.h"

#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "diag/DiagKinds.h"
#include "diag/ui/FrameOsc.h"
#include "diag/ui/FrameTablo.h"
#include "diag/ui/FrameValueMap.h"
#include "shell/HelpTopics.h"
#include "shell/ui/LinkWait.h"

namespace vlm {

TFrameDiagView::TFrameDiagView(TDiagContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  progress_ = new QProgressBar;
  progress_->setObjectName("ProgressBar1");
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
  timerScan_->setObjectName("TimerScan");
  timerScan_->setInterval(10);
  ConnectLinkTimer(timerScan_, this, [this] { ScanTick(); });
  timerStart_ = new QTimer(this);
  timerStart_->setObjectName("TimerStart");
  timerStart_->setInterval(1000);
  connect(timerStart_, &QTimer::timeout, this, [this] { timerScan_->start(); });
}

TFrameDiagView* TFrameDiagView::Create(int kind, TDiagContext& context, QWidget* parent) {
  if (kind == kDiagTI) return new TFrameValueMap(true, context, parent);
  if (kind == kDiagTS) return new TFrameValueMap(false, context, parent);
  if (kind == kDiagTablo) return new TFrameTablo(context, parent);
  if (kind == kDiagScope) return new TFrameOsc(context, parent);
  return nullptr;
}

int TFrameDiagView::HelpContext(int kind) {
  return HelpContextOf(kind == kDiagScope   ? "TFrameOsc"
                       : kind == kDiagTablo ? "TFrameTablo"
                       : kind == kDiagTI    ? "TFrameTI"
                       : kind == kDiagTS    ? "TFrameTS"
                                            : "TFormDiag");
}

void TFrameDiagView::StartTimers(int total) {
  progress_->setMaximum(total);
  timerScan_->start();
  timerStart_->start();
}

void TFrameDiagView::StopTimers() {
  timerScan_->stop();
  timerStart_->stop();
}

void TFrameDiagView::AfterTick(int position, bool passEnded) {
  progress_->setValue(position);
  if (!passEnded) return;
  timerScan_->stop();
  ShowImage();
}

void TFrameDiagView::ShowImage() { picture_->setPixmap(QPixmap::fromImage(image_)); }

bool TFrameDiagView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture_ && event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (QMenu* menu = PopupAt(mouse->position().toPoint())) menu->popup(mouse->globalPosition().toPoint());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vlm
