#include "diag/ui/FrameOsc.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/DataFolder.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "diag/DiagObj.h"
#include "diag/WavFile.h"
#include "link/Velmor_PC.h"
#include "shell/ui/AppInfo.h"

namespace vlm {
namespace {

constexpr unsigned kFrameColour = 0xA4A0A0;
constexpr int kRulerHeight = 22, kAmplitudeWidth = 48;

QLabel* PictureLabel(const char* name) {
  auto* l = new QLabel;
  l->setObjectName(name);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

}  // namespace

TFrameOsc::TFrameOsc(TDiagContext& context, QWidget* parent)
    : TFrameDiagView(context, parent),
      plot_(TOscPlotter::kWidth, TOscPlotter::kHeight, QImage::Format_RGB32),
      osc_(TOscillogram::kWidth, TOscillogram::kHeight, QImage::Format_RGB32),
      amplitude_(kAmplitudeWidth, TOscillogram::kHeight, QImage::Format_RGB32) {
  setObjectName("FrameOsc");
  // The table frames' scan bar and map are not used here.
  progress_->hide();
  if (auto* area = findChild<QScrollArea*>()) area->hide();
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, WinColor(kFrameColour));
  setPalette(pal);

  auto* content = new QWidget;
  content->setAutoFillBackground(true);
  content->setPalette(pal);
  auto* grid = new QGridLayout(content);
  grid->setSpacing(0);
  auto* bar = new QHBoxLayout;
  pause_ = new QPushButton("Пауза");
  pause_->setObjectName("ButtonPause");
  pause_->setToolTip("Пауза в отображении осциллограммы (вкл./выкл.)");
  connect(pause_, &QPushButton::clicked, this, [this] { ButtonPauseClick(); });
  track_ = new QSlider(Qt::Horizontal);
  track_->setObjectName("TrackBar1");
  track_->setRange(1, 10);
  track_->setFixedWidth(120);
  track_->setToolTip("Частота вывода осциллограммы (1...10 раз в сек.)");
  connect(track_, &QSlider::valueChanged, this, [this](int v) { TrackBar1Change(v); });
  auto tool = [&](const char* name, const QString& text, const QString& hint) {
    auto* b = new QToolButton;
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    return b;
  };
  larger_ = tool("SpeedButtonPlus", "Крупнее", "Крупнее");
  smaller_ = tool("SpeedButtonMinus", "Мельче", "Мельче");
  connect(larger_, &QToolButton::clicked, this, [this] { SpeedButtonPlusClick(true); });
  connect(smaller_, &QToolButton::clicked, this, [this] { SpeedButtonPlusClick(false); });
  auto* save = tool("SpeedButtonSave", "Сохранить", "Сохранить запись сигнала в файл");
  connect(save, &QToolButton::clicked, this, [this] { SpeedButtonSaveClick(); });
  for (QWidget* w : {static_cast<QWidget*>(pause_), static_cast<QWidget*>(track_), static_cast<QWidget*>(larger_),
                     static_cast<QWidget*>(smaller_), static_cast<QWidget*>(save)})
    bar->addWidget(w);
  bar->addStretch(1);
  grid->addLayout(bar, 0, 0, 1, 2);

  auto ruler = [&](const char* name, const TOscRuler& r, int row) {
    auto* l = PictureLabel(name);
    l->setPixmap(QPixmap::fromImage(Ruler(r, TOscPlotter::kWidth)));
    grid->addWidget(l, row, 1);
  };
  ruler("PaintBoxPlotRuler", kPlotRuler, 1);
  plotLabel_ = PictureLabel("ImagePlot");
  plotLabel_->setToolTip("Плоттер");
  plotLabel_->installEventFilter(this);
  grid->addWidget(plotLabel_, 2, 1);
  grid->setRowMinimumHeight(3, 6);
  ruler("PaintBoxSampleRuler", kSampleRuler, 4);
  amplitudeLabel_ = PictureLabel("PaintBoxAmpl");
  grid->addWidget(amplitudeLabel_, 5, 0);
  oscLabel_ = PictureLabel("ImageOscl");
  oscLabel_->installEventFilter(this);
  grid->addWidget(oscLabel_, 5, 1);
  ruler("PaintBoxTimeRuler", kTimeRuler, 6);
  grid->setRowStretch(7, 1);
  grid->setColumnStretch(2, 1);

  auto* area = new QScrollArea;
  area->setWidget(content);
  area->setWidgetResizable(true);
  layout()->addWidget(area);

  auto timer = [this](const char* name, int interval, void (TFrameOsc::*tick)()) {
    auto* t = new QTimer(this);
    t->setObjectName(name);
    t->setInterval(interval);
    connect(t, &QTimer::timeout, this, [this, tick] { (this->*tick)(); });
    return t;
  };
  timerCtrl_ = timer("TimerCtrl", 1000, &TFrameOsc::TimerCtrlTimer);
  timerPlot_ = timer("TimerPlot", 100, &TFrameOsc::TimerPlotTimer);
  timerOsc_ = timer("TimerOsc", 200, &TFrameOsc::TimerOscTimer);
  ClearPlot();
  osc_.fill(WinColor(PlotColour::Grey));
  ShowPictures();
}

TFrameOsc::~TFrameOsc() { Stop(); }

QImage TFrameOsc::Ruler(const TOscRuler& ruler, int width) const {
  QImage image(width, kRulerHeight, QImage::Format_RGB32);
  image.fill(WinColor(kFrameColour));
  QPainter p(&image);
  QFont font = p.font();
  font.setPixelSize(10);
  p.setFont(font);
  p.setPen(Qt::black);
  const QFontMetrics metrics(font);
  for (const auto& t : ruler.Ticks()) {
    if (ruler.fromTop) p.drawLine(t.x, 0, t.x, t.length - 1);
    else p.drawLine(t.x, kRulerHeight - t.length, t.x, kRulerHeight - 1);
    if (!t.label.empty()) {
      const QString label = QString::fromStdString(t.label);
      const int y = ruler.fromTop ? 8 : 0;
      p.drawText(t.x - metrics.horizontalAdvance(label) / 2, y + metrics.ascent(), label);
    }
  }
  p.drawText(30, (ruler.fromTop ? 8 : 0) + metrics.ascent(), QString::fromUtf8(ruler.caption));
  return image;
}

void TFrameOsc::Start(TDiagObj& obj) {
  channel_ = 0;  // a failed read leaves channel 0
  context_.Memory.ReadDiagMemory(obj.Header.DataPtr, std::span(&channel_, 1));
  view_.Divisor = 256;
  stream_.Stop();
  plotter_.Reset();
  stream_.Ring().Reset();  // before the thread runs: afterwards only the thread writes the ring
  const TLinkSettings& s = context_.Memory.Link().Settings;
  const std::string error = stream_.Start(s.SelfIP, s.DestIP, s.OscPort, channel_);
  if (!error.empty() && AppendJournal) AppendJournal("Осциллограф: " + QString::fromStdString(error));
  ClearPlot();
  DrawAmplitudeLabels();
  track_->setValue(5);
  TrackBar1Change(5);
  larger_->setEnabled(view_.LargerEnabled());
  smaller_->setEnabled(view_.SmallerEnabled());
  ShowOsc(TOscillogram::StartBefore(0));
  timerCtrl_->start();
  timerPlot_->start();
  timerOsc_->start();
}

void TFrameOsc::Stop() {
  timerCtrl_->stop();
  timerPlot_->stop();
  timerOsc_->stop();
  stream_.Stop();
}

bool TFrameOsc::ScanTick() {
  TimerPlotTimer();
  TimerOscTimer();
  return true;
}

void TFrameOsc::TimerCtrlTimer() { stream_.SendStreamCommand(); }

void TFrameOsc::ClearPlot() {
  plot_.fill(WinColor(PlotColour::Grey));
  DrawPlotGrid(0);
}

void TFrameOsc::DrawPlotGrid(int fromY) {
  QPainter p(&plot_);
  p.setPen(QPen(WinColor(PlotColour::Grid), 1, Qt::DotLine));
  for (int x = kPlotGridStep; x < 1000; x += kPlotGridStep) p.drawLine(x, fromY, x, TOscPlotter::kHeight - 1);
  p.setPen(QPen(WinColor(PlotColour::Grid), 1, Qt::SolidLine));
  for (int y = kPlotGridLineStep; y <= 250; y += kPlotGridLineStep)
    if (y >= fromY) p.drawLine(0, y, TOscPlotter::kWidth - 1, y);
}

void TFrameOsc::TimerPlotTimer() {
  TOscEvents events = stream_.TakeEvents();
  for (uint32_t colour : events.points) context_.Memory.AddPoint(colour);
  if (AppendJournal)
    for (const auto& line : events.lines) AppendJournal(QString::fromStdString(line));
  QPainter p(&plot_);
  const size_t columns = plotter_.Advance(stream_.Ring(), [&](const TPlotColumn& c) {
    p.setPen(WinColor(PlotColour::ChannelB));
    p.drawLine(c.x, c.bTop, c.x, c.bTop + c.bHeight - 1);
    p.setPen(WinColor(c.aColour));
    p.drawLine(c.x, c.aTop, c.x, c.aTop + c.aHeight - 1);
    if (c.scroll) {
      p.end();
      const int band = TOscPlotter::kLine, h = TOscPlotter::kHeight;
      const QImage moved = plot_.copy(0, band, plot_.width(), h - band);
      QPainter s(&plot_);
      s.drawImage(0, 0, moved);
      s.fillRect(0, h - band, plot_.width(), band, WinColor(PlotColour::Grey));
      s.end();
      DrawPlotGrid(250);
      p.begin(&plot_);
    }
  });
  p.end();
  if (columns) ShowPictures();
}

void TFrameOsc::TimerOscTimer() {
  if (paused_) {
    pause_->setText(pause_->text().isEmpty() ? "Пауза" : "");  // a blinking caption
    return;
  }
  ShowOsc(TOscillogram::StartBefore(stream_.Ring().WritePosition()));
}

void TFrameOsc::ShowOsc(uint32_t start) {
  oscStart_ = TOscillogram::ClampStart(start);
  osc_.fill(WinColor(PlotColour::Grey));
  QPainter p(&osc_);
  p.setPen(QPen(WinColor(PlotColour::Grid), 1, Qt::DotLine));
  for (int x = kPlotGridStep; x < 1000; x += kPlotGridStep) p.drawLine(x, 0, x, TOscillogram::kHeight - 1);
  for (int y : TOscillogram::kGridY) p.drawLine(0, y, 999, y);
  const TOscRing& ring = stream_.Ring();
  QPolygon a(TOscillogram::kFrames), b(TOscillogram::kFrames);
  for (int i = 0; i < TOscillogram::kFrames; ++i) {
    a[i] = QPoint(i, view_.Y(ring.A(oscStart_ + uint32_t(i))));
    b[i] = QPoint(i, view_.Y(ring.B(oscStart_ + uint32_t(i))));
  }
  p.setPen(WinColor(PlotColour::ChannelB));
  p.drawPolyline(b);
  p.setPen(WinColor(PlotColour::FirstLine));
  p.drawPolyline(a);
  const auto [high, low] = TOscillogram::RangeA(ring, oscStart_);
  QFont font = p.font();
  font.setPixelSize(11);
  p.setFont(font);
  p.drawText(TOscillogram::kWidth - 60, 2 + 10, QString::asprintf("%5d", high));
  p.drawText(TOscillogram::kWidth - 60, 14 + 10, QString::asprintf("%5d", low));
  p.end();
  ShowPictures();
}

void TFrameOsc::DrawAmplitudeLabels() {
  amplitude_.fill(WinColor(kFrameColour));
  QPainter p(&amplitude_);
  QFont font = p.font();
  font.setPixelSize(10);
  p.setFont(font);
  p.setPen(Qt::black);
  for (int i = -2; i <= 2; ++i)
    p.drawText(QRect(0, TOscillogram::AmplitudeLabelY(i), kAmplitudeWidth - 4, 14), Qt::AlignRight,
               QString::number(view_.AmplitudeLabel(i)));
  p.drawText(QRect(0, 96, kAmplitudeWidth - 4, 14), Qt::AlignRight, "Ампл.");
  p.end();
  amplitudeLabel_->setPixmap(QPixmap::fromImage(amplitude_));
}

void TFrameOsc::ShowPictures() {
  plotLabel_->setPixmap(QPixmap::fromImage(plot_));
  oscLabel_->setPixmap(QPixmap::fromImage(osc_));
}

void TFrameOsc::ButtonPauseClick() {
  paused_ = !paused_;
  if (!paused_) pause_->setText("Пауза");
}

void TFrameOsc::TrackBar1Change(int position) { timerOsc_->setInterval(OscTimerInterval(position)); }

void TFrameOsc::SpeedButtonPlusClick(bool larger) {
  if (larger) view_.Larger();
  else view_.Smaller();
  larger_->setEnabled(view_.LargerEnabled());
  smaller_->setEnabled(view_.SmallerEnabled());
  DrawAmplitudeLabels();
  ShowOsc(oscStart_);
}

void TFrameOsc::ImagePlotMouseDown(int x, int y) {
  paused_ = true;
  ShowOsc(plotter_.FrameAt(x, y));
}

QString TFrameOsc::SaveTo(const QString& chosen) {
  const std::string name = WavFileName(chosen.toStdString());
  const auto frames = OscRecording(stream_.Ring(), plotter_.PageStart);
  if (const std::string error = WriteWavFile(PathFromUtf8(name), frames); !error.empty()) {
    ShowError(error);
    return {};
  }
  return UiText(WavSavedText(name, frames.size() + 44));
}

void TFrameOsc::SpeedButtonSaveClick() {
  const QString folder = QString::fromStdU16String(DataSubfolder("Wav").u16string());
  const QString proposed = QDateTime::currentDateTime().toString("yyyy_MM_dd hh_mm_ss") + ".wav";
  const QString name = QFileDialog::getSaveFileName(this, kAppTitle + " - Сохранить запись сигнала в файл",
                                                    folder + "/" + proposed, "Звуковые файлы (*.wav);;Все файлы (*.*)");
  if (name.isEmpty()) return;
  if (const QString saved = SaveTo(name); !saved.isEmpty()) QMessageBox::information(this, "Сохранено", saved);
}

QMenu* TFrameOsc::PopupAt(const QPoint&) { return menu_; }

bool TFrameOsc::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && (watched == plotLabel_ || watched == oscLabel_)) {
    auto* e = static_cast<QMouseEvent*>(event);
    if (e->button() == Qt::RightButton) {
      if (!menu_) menu_ = new QMenu(this);
      menu_->clear();
      QImage* picture = watched == plotLabel_ ? &plot_ : &osc_;
      menu_->addAction(watched == plotLabel_ ? "Сохранить картинку в буфер обмена" : "Сохранить картинку в буфер обмена",
                       this, [picture] { QApplication::clipboard()->setImage(*picture); })
          ->setObjectName(watched == plotLabel_ ? "MenuSavePicPlot" : "MenuSavePicOscl");
      menu_->popup(e->globalPosition().toPoint());
      return true;
    }
    if (watched == plotLabel_ && e->button() == Qt::LeftButton) {
      ImagePlotMouseDown(int(e->position().x()), int(e->position().y()));
      return true;
    }
  }
  return TFrameDiagView::eventFilter(watched, event);
}

}  // namespace vlm
