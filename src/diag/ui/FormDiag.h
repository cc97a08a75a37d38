#pragma once
// The diagnostics window: the controller's diagnostic tree, the parameters of the open folder,
// the watch list and the journal, refreshed by a 400 ms work tick. Objects of the table kinds open
// their view frame in the centre instead of the parameter grid. The reading and its rules live
// in the core session (diag/DiagSession.h); this class draws and forwards the user's actions.
#include <QDialog>
#include <functional>
#include <memory>

#include "diag/DiagSession.h"
#include "diag/DiagSettings.h"
#include "shell/HelpTopics.h"

class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QSplitter;
class QTableWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vlm {

class TControllerLink;
class TIndicator;
class TFrameDiagView;
class TFormDiagDebug;
class TFormHelp;

// The save dialog of a change log, starting at the proposed path; empty when cancelled.
QString AskDiagLogPath(QWidget* parent, const QString& proposed);

class TFormDiag : public QDialog {
  Q_OBJECT
 public:
  explicit TFormDiag(TControllerLink& link, QWidget* parent = nullptr);
  ~TFormDiag() override;

  TDiagSession& Session() { return session_; }
  const TDiagSettings& Settings() const { return settings_; }

  // --- operations of the controls (public for the tests) ---
  void ButtonScanClick();
  void ImagePauseClick();
  void ImageHighLightClick();
  void ImageHelpClick();
  int HelpContext() const { return helpContext_; }
  void TimerWorkTimer();
  // Selects the tree item of obj (opening it as a click would).
  void SelectObject(TDiagObj* obj);
  void AddToWatch(TDiagObj& obj);
  // The popup of a row: built for obj, from Grid1 or Grid2.
  QMenu* BuildPopup(TDiagObj& obj, bool fromWatch);
  // Saves the object's change log: the path is asked with AskSavePath (proposed path given).
  void SaveChangeLog(TDiagObj& obj);
  std::function<QString(const QString& proposed)> AskSavePath;
  bool Reading() const;
  TFrameDiagView* ViewFrame() const { return view_; }
  TFormDiagDebug* DebugWindow() const { return debug_.get(); }
  // The window's closing, however it is closed.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildToolbar();
  void BuildGrids();
  void TreeView1Change(QTreeWidgetItem* item);
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, TDiagObj& obj);
  void SyncChildren(QTreeWidgetItem* item, TDiagObj& obj);
  void ShowObject(TDiagObj& obj);
  void FreeView();
  void PaintGrid1();
  void PaintGrid2();
  void Grid1MouseDown(int row, int column, Qt::MouseButton button, const QPoint& at, bool twice);
  void Grid2MouseDown(int row, int column, Qt::MouseButton button, const QPoint& at);
  void Grid1KeyPress(QChar key);
  void ShowLog(TDiagObj& obj);
  void AppendJournal(const QString& line);
  void UpdateHints();
  // A grid hint that stays its 2 s after the mouse button is released (a tooltip goes with it).
  void ShowGridHint(const QPoint& at, const QString& text);
  void PlacePanels();
  std::vector<TDiagObj*> VisibleNodes() const;
  QTreeWidgetItem* ItemOf(const TDiagObj* obj) const;
  void ReadSettings();
  void WriteSettings();

  TControllerLink& link_;
  TDiagMemory memory_;
  TDiagContext context_;
  TDiagSession session_;
  TDiagSettings settings_;
  QTreeWidget* tree_ = nullptr;
  QTableWidget* grid1_ = nullptr;
  QTableWidget* grid2_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QLabel* panelParam_ = nullptr;
  QLabel* panelName_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QWidget* centre_ = nullptr;
  QSplitter* centreSplit_ = nullptr;
  QSplitter* mainSplit_ = nullptr;
  QSplitter* rightSplit_ = nullptr;
  TIndicator* indicator_ = nullptr;
  QToolButton* pause_ = nullptr;
  QToolButton* highlight_ = nullptr;
  QTimer* timerWork_ = nullptr;
  QLabel* hint_ = nullptr;
  QTimer* timerHint_ = nullptr;
  TFrameDiagView* view_ = nullptr;
  std::unique_ptr<TFormDiagDebug> debug_;
  TFormHelp* help_ = nullptr;
  bool scanning_ = false;
  bool placed_ = false;  // the stored panel sizes were applied to the laid-out window
  bool suspend_ = false;
  bool reading_ = true;
  int helpContext_ = HelpContextOf("TFormDiag");
};

}  // namespace vlm
