#pragma once
// The reset window: a round red button that flees the pointer unless Ctrl is held; a press with
// Ctrl sends the reset. The status text counts down and may close the window.
#include <QDialog>
#include <QWidget>
#include <functional>

#include "services/Reset.h"
#include "shell/HelpTopics.h"

class QCheckBox;
class QLabel;
class QTimer;

namespace vlm {

class TControllerLink;

inline constexpr int kHelpReset = HelpContextOf("TFormReset");

class TResetButton : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSize = 167;
  explicit TResetButton(QWidget* parent);
 signals:
  void Pressed();  // with Ctrl held

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

class TFormReset : public QDialog {
  Q_OBJECT
 public:
  // closeReset is the program's "CloseReset" setting, shared with the main window.
  TFormReset(TControllerLink& link, bool& closeReset, QWidget* parent = nullptr);
  std::function<void(int)> Help;

  void Image1MouseDown();
  void TimerStatusTimer();
  TResetButton* Image() const { return image_; }
  QLabel* LabelStatus() const { return labelStatus_; }
  QCheckBox* CheckBoxClose() const { return checkClose_; }
  QTimer* TimerStatus() const { return timer_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool busy_ = false;  // an operation runs (its pump lets buttons through)
  TControllerLink& link_;
  bool& closeReset_;
  TResetButton* image_;
  QLabel* labelStatus_;
  QCheckBox* checkClose_;
  QTimer* timer_;
  TStatusCountdown countdown_;
  bool sent_ = false;  // whether the last press sent the command
};

}  // namespace vlm
