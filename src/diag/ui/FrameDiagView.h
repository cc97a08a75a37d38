#pragma once
// Base of the view frames the diagnostics window places in its centre for the table kinds (TI,
// TS, tablo): started with the object, stopped and freed when the selection moves.
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QMenu;
class QProgressBar;
class QTimer;

namespace vlm {

class TDiagContext;
class TDiagObj;

class TFrameDiagView : public QWidget {
  Q_OBJECT
 public:
  explicit TFrameDiagView(TDiagContext& context, QWidget* parent = nullptr);
  virtual void Start(TDiagObj& obj) = 0;
  virtual void Stop() = 0;
  // One tick of the scan timer (the tests drive the frames with it).
  virtual bool ScanTick() = 0;
  // The map as drawn now.
  QImage Map() const { return image_; }
  // The popup for a point of the map, nullptr when nothing is there.
  virtual QMenu* PopupAt(const QPoint& at) = 0;

  // The diagnostics window's journal: a new heading with its lines, and single new lines.
  std::function<void(const QString& title, const QStringList& lines)> ShowJournal;
  std::function<void(const QString& line)> AppendJournal;

  // Creates the frame of a view kind (40, 42, 43, 44), nullptr for others.
  static TFrameDiagView* Create(int kind, TDiagContext& context, QWidget* parent);
  // Help context of the view of a kind.
  static int HelpContext(int kind);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A pass about every second: the scan timer reads a slice every 10 ms until the pass ends.
  void StartTimers(int total);
  void StopTimers();
  // After each tick: the pass position; at a pass's end the scan timer rests and the map is shown.
  void AfterTick(int position, bool passEnded);
  void ShowImage();

  TDiagContext& context_;
  QImage image_;
  QLabel* picture_;
  QProgressBar* progress_;
  QTimer* timerScan_;
  QTimer* timerStart_;
};

}  // namespace vlm
