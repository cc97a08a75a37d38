#include "model/ui/FrameComPort.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/Format.h"
#include "model/Cards.h"
#include "model/ui/SoftPortLink.h"
#include "shell/HelpTopics.h"

namespace vlm {

TFrameComPort::TFrameComPort(QWidget* parent) : TFrame(HelpContextOf("TComPort"), parent) {
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

}  // namespace vlm
