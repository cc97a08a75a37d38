#pragma once
// The display mirror: the controller's 80 x 50 text screen read from B800h one row per 10 ms tick
// and painted cell by cell from the glyph cache, with column and row rulers. Modal, made on first
// use and kept, so the last screen is still there when it is opened again.
#include <QDialog>
#include <QImage>
#include <memory>

#include "diag/DisplayFont.h"

class QLabel;
class QTimer;
class QToolButton;

namespace vlm {

class TControllerLink;
class TFormHelp;
class TIndicator;

class TFormDisplay : public QDialog {
  Q_OBJECT
 public:
  explicit TFormDisplay(TControllerLink& link, QWidget* parent = nullptr);
  ~TFormDisplay() override;

  void TimerWorkTimer();
  void ImageRunClick();
  void ImageClipClick();
  void ImageSaveClick();
  // Writes the picture under the name with its extension made ".bmp"; the name written.
  QString SaveTo(const QString& chosen);
  void SetStatus(const QString& text);
  // The window's closing, however it is closed.
  void done(int result) override;

  QImage Picture() const;
  QImage ColumnRuler() const;
  QImage RowRuler() const;
  bool Reading() const;
  // Where the glyphs came from: the console-cyrillic font file or the rendered Qt font.
  const QString& GlyphSource() const { return glyphSource_; }
  const TScreenBuffer& Screen() const { return screen_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  class TPaintBox;
  void DrawRulers();
  TControllerLink& link_;
  TScreenBuffer screen_;
  std::unique_ptr<TGlyphCache> glyphs_;
  std::unique_ptr<TScreenPicture> picture_;
  TScreenReader reader_;
  TPixelImage columnRuler_, rowRuler_;
  QString glyphSource_;
  bool busy_ = false;
  bool openedLink_ = false;
  TPaintBox *box_, *boxH_, *boxV_;
  QTimer* timerWork_;
  QTimer* timerStatus_;
  QToolButton* run_;
  QLabel* status_;
  QString statusText_;
  int statusCountdown_ = 0;
  TIndicator* indicator_;
  TFormHelp* help_ = nullptr;
};

// The glyphs of code page 866 drawn from a monospaced Qt font into 8 x 8 cells, for machines
// without the console-cyrillic font.
TFont8x8 RenderQtFont8x8();
// The console-cyrillic font when installed, else the rendered one; `source` tells which.
TFont8x8 DisplayFont(QString* source);

}  // namespace vlm
