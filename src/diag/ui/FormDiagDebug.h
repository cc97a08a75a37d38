#pragma once
// The debug view: writes lines of hex bytes at a diagnostic object's data address, one at a time
// or replayed from a list at a fixed interval.
#include <QWidget>

#include "diag/DiagDebug.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTimer;
class QToolButton;

namespace vlm {

class TControllerLink;

class TFormDiagDebug : public QWidget {
  Q_OBJECT
 public:
  TFormDiagDebug(TDiagMemory& memory, TControllerLink& link, QWidget* parent = nullptr);
  TDiagDebug& Model() { return model_; }

  void OpenAt(TFarPtr address);
  void ButtonWriteClick();
  void ButtonAddClick();
  void Memo1Click();
  // Loads a text file into the list and starts the replay.
  void LoadFile(const QString& path);
  bool SaveFile(const QString& path) const;
  void ImagePlayClick();
  void Timer1Timer();
  bool Playing() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SyncLines();
  TDiagDebug model_;
  TControllerLink& link_;
  QLineEdit* edit_;
  QPlainTextEdit* memo_;
  QSpinBox* spin_;
  QLabel* labelN_;
  QTimer* timer_;
  QToolButton* play_;
};

}  // namespace vlm
