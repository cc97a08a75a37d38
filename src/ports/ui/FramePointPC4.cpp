#include "ports/ui/FramePointPC4.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "common/Prompt.h"
#include "ports/PointKind.h"
#include "ports/ui/ReaddrPage.h"
#include "ports/ui/ReaddrTable.h"

namespace vlm {
namespace {
int gPage = 0;  // the page last used in any frame of this type
constexpr size_t kTiTable = 0, kTsTable = 1;
constexpr int kObjectColumnTi = 8, kObjectColumnTs = 5;
}  // namespace

TFramePointPC4::TFramePointPC4(QWidget* parent)
    : TReaddrPointFrame(gPage, "TPointPC4", parent) {
  TBinder& pc = AddSettingsPage("ЭВМ");
  ItemCheck(pc, 196);
  AddNumberAndPlace(pc);
  AddIpRow(pc);
  pc.Note("IP адрес 0.0.0.0 означает, что к контроллеру может подключиться ЭВМ с любым адресом (НЕ рекомендуется).");
  for (uint8_t id : {164, 165, 166, 167, 168, 169, 179}) ItemSpin(pc, id);

  TReaddrPage* ts = AddTablePage("Сигналы", TOwnerTableId::Pc4Ts, kTsTable);
  TBinder& tsTop = BinderOn(ts);
  Switched(ts, static_cast<QCheckBox*>(ItemCheck(tsTop, 200)));
  ItemSpin(tsTop, 202);
  ItemSpin(tsTop, 204);
  TReaddrPage* ti = AddTablePage("Измерения", TOwnerTableId::Pc4Ti, kTiTable);
  TBinder& tiTop = BinderOn(ti);
  Switched(ti, static_cast<QCheckBox*>(ItemCheck(tiTop, 199)));
  ItemCheck(tiTop, 220);
  ItemSpin(tiTop, 201);
  ItemSpin(tiTop, 203);
}

// Four octet boxes over the one 32-bit address, first octet in the high byte.
void TFramePointPC4::AddIpRow(TBinder& binder) {
  auto* row = new QWidget(binder.Grid()->parentWidget());
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  const int gridRow = binder.Grid()->rowCount();
  for (int octet = 0; octet < 4; ++octet) {
    const int shift = 24 - 8 * octet;
    const std::string name = "SpinEditIP" + std::to_string(octet + 1);
    QSpinBox* spin = binder.Spin(QString(), name.c_str(), 0, 255,
                                 {[this, shift] { return static_cast<int>((Values()->Get(1) >> shift) & 0xFF); },
                                  [this, shift](int v) {
                                    const int64_t ip = Values()->Get(1) & ~(int64_t{0xFF} << shift);
                                    Values()->Set(1, ip | (int64_t{v} << shift));
                                  }});
    binder.Grid()->removeWidget(spin);
    spin->setMinimumWidth(60);
    layout->addWidget(spin);
  }
  layout->addStretch(1);
  binder.Grid()->addWidget(new QLabel("IP адрес", row->parentWidget()), gridRow + 4, 0);
  binder.Grid()->addWidget(row, gridRow + 4, 1);
}

void TFramePointPC4::Switched(TReaddrPage* page, QCheckBox* check) {
  switches_.emplace_back(page, check);
  auto apply = [page, check] {
    const bool on = check->isChecked();
    for (QWidget* w : page->Top()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (w != check) w->setEnabled(on);
    page->Table()->setEnabled(on);
  };
  connect(check, &QCheckBox::toggled, this, apply);
}

void TFramePointPC4::Edited() {
  // The check boxes may already show what the point holds; apply their enabling either way.
  for (auto [page, check] : switches_) emit check->toggled(check->isChecked());
}

bool TFramePointPC4::CheckTable(TReaddrPage& page, const TOwnerStore& store) {
  const bool ts = page.Id() == TOwnerTableId::Pc4Ts;
  const auto fault = FindPc4Fault(page.Id(), store.bytes, static_cast<unsigned>(Values()->Get(ts ? 204 : 203)));
  if (!fault) return true;
  page.ShowStoredRow(store, fault->overflow ? fault->clash.first : fault->clash.second, ts ? kObjectColumnTs : kObjectColumnTi);
  ShowError(Pc4FaultText(Point()->GetCaption(), page.Id(), *fault));
  return false;
}

}  // namespace vlm
