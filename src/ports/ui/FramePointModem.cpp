#include "ports/ui/FramePointModem.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "ports/PointKind.h"
#include "ports/ui/TIGroupEditor.h"

namespace vlm {

namespace {

constexpr int kPhase = 8;

bool Has(const std::vector<uint8_t>& ids, uint8_t id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

}  // namespace

const TModemPointLayout& SiriusLayout() {
  static const TModemPointLayout layout{
      {111, 149, 151, 112, 123, 152, 197, 198, 218, 214, 191, 192, 193},
      {113, 6, 115, 116, 210, 211, 117, 114, 119, 120},
      {118, 121, 122, 126, 127},
      "!!! Для настройки параметров связи должен быть известен аппаратный порт. Выберите аппаратный "
      "порт в настройках Активного Порта, к которому подключен этот КП.",
      0, 16, 16, true};
  return layout;
}

const TModemPointLayout& Tm120Layout() {
  static const TModemPointLayout layout{
      {111, 149, 123, 118, 121},
      {6, 115, 116, 117, 114, 119, 120},
      {},
      SiriusLayout().hint,
      1, 4, 1, false};
  return layout;
}

const TModemPointLayout& Point101Layout() {
  static const TModemPointLayout layout{
      {111, 149, 123},
      {113, 6, 115, 116, 117, 114, 119, 120},
      {156, 157, 121, 158, 118, 159, 160, 161},
      "!!! Перед настройкой параметров связи Вы должны выбрать аппаратный порт в настройках "
      "Активного Порта, управляющего этим КП.",
      0, 16, 16, false};
  return layout;
}

const TModemPointLayout& PointTkrLayout() {
  static const TModemPointLayout layout{
      {183, 111, 149, 151, 123},
      {113, 6, 115, 116, 117, 114, 119, 120},
      {118, 121, 126, 127},
      "!!! Для настройки параметров связи должен быть известен аппаратный порт. Выберите аппаратный "
      "порт в настройках Порта, к которому подключен этот КП.",
      0, 16, 16, false};
  return layout;
}

TFramePointModem::TFramePointModem(const TPointKind& kind, const TModemPointLayout& layout, QWidget* parent)
    : TFramePointItems(kind, parent, false), layout_(layout) {
  BuildGeneral();
  BuildLink();
  QWidget* page = nullptr;
  NewPage(QStringLiteral("ТелеИзмерения"), &page);
  groups_ = new TTIGroupEditor(layout.groupFirst, layout.groupColumns, layout.groupRows, layout.groupParameters, page);
  static_cast<QVBoxLayout*>(page->layout())->insertWidget(0, groups_);
}

void TFramePointModem::BuildGeneral() {
  TItemPage& page = NewPage(QStringLiteral("Параметры КП"));
  for (uint8_t id : layout_.general) {
    page.Add(id);
    if (id == 218)
      page.Binder().Note(QStringLiteral("86-ОБД(56h), 144-ТС(90h), 240-ТСК(F0h)"), "LabelControlFunc");
  }
  auto* row = new QHBoxLayout;
  auto* toTemplate = new QPushButton(QStringLiteral("В шаблон КП"), this);
  toTemplate->setObjectName("ButtonToTemplateKP");
  fromTemplate_ = new QPushButton(QStringLiteral("Настроить по шаблону"), this);
  fromTemplate_->setObjectName("ButtonFromTemplateKP");
  row->addWidget(toTemplate);
  row->addWidget(fromTemplate_);
  row->addStretch(1);
  page.Grid()->addLayout(row, page.Grid()->rowCount(), 0, 1, 2);
  connect(toTemplate, &QPushButton::clicked, this, [this] {
    if (!Point()) return;
    Apply();
    PointTemplates().Store(*Point());
    fromTemplate_->setEnabled(true);
  });
  connect(fromTemplate_, &QPushButton::clicked, this, [this] {
    if (Point() && PointTemplates().Apply(*Point())) Edit(Point());
  });
}

void TFramePointModem::BuildLink() {
  QWidget* page = nullptr;
  linkPage_ = &NewPage(QStringLiteral("Параметры связи"), &page);
  hint_ = NoteLabel(QString::fromUtf8(layout_.hint), "LabelHint", page);
  QFont bold = hint_->font();
  bold.setBold(true);
  hint_->setFont(bold);
  linkPage_->Grid()->addWidget(hint_, 0, 0, 1, 3);
  modemPanel_ = new QWidget(page);
  modemPanel_->setObjectName("PanelModem");
  auto* modemGrid = new QGridLayout(modemPanel_);
  modemGrid->setContentsMargins(0, 0, 0, 0);
  modemGrid->setColumnStretch(2, 1);
  linkPage_->Grid()->addWidget(modemPanel_, 1, 0, 1, 3);
  modemPage_ = &PageOn(modemPanel_, modemGrid);
  for (uint8_t id : layout_.modem) modemPage_->Add(id);
  if (Has(layout_.modem, 210)) CopyButton(*modemPage_, 115, 210, "ButtonCopyF0");
  if (Has(layout_.modem, 211)) CopyButton(*modemPage_, 116, 211, "ButtonCopyF1");
  for (uint8_t id : layout_.link) {
    if (id == 127) continue;  // on the line of its criterion
    linkPage_->Add(id);
    if (id == 126) LinkLossLine(*linkPage_);
  }
}

// ">" beside a receive frequency copies the transmit frequency into it.
void TFramePointModem::CopyButton(TItemPage& page, uint8_t from, uint8_t to, const char* name) {
  auto* source = static_cast<QSpinBox*>(page.Control(from));
  auto* target = static_cast<QSpinBox*>(page.Control(to));
  auto* button = new QPushButton(QStringLiteral(">"), modemPanel_);
  button->setObjectName(name);
  button->setFixedWidth(30);
  const int row = page.Grid()->indexOf(target);
  int r = 0, c = 0, rs = 0, cs = 0;
  page.Grid()->getItemPosition(row, &r, &c, &rs, &cs);
  page.Grid()->addWidget(button, r, 2, Qt::AlignLeft);
  connect(button, &QPushButton::clicked, target, [source, target] { target->setValue(source->value()); });
}

// "Истечение" [time] "мс" "с момента приема последней посылки" on the second radio line.
void TFramePointModem::LinkLossLine(TItemPage& page) {
  auto* box = static_cast<QGroupBox*>(page.Control(126));
  auto* boxGrid = static_cast<QGridLayout*>(box->layout());
  auto* time = page.Add(127);
  QLabel* unit = page.LabelOf(time);
  page.Grid()->removeWidget(time);
  page.Grid()->removeWidget(unit);
  auto* line = new QHBoxLayout;
  line->addWidget(time);
  line->addWidget(unit);
  line->addWidget(new QLabel(QStringLiteral("с момента приема последней посылки"), box));
  line->addStretch(1);
  boxGrid->addLayout(line, 1, 1);
}

void TFramePointModem::Edited() {
  const uint8_t hard = Point()->HardInterface();
  modemPanel_->setVisible(hard == kModemLine);
  hint_->setVisible(hard == 0);
  fromTemplate_->setEnabled(PointTemplates().Has(PointKind().typeId));
  groups_->SetGroups(Point()->Groups.get());
  ShowModulation();
  ShowLinkLoss();
}

void TFramePointModem::ItemChanged(uint8_t id) {
  TFramePointItems::ItemChanged(id);
  if (id == 113) ShowModulation();
  if (id == 126) ShowLinkLoss();
}

// Phase modulation has one carrier: the "0" frequency becomes the carrier, the "1" is unused.
void TFramePointModem::ShowModulation() {
  QWidget* f0 = modemPage_->Control(115);
  QWidget* f1 = modemPage_->Control(116);
  if (!f0 || !f1 || !Point() || !Point()->Values.Has(113)) return;
  const bool phase = Point()->Values.Get(113) == kPhase;
  if (QLabel* label = modemPage_->LabelOf(f0))
    label->setText(phase ? QStringLiteral("Частота несущей, Гц") : QStringLiteral("Частота сигнала \"0\", Гц"));
  f1->setEnabled(!phase);
}

void TFramePointModem::ShowLinkLoss() {
  if (QWidget* time = linkPage_->Control(127)) time->setEnabled(Point()->Values.Get(126) == 2);
}

}  // namespace vlm
