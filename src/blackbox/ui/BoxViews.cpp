#include "blackbox/ui/BoxViews.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "blackbox/BoxDriver.h"
#include "blackbox/BoxViewRules.h"
#include "blackbox/ui/FormBox.h"
#include "shell/ui/AppInfo.h"

namespace vlm {
namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kFlowBack(0x30, 0x30, 0x30);
const QColor kFlowMark(0xA0, 0xA0, 0xA0);

}  // namespace

TBoxLineView::TBoxLineView(TFormBox& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName("PaintBoxList");
  setToolTip("Контрольное окно для отображения посылок");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(form.LineFont());
}

int TBoxLineView::LineHeight() const { return std::max(1, QFontMetrics(form_.LineFont()).height()); }
int TBoxLineView::CharWidth() const { return std::max(1, QFontMetrics(form_.LineFont()).horizontalAdvance('A')); }

void TBoxLineView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(form_.LineFont());
  const int h = LineHeight(), rows = height() / h;
  const int top = form_.VerticalPosition(), count = form_.LineCount();
  const int left = form_.scrollH_->value();
  const bool colour = form_.settings_.Color;
  const int ascent = QFontMetrics(form_.LineFont()).ascent();
  // Backgrounds first, texts after: a row's fill must not cover what the row above draws below
  // its baseline (the underscore of "Д1_Д8" sits at the very bottom of the line height).
  int y = 0;
  for (int pass = 0; pass < 2; ++pass) {
    y = 0;
    for (int r = 0; r < rows && top + r < count; ++r, y += h) {
      const std::string& line = form_.LineAt(top + r);
      const uint8_t code = line.empty() ? 0 : uint8_t(line[0]);
      QColor text = Qt::black, back = kSilver;
      if (colour && UsesPalette(code)) {
        text = WinColor(PaletteText(code & 15));
        back = WinColor(PaletteBackground(code >> 4));
      }
      if (top + r == form_.selectedLine_) std::swap(text, back);
      if (pass == 0) {
        p.fillRect(0, y, width(), h, back);
      } else if (line.size() > 1) {
        p.setPen(text);
        p.drawText(0, y + ascent, QString::fromUtf8(line.data() + 1, int(line.size() - 1)).mid(left));
      }
    }
    if (pass == 0 && y < height()) p.fillRect(0, y, width(), height() - y, kSilver);
  }
  form_.flow_->update();
}

void TBoxLineView::mousePressEvent(QMouseEvent* event) {
  const int line = form_.VerticalPosition() + int(event->position().y()) / LineHeight();
  if (line < form_.LineCount()) {
    form_.selectedLine_ = line;
    update();
  }
  QWidget::mousePressEvent(event);
}

TBoxRawView::TBoxRawView(TFormBox& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName("PaintBoxRaw");
  setToolTip("Нефильтрованные посылки");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TBoxRawView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kSilver);
  p.setFont(form_.LineFont());
  p.setPen(Qt::black);
  const QFontMetrics metrics(form_.LineFont());
  if (!form_.Current()) return;
  int y = metrics.ascent();
  for (const std::string& line : form_.Current()->RawLines()) {
    if (line.size() > 1) p.drawText(0, y, QString::fromUtf8(line.data() + 1, int(line.size() - 1)));
    y += metrics.height();
  }
}

TBoxFlowView::TBoxFlowView(TFormBox& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName("PaintBoxFlow");
  setToolTip("Индикатор потока посылок");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TBoxFlowView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kFlowBack);
  TBoxDriver* box = form_.Current();
  if (!box) return;
  const int rows = form_.Rows(), position = form_.VerticalPosition();
  const bool atBottom = position >= form_.VerticalMaximum();
  box->FirstFlowShown = FirstFlowShown(box->FirstFlowShown, position, rows, height(), atBottom);
  const int first = box->FirstFlowShown;
  for (int y = 0; y < height() && first + y < box->FlowCount(); ++y) {
    const TFlowEntry& entry = box->Flow()[first + y];
    const int w = FlowLineWidth(width(), entry.length);
    if (w <= 0) continue;
    const QColor colour = WinColor(PaletteBackground(entry.colour >> 4));
    p.fillRect(entry.direction == 0 ? 0 : width() - w, y, w, 1, colour);
  }
  p.setPen(kFlowMark);
  p.drawText(5, height() - 15 + QFontMetrics(font()).ascent(), "КП> <ПУ");
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, position - first, width() - 1, rows);
}

void TBoxFlowView::mousePressEvent(QMouseEvent* event) {
  form_.FlowClick(int(event->position().y()));
  QWidget::mousePressEvent(event);
}

}  // namespace vlm
