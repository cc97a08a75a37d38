#pragma once
// The settings dialog: link mode, COM port, the PC's and the controller's addresses, attempts,
// wait time, the two switches and the list of known controllers ("IPList.ini").
#include <QDialog>
#include <filesystem>
#include <string>

#include "link/LinkSettings.h"
#include "shell/IpList.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace vlm {

// What the dialog edits: the link settings themselves (keys the dialog does not show, such as
// the serial device or the UDP port, pass through unchanged), the backup switch and the place.
struct TOptionValues {
  TLinkSettings link;
  bool backupEnable = true;
  std::string place;  // place of the chosen controller (not kept in the settings file)
};

class TOptionsDlg : public QDialog {
  Q_OBJECT
 public:
  TOptionsDlg(std::filesystem::path ipListPath, QWidget* parent = nullptr);
  // Fills the controls, shows the dialog modally; true and the edited values on "Применить".
  bool Run(TOptionValues& values);
  // The two halves of Run, for tests that drive the controls themselves.
  void FillFrom(const TOptionValues& values);
  TOptionValues Values() const;

  const TIpList& IpList() const { return list_; }
  QString PlaceOf(const TIPAddress& address) const;

  void ButtonGetIPClick();
  void SpeedButtonSetClick();
  void SpeedButtonAddClick();
  void SpeedButtonDelClick();
  void SpeedButtonUpClick();
  void SpeedButtonDownClick();
  void SpeedButtonSaveClick();
  void SpeedButtonLoadClick();
  void SpeedButtonHintClick();
  // The list's menu: "Резервные копии всех контроллеров".
  QMenu* PopupMenuIP() const { return popupIp_; }
  void ActionBackupAllExecute();

 protected:
  // "Применить" with an address field that is not a number from 0 to 255 shows the error and
  // keeps the dialog open: the settings keep their previous values.
  void done(int result) override;

 private:
  // Takes the current row into the controller's fields; false when the row holds no address (a
  // bad one is reported) and nothing is taken.
  bool TakeListRow();
  bool AddressConverts(QLineEdit* const fields[4]);  // reports the first bad field
  bool AddressesConvert();
  TLinkSettings filled_;  // what FillFrom got: the base of Values()
  QWidget* BuildLinkBox();
  QWidget* BuildListBox();
  QWidget* BuildExchangeBox();
  void AddressFields(const char* prefix, QLineEdit* fields[4], QWidget* parent);
  void SetAddress(QLineEdit* const fields[4], const TIPAddress& ip);
  TIPAddress Address(QLineEdit* const fields[4]) const;
  void GridToList();
  void ListToGrid(int current);
  int CurrentRow() const;

  std::filesystem::path ipListPath_;
  TIpList list_;
  TIPAddress pcIp_{};
  QRadioButton *radioNet_, *radioCom_;
  QSpinBox* comEdit_;
  QLineEdit* a_[4];
  QLineEdit* b_[4];
  QLineEdit* editPlace_;
  QLabel *labelHost_, *labelHostIp_;
  QLabel* labelProtocol_;
  QTableWidget* grid_;
  QCheckBox *checkMess_, *checkBackup_;
  QSpinBox *spinAttempts_, *spinWait_;
  QMenu* popupIp_ = nullptr;
};

}  // namespace vlm
