#pragma once
// The exchange log window: a live view of the newest lines of the link's exchange log, redrawn
// every 300 ms while shown, and saving of the whole log as a text file.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QTimer;

namespace vlm {

// Gives a copy of the exchange log lines (the log belongs to the link).
using TLogSource = std::function<std::vector<std::string>()>;

// Index of the log line shown on screen line i of n: the newest n lines when the log is longer
// than the screen, otherwise the first lines; -1 past the end of the log.
int TrafficLineIndex(int screenLine, int screenLines, int logCount);

// The saved file: header lines, then every log line; CR LF ends, Windows code page.
std::string TrafficFileText(const std::vector<std::string>& lines);

class TTrafficView;

class TFormTraffic : public QWidget {
  Q_OBJECT
 public:
  TFormTraffic(TLogSource source, std::function<QString()> destIp, QWidget* parent = nullptr);
  // Writes the log to a file; false when it cannot be written.
  bool SaveTo(const QString& path);
  void TimerDrawTimer();
  QLabel* LabelCtr() const { return labelCtr_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ImageSaveClick();
  TLogSource source_;
  std::function<QString()> destIp_;
  TTrafficView* view_;
  QLabel* labelCtr_;
  QTimer* timerDraw_;
};

}  // namespace vlm
