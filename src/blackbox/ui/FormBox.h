#pragma once
// The black-box window: the controller's recorders, their frames as coloured lines with a flow
// picture of the exchange, recording to a file, replay of a recorded file and the stream
// analyzer's tree. Everything runs from timers on the GUI thread; the readers, the replay and
// the analyzer are the core's.
#include <QDialog>
#include <QFont>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "blackbox/BoxContext.h"
#include "blackbox/BoxObserver.h"
#include "blackbox/BoxReplay.h"
#include "blackbox/BoxScan.h"
#include "blackbox/BoxTavik.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QRadioButton;
class QScrollBar;
class QSpinBox;
class QTimer;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace vlm {

class TControllerLink;
class TIndicator;
class TBoxLineView;
class TBoxRawView;
class TBoxFlowView;
class TTavikModel;
class TFormTavikLog;

// Settings of section "BlackBox".
struct TBoxSettings {
  int FormTop = 40, FormLeft = 40, FormWidth = 1100, FormHeight = 640;
  int TreeWidth = 300, TreeHeight = 300;
  bool Decoding = false, Color = true, Hex = true, FnHex = true;
};

class TFormBox : public QDialog, private IBoxObserver {
  Q_OBJECT
 public:
  explicit TFormBox(TControllerLink& link, QWidget* parent = nullptr);
  ~TFormBox() override;

  TBoxContext& Context() { return context_; }
  TBoxList& Boxes() { return boxes_; }
  TTavikAnalyzer& Analyzer() { return analyzer_; }
  TBoxDriver* Current() const { return context_.view.currentBox; }
  const QFont& LineFont() const { return font_; }
  // The main window hidden while this one is minimised.
  QWidget* MainWindow = nullptr;
  std::function<void()> ShowAbout;
  std::function<void(int context)> ShowHelp;

  // --- operations of the controls (public for the tests) ---
  void ButtonScanClick();
  void TreeBoxesChange(QTreeWidgetItem* item);
  void SpeedButtonRecClick();
  void SpeedButtonStopClick();
  void SpeedButtonPauseClick();
  void CheckBoxChange(QCheckBox* box);
  void EditFnChange();
  void ImageTavikClick();
  void TimerWorkTimer();
  void TimerListTimer();
  void TimerTavikTimer();
  void TimerPlayTimer();
  // Replay: the file chosen ("Выбрать файл"), start, pause, stop; the interval in ms.
  bool OpenReplayFile(const QString& path);
  void PlayClick();
  void PlayPauseClick();
  void PlayStopClick();
  void SetPlayInterval(int ms);
  int PlayInterval() const;
  void WheelLines(int lines);  // positive: towards older lines
  void FlowClick(int y);
  void SaveAllText(const QString& path);
  void CopyLine();
  void FindNext(bool backwards);
  // The decoded-text filter of the line view (empty: every line).
  void SetLineFilter(const QString& text);
  void ShowTavikLog(const TTavikNode* node);
  bool ExportTreeCsv(const QString& path);
  int VerticalPosition() const;
  int VerticalMaximum() const;
  int Rows() const;
  // Display lines of the current reader that pass the text filter.
  int LineCount() const;
  const std::string& LineAt(int index) const;
  TFormTavikLog* TavikLog() const { return tavikLog_; }
  // The window's closing, however it is closed (Escape, the window manager, the program's end).
  void done(int result) override;
  std::function<QString(const QString& title, const QString& start, bool save)> AskPath;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // IBoxObserver
  void IndicatorPoint(uint32_t colour) override;
  void LinesAdded(TBoxDriver& box, std::string_view text, uint8_t colour) override;
  void RecordingChanged(TBoxDriver& box) override;
  void BytesCopied(TBoxDriver& box) override;
  void AnalyzerFeed(TBoxDriver& box, const TBoxRecord& record, size_t length, const std::string& line) override;

  QWidget* BuildTopBar();
  QWidget* BuildLeft();
  QWidget* BuildCenter();
  void BuildMenus();
  void LoadSettings();
  void PlacePanels();
  void SaveSettings() const;
  void ShowCurrentState();
  void RepaintLines();
  void ClosePlayFile();
  void PopupTavik(const QPoint& at);
  QString Ask(const QString& title, const QString& start, bool save);

  TBoxContext context_;
  TBoxList boxes_;
  TTavikAnalyzer analyzer_;
  TBoxSettings settings_;
  QFont font_;
  TIndicator* indicator_ = nullptr;
  QToolButton *imageLogo_, *imageScan_, *imageTavik_, *imagePlay_, *imageHelp_;
  QLineEdit* editFileName_;
  QLabel* labelBytes_;
  QToolButton *buttonRec_, *buttonStop_, *buttonPause_;
  QCheckBox *checkHex_, *checkText_, *checkColor_, *checkIn_, *checkOut_, *checkKp_, *checkFn_;
  QSpinBox* spinKp_;
  QRadioButton *radio10_, *radio16_;
  QLineEdit* editFn_;
  QLineEdit* editFind_;
  QCheckBox* checkFindHex_;
  QLineEdit* editFilter_;
  QProgressBar* progress_;
  QTreeWidget* treeBoxes_;
  QTreeView* treeTavik_;
  TTavikModel* tavikModel_;
  TBoxLineView* lines_;
  TBoxRawView* raw_;
  TBoxFlowView* flow_;
  QScrollBar *scrollV_, *scrollH_;
  QTimer *timerWork_, *timerList_, *timerRaw_, *timerBytes_, *timerPlay_, *timerTavik_;
  QMenu *popupLines_, *popupPlay_, *popupTavik_;
  QAction *nFile_, *nSave_, *nClip_;
  QActionGroup* intervals_;
  const TTavikNode* popupNode_ = nullptr;
  TFormTavikLog* tavikLog_ = nullptr;
  std::FILE* playFile_ = nullptr;
  QString playPath_;
  std::unique_ptr<TBoxReplay> replay_;
  int selectedLine_ = -1;
  QString lineFilter_;
  std::vector<int> filtered_;
  void RebuildFilter();
  bool showing_ = false;
  bool placed_ = false;  // the stored panel sizes were applied to the laid-out window
  friend class TBoxLineView;
  friend class TBoxFlowView;
  friend class TBoxRawView;
};

}  // namespace vlm
