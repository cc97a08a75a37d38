#include "shell/ui/Options.h"

#include <QCheckBox>
#include <QColor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "platform/System.h"
#include "shell/FleetBackup.h"
#include "shell/ui/FleetBackupDlg.h"
#include "shell/ui/AppInfo.h"
#include "shell/HelpTopics.h"


namespace vlm {

namespace {

const QString kProcessorHint = QStringLiteral(
    "Как узнать IP-адрес контроллера:\r"
    "процессорная плата CPС108 показывает адрес вспышками светодиода D5: цифра n - n вспышек, "
    "цифра 0 - 10 вспышек; между цифрами пауза 2 секунды, между числами адреса - 3 секунды.\r"
    "Процессорная плата с 7-сегментным индикатором показывает цифры адреса на индикаторе.");

QToolButton* SpeedButton(const char* name, const QString& text, const QString& hint, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(UiText(text));
  b->setToolTip(hint);
  return b;
}

}  // namespace

TOptionsDlg::TOptionsDlg(std::filesystem::path ipListPath, QWidget* parent)
    : QDialog(parent), ipListPath_(std::move(ipListPath)) {
  setObjectName("OptionsDlg");
  setProperty("helpContext", HelpContextOf("TOptionsDlg"));
  setWindowTitle(kAppTitle + " - Настройка");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildLinkBox());
  layout->addWidget(BuildListBox(), 1);
  layout->addWidget(BuildExchangeBox());
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton("Применить", this);
  ok->setObjectName("ButtonOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Отмена", this);
  cancel->setObjectName("CancelBtn");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  ButtonGetIPClick();
  SpeedButtonLoadClick();
}

void TOptionsDlg::AddressFields(const char* prefix, QLineEdit* fields[4], QWidget* parent) {
  for (int i = 0; i < 4; ++i) {
    fields[i] = new QLineEdit(parent);
    fields[i]->setObjectName(QString("%1%2").arg(prefix).arg(i + 1));
    // Typing stops at three digits; a value such as 300 is refused when the dialog is applied.
    fields[i]->setValidator(new QIntValidator(0, 255, fields[i]));
    fields[i]->setMaximumWidth(48);
  }
}

QWidget* TOptionsDlg::BuildLinkBox() {
  auto* box = new QGroupBox(this);
  auto* g = new QGridLayout(box);
  radioNet_ = new QRadioButton("Подключение по Ethernet", box);
  radioNet_->setObjectName("RadioButtonNet");
  radioCom_ = new QRadioButton("Подключение по интерфейсу RS-232", box);
  radioCom_->setObjectName("RadioButtonCom");
  g->addWidget(radioNet_, 0, 0, 1, 3);
  g->addWidget(radioCom_, 1, 0, 1, 3);
  g->addWidget(new QLabel("Номер COM-порта ПЭВМ", box), 2, 0);
  comEdit_ = new QSpinBox(box);
  comEdit_->setObjectName("ComEdit");
  comEdit_->setRange(kComPortRange.min, kComPortRange.max);
  g->addWidget(comEdit_, 2, 1, Qt::AlignLeft);

  auto addressRow = [&](int row, const QString& text, const char* prefix, QLineEdit** fields,
                        const char* copyName) {
    auto* label = new QLabel(text, box);
    g->addWidget(label, row, 0);
    AddressFields(prefix, fields, box);
    auto* line = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) line->addWidget(fields[i]);
    auto* copy = new QToolButton(box);
    copy->setObjectName(copyName);
    copy->setText("<");
    connect(copy, &QToolButton::clicked, this, [this, fields] { SetAddress(fields, pcIp_); });
    line->addWidget(copy);
    line->addStretch();
    g->addLayout(line, row, 1, 1, 2);
    return label;
  };
  addressRow(3, "IP-адрес ПЭВМ", "a", a_, "ButtonCopyIPtoPC");
  QLabel* destLabel = addressRow(4, "IP-адрес контроллера", "b", b_, "ButtonCopyIPtoController");
  destLabel->setToolTip(UiText(kProcessorHint));
  auto* hint = SpeedButton("SpeedButtonHint", "?", UiText(kProcessorHint), box);
  connect(hint, &QToolButton::clicked, this, &TOptionsDlg::SpeedButtonHintClick);
  g->addWidget(hint, 4, 3);
  g->addWidget(new QLabel("Место установки", box), 5, 0);
  editPlace_ = new QLineEdit(box);
  editPlace_->setObjectName("EditPlace");
  g->addWidget(editPlace_, 5, 1, 1, 3);
  labelProtocol_ = new QLabel(" Протокол: UDP; Порт: 208 (справочное)", box);
  labelProtocol_->setObjectName("PanelProtocol");
  g->addWidget(labelProtocol_, 6, 0, 1, 3);
  labelHost_ = new QLabel("Имя ПЭВМ: ", box);
  labelHost_->setObjectName("LabelHost");
  labelHostIp_ = new QLabel("IP адрес: ", box);
  labelHostIp_->setObjectName("LabelHostIP");
  auto* getIp = new QPushButton("Обновить", box);
  getIp->setObjectName("ButtonGetIP");
  connect(getIp, &QPushButton::clicked, this, &TOptionsDlg::ButtonGetIPClick);
  g->addWidget(labelHost_, 7, 0);
  g->addWidget(labelHostIp_, 7, 1);
  g->addWidget(getIp, 7, 2);
  return box;
}

QWidget* TOptionsDlg::BuildListBox() {
  auto* box = new QGroupBox(this);
  auto* h = new QHBoxLayout(box);
  grid_ = new QTableWidget(0, 2, box);
  grid_->setObjectName("StringGridIP");
  grid_->setHorizontalHeaderLabels({"IP-адрес", "Место установки контроллера"});
  grid_->setColumnWidth(0, 122);
  grid_->setColumnWidth(1, 224);
  grid_->verticalHeader()->hide();
  // Both columns visible at the dialog's first size, a vertical scroll bar included.
  grid_->setMinimumWidth(122 + 224 + 2 * grid_->frameWidth() + grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] {
    if (TakeListRow()) accept();
  });
  popupIp_ = new QMenu(grid_);
  popupIp_->setObjectName("PopupMenuIP");
  QAction* backupAll = popupIp_->addAction("Резервные копии всех контроллеров");
  backupAll->setObjectName("ActionBackupAll");
  connect(backupAll, &QAction::triggered, this, &TOptionsDlg::ActionBackupAllExecute);
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popupIp_->popup(grid_->viewport()->mapToGlobal(at)); });
  h->addWidget(grid_, 1);
  auto* v = new QVBoxLayout;
  const QString file = " IPList.ini";
  const std::pair<QToolButton*, void (TOptionsDlg::*)()> buttons[] = {
      {SpeedButton("SpeedButtonSet", "Выбрать\rиз списка", {}, box), &TOptionsDlg::SpeedButtonSetClick},
      {SpeedButton("SpeedButtonAdd", "Добавить\rв список", {}, box), &TOptionsDlg::SpeedButtonAddClick},
      {SpeedButton("SpeedButtonDel", "Удалить", "Удалить текущую строку из списка", box),
       &TOptionsDlg::SpeedButtonDelClick},
      {SpeedButton("SpeedButtonUp", "Вверх", "Сдвинуть текущую строку вверх", box),
       &TOptionsDlg::SpeedButtonUpClick},
      {SpeedButton("SpeedButtonDown", "Вниз", "Сдвинуть текущую строку вниз", box),
       &TOptionsDlg::SpeedButtonDownClick},
      {SpeedButton("SpeedButtonSave", "Сохранить", "Сохранить список в файле" + file, box),
       &TOptionsDlg::SpeedButtonSaveClick},
      {SpeedButton("SpeedButtonLoad", "Загрузить", "Загрузить список из файла" + file, box),
       &TOptionsDlg::SpeedButtonLoadClick},
  };
  for (const auto& [button, slot] : buttons) {
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    connect(button, &QToolButton::clicked, this, slot);
    v->addWidget(button);
  }
  v->addStretch();
  h->addLayout(v);
  return box;
}

QWidget* TOptionsDlg::BuildExchangeBox() {
  auto* box = new QGroupBox(this);
  auto* g = new QGridLayout(box);
  checkMess_ = new QCheckBox("Показывать ошибки обмена", box);
  checkMess_->setObjectName("CheckBoxMess");
  checkBackup_ = new QCheckBox("Сохранять резервную копию конфигурации", box);
  checkBackup_->setObjectName("CheckBoxBackup");
  spinAttempts_ = new QSpinBox(box);
  spinAttempts_->setObjectName("SpinEditAttempts");
  spinAttempts_->setRange(kAttemptsRange.min, kAttemptsRange.max);
  spinWait_ = new QSpinBox(box);
  spinWait_->setObjectName("SpinEditWait");
  spinWait_->setRange(kWaitTimeRange.min, kWaitTimeRange.max);
  g->addWidget(checkMess_, 0, 0, 1, 2);
  g->addWidget(checkBackup_, 1, 0, 1, 2);
  g->addWidget(new QLabel("Число попыток обмена", box), 2, 0);
  g->addWidget(spinAttempts_, 2, 1, Qt::AlignLeft);
  g->addWidget(new QLabel("Время ожидания ответа, мс", box), 3, 0);
  g->addWidget(spinWait_, 3, 1, Qt::AlignLeft);
  g->setColumnStretch(2, 1);
  return box;
}

void TOptionsDlg::SetAddress(QLineEdit* const fields[4], const TIPAddress& ip) {
  for (int i = 0; i < 4; ++i) fields[i]->setText(QString::number(ip[i]));
}

TIPAddress TOptionsDlg::Address(QLineEdit* const fields[4]) const {
  TIPAddress ip{};
  for (int i = 0; i < 4; ++i) ip[i] = static_cast<uint8_t>(fields[i]->text().trimmed().toInt());
  return ip;
}

void TOptionsDlg::FillFrom(const TOptionValues& v) {
  filled_ = v.link;
  labelProtocol_->setText(QString(" Протокол: UDP; Порт: %1 (справочное)").arg(v.link.UdpPort));
  radioNet_->setChecked(v.link.LinkMode == kLinkUdp);
  radioCom_->setChecked(v.link.LinkMode != kLinkUdp);
  comEdit_->setValue(v.link.ComPortNumber);
  SetAddress(a_, v.link.SelfIP);
  SetAddress(b_, v.link.DestIP);
  checkMess_->setChecked(v.link.ShowErrors);
  checkBackup_->setChecked(v.backupEnable);
  spinAttempts_->setValue(v.link.Attempts);
  spinWait_->setValue(v.link.WaitTime);
  GridToList();
  const int row = list_.Find(IPToStr(v.link.DestIP));
  editPlace_->setText(QString::fromStdString(row >= 0 ? list_.rows[row].place : v.place));
  if (row >= 0) grid_->setCurrentCell(row, 0);
}

TOptionValues TOptionsDlg::Values() const {
  TOptionValues v;
  v.link = filled_;
  v.link.LinkMode = radioNet_->isChecked() ? kLinkUdp : kLinkSerial;
  v.link.ComPortNumber = comEdit_->value();
  v.link.SelfIP = Address(a_);
  v.link.DestIP = Address(b_);
  v.link.ShowErrors = checkMess_->isChecked();
  v.link.Attempts = spinAttempts_->value();
  v.link.WaitTime = spinWait_->value();
  v.backupEnable = checkBackup_->isChecked();
  v.place = editPlace_->text().toStdString();
  return v;
}

bool TOptionsDlg::AddressConverts(QLineEdit* const fields[4]) {
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    const int value = fields[i]->text().trimmed().toInt(&ok);
    if (ok && value >= 0 && value <= 255) continue;
    fields[i]->setFocus();
    const std::string text = "'" + fields[i]->text().toStdString() + "'";
    ShowError(ok ? text + " не является числом от 0 до 255" : text + " не является целым числом");
    return false;
  }
  return true;
}

bool TOptionsDlg::AddressesConvert() { return AddressConverts(a_) && AddressConverts(b_); }

void TOptionsDlg::done(int result) {
  if (result == QDialog::Accepted && !AddressesConvert()) return;
  QDialog::done(result);
}

bool TOptionsDlg::Run(TOptionValues& values) {
  FillFrom(values);
  if (exec() != QDialog::Accepted) return false;
  values = Values();
  return true;
}

QString TOptionsDlg::PlaceOf(const TIPAddress& address) const {
  return QString::fromStdString(list_.PlaceOf(IPToStr(address)));
}

void TOptionsDlg::GridToList() {
  list_.rows.clear();
  for (int r = 0; r < grid_->rowCount(); ++r) {
    auto cell = [&](int c) { return grid_->item(r, c) ? grid_->item(r, c)->text().toStdString() : ""; };
    list_.rows.push_back({cell(0), cell(1)});
  }
}

void TOptionsDlg::ListToGrid(int current) {
  grid_->setRowCount(static_cast<int>(list_.rows.size()));
  for (int r = 0; r < grid_->rowCount(); ++r) {
    const TIpRow& row = list_.rows[r];
    auto* address = new QTableWidgetItem(QString::fromStdString(row.address));
    // A row that is not an address stays in the list as written, marked, and is never used.
    if (!row.address.empty() && !row.AddressValid()) {
      address->setForeground(QColor(255, 0, 0));
      address->setToolTip("Неверный IP-адрес: строка не используется");
    }
    grid_->setItem(r, 0, address);
    grid_->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(row.place)));
  }
  if (current >= 0 && current < grid_->rowCount()) grid_->setCurrentCell(current, 0);
}

int TOptionsDlg::CurrentRow() const { return grid_->currentRow(); }

void TOptionsDlg::ButtonGetIPClick() {
  const std::string host = platform::HostName();
  if (host.empty()) return;
  labelHost_->setText("Имя ПЭВМ: " + QString::fromLocal8Bit(host.c_str()));
  const auto found = platform::ResolveIPv4(host);
  if (found.empty()) return;
  pcIp_ = found.front();
  labelHostIp_->setText("IP адрес: " + QString::fromStdString(IPToStr(pcIp_)));
}

void TOptionsDlg::SpeedButtonSetClick() { TakeListRow(); }

bool TOptionsDlg::TakeListRow() {
  GridToList();
  const int row = CurrentRow();
  if (row < 0 || row >= static_cast<int>(list_.rows.size())) return false;
  TIPAddress ip{};
  try {
    ip = StrToIP(list_.rows[row].address);
  } catch (const EConvertError&) {
    if (!list_.rows[row].address.empty())
      ShowError("'" + list_.rows[row].address + "' не является IP-адресом");
    return false;
  }
  SetAddress(b_, ip);
  editPlace_->setText(QString::fromStdString(list_.rows[row].place));
  return true;
}

void TOptionsDlg::SpeedButtonAddClick() {
  if (!AddressConverts(b_)) return;
  GridToList();
  QStringList parts;
  for (auto* field : b_) parts << field->text();
  list_.rows.push_back({parts.join('.').toStdString(), editPlace_->text().toStdString()});
  ListToGrid(static_cast<int>(list_.rows.size()) - 1);
}

void TOptionsDlg::SpeedButtonDelClick() {
  GridToList();
  const int row = CurrentRow();
  list_.Delete(row);
  ListToGrid(std::min(row, static_cast<int>(list_.rows.size()) - 1));
}

void TOptionsDlg::SpeedButtonUpClick() {
  GridToList();
  ListToGrid(list_.MoveUp(CurrentRow()));
}

void TOptionsDlg::SpeedButtonDownClick() {
  GridToList();
  ListToGrid(list_.MoveDown(CurrentRow()));
}

void TOptionsDlg::SpeedButtonSaveClick() {
  GridToList();
  if (!list_.Save(ipListPath_)) ShowError("Не удалось записать файл " + ipListPath_.string());
}

void TOptionsDlg::SpeedButtonLoadClick() {
  list_.Load(ipListPath_);
  ListToGrid(list_.rows.empty() ? -1 : 0);
}

void TOptionsDlg::SpeedButtonHintClick() {
  QMessageBox::information(this, kAppTitle, UiText(kProcessorHint));
}

}  // namespace vlm

namespace vlm {

// Every controller of the list as the grid shows it now, each with the link settings of the
// dialog's fields and its own section in the list file.
void TOptionsDlg::ActionBackupAllExecute() {
  if (!AddressesConvert()) return;
  GridToList();
  const auto targets = BackupTargets(list_, TIniFile(PathToUtf8(ipListPath_)), Values().link);
  if (targets.empty()) {
    ShowError("В списке нет ни одного контроллера.");
    return;
  }
  std::filesystem::path folder;
  try {
    folder = DataSubfolder("Cfg");
  } catch (const std::exception&) {
    ShowError("Не удалось создать папку Cfg для резервных копий.");
    return;
  }
  TFormFleetBackup dialog(targets, folder, this);
  dialog.setModal(true);
  dialog.show();
  dialog.Start();
  dialog.exec();
}

}  // namespace vlm
