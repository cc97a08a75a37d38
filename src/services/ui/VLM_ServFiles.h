#pragma once
// The file exchange window: the PC's folders on the left ("ЭВМ"), the controller's directory on
// the right ("ВЕЛМОР"); copy to the PC, compare, delete and view controller files.
#include <QDialog>
#include <functional>

#include "services/FileExchange.h"
#include "services/ui/WindowObserver.h"
#include "shell/HelpTopics.h"

class QComboBox;
class QFileSystemModel;
class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QTableWidget;
class QToolButton;
class QTreeView;

namespace vlm {

class TFormFilesView;
class TIndicator;

inline constexpr int kHelpFiles = HelpContextOf("TFormFiles");

class TFormFiles : public QDialog {
  Q_OBJECT
 public:
  explicit TFormFiles(TControllerLink& link, QWidget* parent = nullptr);

  std::function<void(int)> Help;  // the main window's help for a context

  // --- state and handlers, for the tests ---
  TFileExchange& Exchange() { return exchange_; }
  QTableWidget* ListViewVLM() const { return list_; }
  QLabel* LabelState() const { return labelState_; }
  QLabel* LabelSelected() const { return labelSelected_; }
  QLabel* LabelDirVLM() const { return labelDir_; }
  TFormFilesView* Viewer() const { return viewer_; }
  QString PcDir() const { return pcDir_; }
  void SetPcDir(const QString& dir);
  void ChangeControllerDir(const std::string& path);
  void ButtonGetDirClick();
  void ButtonCopyToPCClick();
  void SpeedButtonStopClick() { exchange_.Stop.Requested = true; }
  void NCompareClick();
  void NDeleteClick();
  void NViewClick();
  void NMkDirClick();
  void ListViewVLMDblClick();
  void LabelDirVLMMouseDown(int x);
  QString LabelDirHint(int x) const;
  void FileListBoxPCClick(const QString& path);
  void SelectAllFiles();
  void SelectItemByCaption(const QString& caption);
  void SortByColumn(int column);
  // Texts of the list, one row a line ("name|size|date-time").
  QStringList Rows() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildTopPanel();
  QWidget* BuildPcPane();
  QWidget* BuildControllerPane();
  void FillList();
  std::vector<TFileInfo> SelectedItems() const;
  const TFileInfo* FocusedItem() const;
  void UpdateSelectionSummary();
  void DeselectName(const std::string& name);
  // Another link operation while one pumps would share its buffers and close its link.
  bool Run(const std::function<void()>& body);
  int PathColumn(int x) const;

  TControllerLink& link_;
  TWindowObserver observer_;
  TFileExchange exchange_;
  TIndicator* indicator_ = nullptr;
  QComboBox* drives_ = nullptr;
  QFileSystemModel* dirModel_ = nullptr;
  QFileSystemModel* fileModel_ = nullptr;
  QTreeView* tree_ = nullptr;
  QListView* pcFiles_ = nullptr;
  QLabel* labelDir_ = nullptr;
  QTableWidget* list_ = nullptr;
  QLabel* labelState_ = nullptr;
  QLabel* labelSelected_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QMenu* listMenu_ = nullptr;
  QMenu* treeMenu_ = nullptr;
  TFormFilesView* viewer_ = nullptr;
  QString pcDir_;
  bool busy_ = false;
};

}  // namespace vlm
