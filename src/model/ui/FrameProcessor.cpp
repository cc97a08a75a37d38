#include "model/ui/FrameProcessor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "model/Cards.h"
#include "shell/HelpTopics.h"

namespace vlm {

TFrameProcessor::TFrameProcessor(QWidget* parent) : TFrame(HelpContextOf("TProcessor"), parent) {
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

}  // namespace vlm
