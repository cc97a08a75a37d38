#include "model/ui/ModelFrames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/Format.h"
#include "model/Cards.h"
#include "model/VLM_Obj.h"
#include "shell/ui/FrameFactory.h"

namespace vlm {

namespace {

constexpr int kNodeRole = Qt::UserRole;

QString Text(const std::string& s) { return QString::fromStdString(s); }

QString IpText(uint32_t ip) {
  return QStringLiteral("%1.%2.%3.%4").arg(ip >> 24).arg((ip >> 16) & 0xFF).arg((ip >> 8) & 0xFF).arg(ip & 0xFF);
}

// A read-only two-column summary grid whose cells remember the node they stand for; a double
// click selects that node.
QTableWidget* SummaryGrid(const char* name, const QString& h0, const QString& h1, QWidget* parent) {
  auto* grid = new QTableWidget(0, 2, parent);
  grid->setObjectName(name);
  grid->setHorizontalHeaderLabels({h0, h1});
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(18);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  QObject::connect(grid, &QTableWidget::cellDoubleClicked, grid, [grid](int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    if (item) RequestGoToNode(static_cast<TTreeNode*>(item->data(kNodeRole).value<void*>()));
  });
  return grid;
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text, const TObj* obj) {
  auto* item = new QTableWidgetItem(text);
  if (obj) item->setData(kNodeRole, QVariant::fromValue<void*>(obj->Node));
  grid->setItem(row, column, item);
}

QWidget* Titled(const QString& title, QWidget* inner, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(inner);
  return box;
}

}  // namespace

QColor UseCountColour(int count) {
  if (count <= 0) return Qt::black;
  return count == 1 ? QColor(192, 192, 192) : QColor(255, 0, 0);
}

// --- station ---

TFrameStation::TFrameStation(QWidget* parent) : TFrame(350, parent) {
  Binder().Edit("Место установки", "EditPlace", 255,
                TextField([this]() -> std::string& { return station_->Place; }),
                [this] { station_->UpdateNode(); });
  gridProc_ = SummaryGrid("StringGridProc", " Номер", " IP-адрес", this);
  gridPorts_ = SummaryGrid("StringGridPorts", " Адрес", " Название", this);
  Body()->addWidget(Titled("Сводный список процессоров", gridProc_, this), 1);
  Body()->addWidget(Titled("Сводный список программных портов", gridPorts_, this), 2);
}

void TFrameStation::Edit(TObj* obj) {
  station_ = static_cast<TStation*>(obj);
  Binder().Fill();
  FillGrids();
}

void TFrameStation::FillGrids() {
  gridProc_->setRowCount(0);
  gridPorts_->setRowCount(0);
  station_->Node->Tree()->ForEach([this](TTreeNode& node) {
    const TObj* obj = node.Object();
    if (const auto* proc = dynamic_cast<const TProcessor*>(obj)) {
      const int row = gridProc_->rowCount();
      gridProc_->insertRow(row);
      SetCell(gridProc_, row, 0, QStringLiteral("  %1").arg(proc->Number), proc);
      SetCell(gridProc_, row, 1, IpText(proc->IPAddress), proc);
    } else if (const auto* port = dynamic_cast<const TSoftPort*>(obj)) {
      const int row = gridPorts_->rowCount();
      gridPorts_->insertRow(row);
      SetCell(gridPorts_, row, 0, QStringLiteral("  %1").arg(port->Number), port);
      SetCell(gridPorts_, row, 1, Text(port->TypeName), port);
    }
  });
}

// --- controller ---

TFrameController::TFrameController(QWidget* parent) : TFrame(110, parent) {
  gridAddr_ = SummaryGrid("StringGridAddr", " Адрес", " Плата", this);
  gridIrq_ = SummaryGrid("StringGridIRQ", " IRQ", " Плата", this);
  gridLinks_ = SummaryGrid("StringGridLinks", " Программный порт", " Аппаратный порт", this);
  gridLinks_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  auto* top = new QHBoxLayout;
  top->addWidget(Titled("Базовые адреса", gridAddr_, this));
  top->addWidget(Titled("Линии запроса прерывания", gridIrq_, this));
  Body()->addLayout(top, 3);
  Body()->addWidget(Titled("Связанные программные и аппаратные порты", gridLinks_, this), 2);
}

void TFrameController::Edit(TObj* obj) {
  controller_ = static_cast<TController*>(obj);
  auto fillCards = [](QTableWidget* grid, int row, int key, const std::vector<TCard*>& cards) {
    QString names;
    for (const TCard* card : cards) names += " " + Text(card->GetCaption());
    const TCard* first = cards.empty() ? nullptr : cards.front();
    SetCell(grid, row, 0, QStringLiteral("  %1").arg(key), first);
    SetCell(grid, row, 1, names, first);
  };
  gridAddr_->setRowCount(TController::kAddressCount);
  for (int a = 0; a < TController::kAddressCount; ++a) fillCards(gridAddr_, a, a, controller_->AddrCards[a]);
  gridIrq_->setRowCount(TController::kLastIrq - TController::kFirstIrq + 1);
  for (int line = TController::kFirstIrq; line <= TController::kLastIrq; ++line)
    fillCards(gridIrq_, line - TController::kFirstIrq, line, controller_->IrqCards[line - TController::kFirstIrq]);
  const auto& links = controller_->Links;
  gridLinks_->setRowCount(std::max<int>(1, static_cast<int>(links.size())));
  for (size_t i = 0; i < links.size(); ++i) {
    const TLink& link = *links[i];
    SetCell(gridLinks_, int(i), 0, link.SoftPort ? Text(link.SoftPort->GetCaption()) : QString(), link.SoftPort);
    SetCell(gridLinks_, int(i), 1, link.HardPort ? Text(link.HardPort->GetCaption()) : QString(), link.HardPort);
  }
}

// --- processor ---

TFrameProcessor::TFrameProcessor(QWidget* parent) : TFrame(6, parent) {
  Binder().Spin("Номер процессора", "SpinEditNumber", 1, 255,
                IntField([this]() -> uint8_t& { return processor_->Number; }),
                [this] { processor_->UpdateNode(); });
  AddAddressRow("IP адрес", "SpinEditIP", &TProcessor::IPAddress, true);
  AddAddressRow("Маска подсети", "SpinEditMask", &TProcessor::NetMask, false);
  AddAddressRow("Основной шлюз", "SpinEditGate", &TProcessor::Gateway, false);
  Body()->addStretch();
}

// Four spin boxes whose tags 24, 16, 8, 0 are the bit positions of their octets; each change
// replaces its octet of the field.
void TFrameProcessor::AddAddressRow(const QString& label, const char* prefix,
                                    uint32_t TProcessor::*field, bool visible) {
  auto* row = new QWidget(this);
  auto* h = new QHBoxLayout(row);
  h->setContentsMargins(0, 0, 0, 0);
  auto* caption = new QLabel(label, this);
  for (int i = 0; i < 4; ++i) {
    const int shift = 24 - 8 * i;
    TIntAccess octet{[this, field, shift] { return int((processor_->*field >> shift) & 0xFF); },
                     [this, field, shift](int v) {
                       uint32_t& value = processor_->*field;
                       value = (value & ~(0xFFu << shift)) | (uint32_t(v & 0xFF) << shift);
                     }};
    // The binder places its own rows; these four share one row, so bind them and move them.
    QSpinBox* spin = Binder().Spin(QString(), QString("%1%2").arg(prefix).arg(i + 1).toLatin1().constData(),
                                   0, 255, octet, [] {});
    spin->setProperty("tag", shift);
    spin->setMinimumWidth(55);
    Grid()->removeWidget(spin);
    h->addWidget(spin);
  }
  h->addStretch();
  const int r = Grid()->rowCount();
  Grid()->addWidget(caption, r, 0);
  Grid()->addWidget(row, r, 1);
  caption->setVisible(visible);
  row->setVisible(visible);
}

void TFrameProcessor::Edit(TObj* obj) {
  processor_ = static_cast<TProcessor*>(obj);
  Binder().Fill();
}

// --- cards ---

class TUseList : public QListWidget {
 public:
  TUseList(const char* name, QWidget* parent) : QListWidget(parent) {
    setObjectName(name);
    setMaximumWidth(160);
  }
  // Entry texts and the highest use count of each; an empty text is an entry drawn empty.
  void Refresh(const std::vector<std::pair<QString, int>>& entries, int selected) {
    const QSignalBlocker block(this);
    if (count() != static_cast<int>(entries.size())) {
      clear();
      for (size_t i = 0; i < entries.size(); ++i) addItem(QString());
    }
    for (int i = 0; i < count(); ++i) {
      item(i)->setText(entries[i].first);
      item(i)->setForeground(UseCountColour(entries[i].second));
      item(i)->setFlags(entries[i].first.isEmpty() ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    setCurrentRow(selected);
    if (selected < 0) clearSelection();
  }
};

TFrameCardRS::TFrameCardRS(int helpContext, QWidget* parent) : TFrame(helpContext, parent) {
  listAddr_ = new TUseList("ListBoxAddr", this);
  listIrq_ = new TUseList("ListBoxIRQ", this);
  auto* lists = new QHBoxLayout;
  lists->addWidget(Titled("Базовые адреса", listAddr_, this));
  lists->addWidget(Titled("Линия запроса прерывания", listIrq_, this));
  lists->addStretch();
  Body()->insertLayout(0, lists);
  QSpinBox* freq = Binder().Spin("Частота генератора, Гц", "SpinEditFreq", 0, 25000000,
                                 IntField([this]() -> int32_t& { return card_->Frequency; }), [] {});
  freq->setToolTip("(стандартно 1843200)");
  Grid()->addWidget(new QLabel("(стандартно 1843200)", this), Grid()->rowCount() - 1, 2);
  Binder().Note("После изменения Базового адреса или Линии запроса прерывания установите выбранные "
                "значения перемычками на плате. Подробности в Справочной системе.", "LabelNote");
  Binder().Note("НЕ занимайте IRQ5 с процессором CPС108.", "LabelIrq5");
  Body()->addStretch();
  connect(listAddr_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    card_->SetAddress(static_cast<uint8_t>(listAddr_->row(item) * card_->AddrStep));
    if (card_->Address > 14) card_->SetAddress(255);  // a refused address clears all it held
    RefreshLists();
  });
  connect(listIrq_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    card_->SetIRQ(static_cast<uint8_t>(listIrq_->row(item) + TController::kFirstIrq));
    RefreshLists();
  });
}

void TFrameCardRS::Edit(TObj* obj) {
  card_ = static_cast<TCardRS*>(obj);
  Binder().Fill();
  RefreshLists();
}

void TFrameCardRS::RefreshLists() {
  const TController& c = *card_->Controller;
  std::vector<std::pair<QString, int>> addresses;
  for (int i = 0; i < 8; ++i) {
    const int first = i * card_->AddrStep;
    if (first + card_->AddrCount - 1 > 15) {
      addresses.push_back({QString(), 0});
      continue;
    }
    QString text = QStringLiteral(" %1").arg(first);
    int uses = c.AddrUseCount(first);
    for (int a = first + 1; a < first + card_->AddrCount; ++a) {
      text += QStringLiteral(", %1").arg(a);
      uses = std::max(uses, c.AddrUseCount(a));
    }
    addresses.push_back({text, uses});
  }
  listAddr_->Refresh(addresses, card_->Address == 255 ? -1 : card_->Address / card_->AddrStep);
  std::vector<std::pair<QString, int>> lines;
  for (int line = TController::kFirstIrq; line <= TController::kLastIrq; ++line)
    lines.push_back({QStringLiteral(" IRQ %1").arg(line), c.IrqUseCount(line)});
  listIrq_->Refresh(lines, card_->IRQ == 0 ? -1 : card_->IRQ - TController::kFirstIrq);
}

TFrameCardSimple::TFrameCardSimple(int helpContext, const QString& note, QWidget* parent)
    : TFrame(helpContext, parent) {
  listAddr_ = new TUseList("ListBoxAddr", this);
  listAddr_->setMinimumHeight(16 * 18);
  Body()->insertWidget(0, Titled("Базовый адрес", listAddr_, this), 0, Qt::AlignLeft);
  Binder().Note(note, "LabelNote");
  Body()->addStretch();
  connect(listAddr_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    card_->SetAddress(static_cast<uint8_t>(listAddr_->row(item)));
    RefreshList();  // a refused address shows no selection
  });
}

void TFrameCardSimple::Edit(TObj* obj) {
  card_ = static_cast<TCard*>(obj);
  RefreshList();
}

void TFrameCardSimple::RefreshList() {
  std::vector<std::pair<QString, int>> entries;
  for (int a = 0; a < TController::kAddressCount; ++a)
    entries.push_back({QStringLiteral(" %1").arg(a), card_->Controller->AddrUseCount(a)});
  listAddr_->Refresh(entries, card_->Address == 255 ? -1 : card_->Address);
}

TFramePVS::TFramePVS(QWidget* parent)
    : TFrameCardSimple(410,
                       "После изменения Базового адреса установите выбранное значение перемычками на "
                       "плате. Подробности в Справочной системе.",
                       parent) {}

TFrameUNIO::TFrameUNIO(QWidget* parent)
    : TFrameCardSimple(1,
                       "Данный программный модуль находится в состоянии отладки и на настоящий "
                       "момент требует установки базового адреса 0.",
                       parent) {}

// --- hardware ports ---

TSoftPortLink::TSoftPortLink(QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel("Используется программным портом", this), 0, 0);
  caption_ = new QLabel("-", this);
  caption_->setObjectName("LabelSoftPort");
  layout->addWidget(caption_, 0, 1);
  button_ = new QPushButton("Настроить программный порт", this);
  button_->setObjectName("ButtonSoftPort");
  layout->addWidget(button_, 1, 0, 1, 2, Qt::AlignLeft);
  connect(button_, &QPushButton::clicked, this, [this] {
    if (port_) port_->Controller->ShowSoftPortOf(port_);
  });
}

void TSoftPortLink::Show(THardPort* port) {
  port_ = port;
  const TSoftPort* soft = port->Controller->SoftPortOf(port);
  caption_->setText(soft ? Text(soft->GetCaption()) : QStringLiteral("-"));
  button_->setEnabled(soft != nullptr);
}

TFrameComPort::TFrameComPort(QWidget* parent) : TFrame(150, parent) {
  TBinder& b = Binder();
  auto recalc = [this] { Recalculate(); };
  comboInterface_ = b.Combo("Тип интерфейса", "ComboBoxInterface", {{"RS-232", 0}, {"RS-485", 1}},
                            {[this] { return port_->Interface == kRs485 ? 1 : 0; },
                             [this](int i) { port_->SetInterface(i == 1 ? kRs485 : kRs232); }},
                            [] {});
  TChoices speeds, parities, fifos;
  for (int32_t s : TComPort::kSpeeds) speeds.push_back({QString::number(s), s});
  for (size_t i = 0; i < TComPort::kParityTexts.size(); ++i) parities.push_back({TComPort::kParityTexts[i], int(i)});
  for (uint8_t f : TComPort::kFifoLevels) fifos.push_back({QString::number(f), f});
  comboSpeed_ = b.Combo("Скорость обмена, бит/с", "ComboBoxSpeed", speeds,
                        IntField([this]() -> int32_t& { return port_->Speed; }));
  comboParity_ = b.Combo("Бит контроля чётности", "ComboBoxParity", parities,
                         IntField([this]() -> uint8_t& { return port_->Parity; }));
  spinStop_ = b.Spin("Стоповых битов", "SpinEditStopBits", 1, 2,
                     IntField([this]() -> uint8_t& { return port_->StopBits; }));
  auto* bits = new QLabel(" 8", this);
  bits->setObjectName("LabelDataBits");
  Grid()->addWidget(new QLabel("Битов в байте данных", this), Grid()->rowCount(), 0);
  Grid()->addWidget(bits, Grid()->rowCount() - 1, 1);
  comboFifo_ = b.Combo("Уровень заполнения FIFO", "ComboBoxFifo", fifos,
                       IntField([this]() -> uint8_t& { return port_->FifoLevel; }));
  b.Note(" Интервалы ");
  b.Spin("Длительность разгона, мс", "SpinEditStart", 0, 1000, IntField([this]() -> uint16_t& { return port_->StartTime; }));
  b.Spin("Задержка выключения, мс", "SpinEditEnd", 0, 1000, IntField([this]() -> uint16_t& { return port_->EndTime; }));
  // The receive gap is stored at every change: the calculated gap is judged against it.
  spinGap_ = b.Spin("Выдержка приема, мс", "SpinEditGap", 2, 1000,
                    IntField([this]() -> uint16_t& { return port_->GapTime; }), recalc);
  b.Spin("Пауза перед приёмом, мс", "SpinEditAfter", 0, 1000, IntField([this]() -> uint16_t& { return port_->AfterTime; }));
  b.Note(" Тест передачи ");
  b.Check("Выдавать тестовую передачу при запуске", "CheckBoxTest", IntField([this]() -> uint8_t& { return port_->TestOn; }));
  b.Spin("Длительность выдачи, мс", "SpinEditTestTime", 0, 60000, IntField([this]() -> uint16_t& { return port_->TestTime; }));
  b.Spin("Тестовый байт", "SpinEditTestByte", 0, 255, IntField([this]() -> uint8_t& { return port_->TestByte; }));

  labelFrame_ = new QLabel(this);
  labelFrame_->setObjectName("LabelFrameBits");
  panelGap_ = new QLabel(this);
  panelGap_->setObjectName("PanelGap");
  panelGap_->setAutoFillBackground(true);
  panelGap_->setFont(QFont("monospace"));
  int r = Grid()->rowCount();
  Grid()->addWidget(new QLabel("Общая длина кадра в битах (справочное)", this), r, 0);
  Grid()->addWidget(labelFrame_, r, 1);
  Grid()->addWidget(new QLabel("Выдержка приема, мс (расчётное)", this), r + 1, 0);
  Grid()->addWidget(panelGap_, r + 1, 1, Qt::AlignLeft);
  link_ = new TSoftPortLink(this);
  Body()->addWidget(link_);
  Body()->addStretch();
  for (QComboBox* c : {comboSpeed_, comboParity_, comboFifo_})
    connect(c, &QComboBox::currentIndexChanged, this, recalc);
  connect(spinStop_, &QSpinBox::valueChanged, this, recalc);
}

void TFrameComPort::Edit(TObj* obj) {
  port_ = static_cast<TComPort*>(obj);
  Binder().Fill();
  const bool choose = port_->Allows(kRs485);
  comboInterface_->setVisible(choose);
  if (QLabel* label = Binder().LabelOf(comboInterface_)) label->setVisible(choose);
  link_->Show(port_);
  Recalculate();
}

// Frame length and the shortest safe receive gap from the values shown (not yet applied).
void TFrameComPort::Recalculate() {
  if (!port_ || Binder().Filling()) return;
  const int bits = 10 + (comboParity_->currentIndex() > 0 ? 1 : 0) + (spinStop_->value() == 2 ? 1 : 0);
  labelFrame_->setText(QString::number(bits));
  const int speed = comboSpeed_->currentIndex() >= 0 ? comboSpeed_->currentData().toInt() : port_->Speed;
  const int fifo = comboFifo_->currentIndex() >= 0 ? comboFifo_->currentData().toInt() : port_->FifoLevel;
  const double msPerBit = speed > 0 ? 1000.0 / speed : 0.0;
  const double gap = fifo == 1 ? msPerBit * bits + 1 : msPerBit * (bits * (fifo - 1) + 44);
  panelGap_->setText(QString::fromStdString(Format("%10.3f", {gap})));
  QPalette p = panelGap_->palette();
  p.setColor(QPalette::Window, spinGap_->value() >= gap ? QColor(0, 128, 0) : QColor(255, 0, 0));
  p.setColor(QPalette::WindowText, Qt::white);
  panelGap_->setPalette(p);
}

TFrameModem::TFrameModem(QWidget* parent) : TFrame(420, parent) {
  link_ = new TSoftPortLink(this);
  Body()->addWidget(link_);
  Binder().Note("Модемный порт настройки не требует. Его параметры (частоты, скорость и пр.) задаёт "
                "управляющий программный порт.  ", "LabelNote");
  Body()->addStretch();
}

void TFrameModem::Edit(TObj* obj) { link_->Show(static_cast<THardPort*>(obj)); }

void RegisterModelFrames() {
  auto reg = [](const char* name, auto make) {
    RegisterFrame(name, [make](TObj&, QWidget* parent) -> TFrame* { return make(parent); });
  };
  reg("TStation", [](QWidget* p) { return new TFrameStation(p); });
  reg("TController", [](QWidget* p) { return new TFrameController(p); });
  reg("TProcessor", [](QWidget* p) { return new TFrameProcessor(p); });
  for (const TCardRSKind* kind : {&kCard5554Kind, &kCard5558Kind, &kCardPPIKind}) {
    const int help = kind->helpContext;
    RegisterFrame(kind->className, [help](TObj&, QWidget* p) -> TFrame* { return new TFrameCardRS(help, p); });
  }
  reg("TCardPVS", [](QWidget* p) { return new TFramePVS(p); });
  reg("TCardUNIO", [](QWidget* p) { return new TFrameUNIO(p); });
  reg("TComPort", [](QWidget* p) { return new TFrameComPort(p); });
  reg("TModem", [](QWidget* p) { return new TFrameModem(p); });
}

}  // namespace vlm
