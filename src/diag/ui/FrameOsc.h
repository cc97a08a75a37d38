#pragma once
// The oscilloscope frame of the diagnostics window (kind-40 objects): asks the controller to
// stream, receives on a thread of its own (TOscStream) and shows the last 60 s as a slow plotter
// and as an oscillogram of 1000 frames; saves the recording as WAV.
#include <QImage>

#include "diag/OscThread.h"
#include "diag/OscView.h"
#include "diag/ui/FrameDiagView.h"

class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace vlm {

class TFrameOsc : public TFrameDiagView {
  Q_OBJECT
 public:
  explicit TFrameOsc(TDiagContext& context, QWidget* parent = nullptr);
  ~TFrameOsc() override;

  void Start(TDiagObj& obj) override;
  void Stop() override;
  bool ScanTick() override;  // one plotter and one oscillogram tick
  QMenu* PopupAt(const QPoint& at) override;

  void TimerCtrlTimer();
  void TimerPlotTimer();
  void TimerOscTimer();
  void ButtonPauseClick();
  void TrackBar1Change(int position);
  void SpeedButtonPlusClick(bool larger);
  void ImagePlotMouseDown(int x, int y);
  void SpeedButtonSaveClick();
  // Writes the recording since the plotter's page start; the text of the "Сохранено" box, or empty
  // after the error box when the file cannot be written.
  QString SaveTo(const QString& chosen);

  QImage PlotImage() const { return plot_; }
  QImage OscImage() const { return osc_; }
  const TOscStream& Stream() const { return stream_; }
  TOscStream& Stream() { return stream_; }
  const TOscillogram& Oscillogram() const { return view_; }
  bool Paused() const { return paused_; }
  uint8_t Channel() const { return channel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ClearPlot();
  void DrawPlotGrid(int fromY);
  void ShowOsc(uint32_t start);
  void DrawAmplitudeLabels();
  void ShowPictures();
  QImage Ruler(const TOscRuler& ruler, int width) const;

  TOscStream stream_;
  TOscPlotter plotter_;
  TOscillogram view_;
  uint32_t oscStart_ = 0;
  bool paused_ = false;
  uint8_t channel_ = 0;
  QImage plot_, osc_, amplitude_;
  QLabel *plotLabel_, *oscLabel_, *amplitudeLabel_;
  QPushButton* pause_;
  QSlider* track_;
  QToolButton *larger_, *smaller_;
  QTimer *timerCtrl_, *timerPlot_, *timerOsc_;
  QMenu* menu_ = nullptr;
  QImage* menuImage_ = nullptr;
};

}  // namespace vlm
