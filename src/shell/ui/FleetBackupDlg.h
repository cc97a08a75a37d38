#pragma once
// "Резервные копии всех контроллеров": reads the configuration of every controller of the address
// list in turn and shows each result as it comes, with a stop button; the copies go to "Cfg".
#include <QDialog>
#include <atomic>
#include <filesystem>
#include <vector>

#include "shell/FleetBackup.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vlm {

class TFormFleetBackup : public QDialog {
  Q_OBJECT
 public:
  TFormFleetBackup(std::vector<TBackupTarget> targets, std::filesystem::path folder, QWidget* parent = nullptr);
  // Reads every controller (the window stays responsive; "Остановить" ends it after the current one).
  void Start();
  void ButtonStopClick();
  const std::vector<TBackupResult>& Results() const { return results_; }
  QTableWidget* Grid() const { return grid_; }

 private:
  void ShowResult(const TBackupResult& r, size_t row);

  std::vector<TBackupTarget> targets_;
  std::filesystem::path folder_;
  std::vector<TBackupResult> results_;
  std::atomic<bool> stop_{false};
  QLabel* label_;
  QProgressBar* progress_;
  QTableWidget* grid_;
  QPushButton *stopButton_, *closeButton_;
};

// The result column: what happened to one controller, in the window's words.
QString BackupResultText(const TBackupResult& r);

}  // namespace vlm
