#pragma once
// The main window: the configuration tree, the editor frame of the selected node, the actions
// that create, delete, reorder, open, save, read and write the configuration, and the settings.
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "common/DateTime.h"
#include "model/TreeNode.h"
#include "model/VLM_Obj.h"

class QAction;
class QLabel;
class QMenu;
class QHBoxLayout;
class QIcon;
class QSplitter;
class QToolButton;
class QVBoxLayout;

namespace vlm {

class TAppContext;
struct TConfigDiff;
class TConfigTreeView;
class TFormHelp;
class TFormTraffic;
class TFrame;
class TIndicator;
class TOptionsDlg;
class TTreeModel;

// A name without extension gets ".cfg"; any other name stays as typed.
QString WithCfgExtension(const QString& path);
// A node may be dropped in front of a sibling; neither may hold the processor.
bool CanDrop(const TTreeNode* dragged, const TTreeNode* target);

class TFormVLM : public QWidget {
  Q_OBJECT
 public:
  explicit TFormVLM(TAppContext& context, QWidget* parent = nullptr);
  ~TFormVLM() override;

  // --- state, for the program and its tests ---
  TTree& Tree() { return tree_; }
  TStation* Station() const { return station_; }
  TFrame* CurrentFrame() const { return currentFrame_; }
  TTreeNode* SelectedNode() const;
  QAction* Action(const QString& name) const { return actions_.value(name); }
  TIndicator* Indicator() const { return indicator_; }
  TConfigTreeView* TreeView() const { return treeView_; }
  TFormHelp* HelpWindow() const;
  QString ReadFromLabel() const;
  QString WrittenToLabel() const;
  bool Reading() const { return reading_; }
  // The context menu of a node as the tree shows it.
  QMenu* PopupMenuFor(const TObj* obj);
  void Select(TTreeNode* node);

  // --- operations behind the actions (dialogs already answered) ---
  void NewConfiguration();
  void OpenFile(const QString& path);
  void SaveFile(const QString& path);
  void ReadFromController(bool byButton);
  void WriteToController(bool byButton);
  void DeleteSelected();
  bool DropNode(TTreeNode* dragged, TTreeNode* target);
  void SortCards();
  void SortPorts();
  void ShowHelp();
  QString Title() const;
  // Runs an action body: a silent abort ends it quietly, as the event loop would.
  void Guarded(const std::function<void()>& body);

  // Service windows of other parts put their tool button in front of the settings button
  // ("Сервис \"Обмен файлами\"", ...): a button appears only with a window behind it.
  QToolButton* AddServiceButton(const QString& name, const QString& hint, const QIcon& icon,
                                std::function<void()> run);

  // Offered after a successful write (the reset window of the services, when it exists).
  std::function<void()> AfterWrite;
  // Asked before the write question when the controller holds a different configuration; false
  // stops the write. Unset: the difference dialog (tests answer it themselves).
  std::function<bool(const TConfigDiff&)> ConfirmDifferences;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // F1 inside a modal window: the window's shortcut cannot reach the main window then.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void BuildKindActions();
  QAction* AddAction(const QString& name, const QString& text, const std::function<void()>& run);
  QWidget* BuildTopPanel();
  void TreeChange(TTreeNode* node);
  void FreeFrame();
  int ApplyFrame();
  void ResetTree(bool withController);
  void ExpandAfterRead();
  void UpdateLabels();
  void UpdateTitle();
  void ApplySettingsToWindow();
  void TakeWindowSettings();
  void ShowAbout();
  void ShowOptions();
  void ShowTraffic();
  void CreateKind(const std::string& className);
  void MakeBackup();
  // Reads an image into the tree; a damaged image aborts after its message and leaves the tree.
  void LoadImageBytes(const std::string& bytes);
  // The configuration as last saved, opened, read or made new: what "changed" is measured from.
  void MarkSaved();
  // Before the tree is replaced or the program closes: a changed configuration is offered for
  // saving. False when the user stays with it (Cancel, no file chosen, a frame refusing its edits).
  bool MayDiscardChanges();
  QString AskOpenPath();
  QString AskSavePath();
  void ReadControllerImage(std::vector<uint8_t>& bytes);
  // Reads the controller's configuration and compares it with the built image; note gets what
  // the write question should say first. False when the user stops the write.
  bool CompareBeforeWrite(std::string& note);
  std::vector<uint8_t> preWrite_;  // what the controller held before the write (read for the comparison)

  TAppContext& ctx_;
  TTree tree_;
  TStation* station_ = nullptr;
  TTreeModel* model_ = nullptr;
  TConfigTreeView* treeView_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWidget* rightPanel_ = nullptr;
  QVBoxLayout* rightLayout_ = nullptr;
  TFrame* currentFrame_ = nullptr;
  TTreeNode* frameNode_ = nullptr;  // the node whose frame is shown
  bool keepingFrame_ = false;       // the selection is being put back to frameNode_
  TIndicator* indicator_ = nullptr;
  QHBoxLayout* topRow_ = nullptr;
  QToolButton* optionsButton_ = nullptr;
  QLabel* labelRead_ = nullptr;
  QLabel* labelWritten_ = nullptr;
  QHash<QString, QAction*> actions_;
  QMenu* popup_ = nullptr;
  TOptionsDlg* options_ = nullptr;
  TFormTraffic* traffic_ = nullptr;
  QPointer<TFormHelp> help_;  // may live under a modal window, which then frees it
  QString configFileName_;
  std::vector<uint8_t> savedImage_;
  QString readFrom_, writtenTo_;
  QString place_;
  bool reading_ = false;
  bool busy_ = false;  // a link operation is running; its message pump must not start another
};

}  // namespace vlm
