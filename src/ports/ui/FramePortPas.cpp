#include "ports/ui/FramePortPas.h"

#include <QSpinBox>

#include "ports/PortKind.h"

namespace vlm {
namespace {
int gPage = 0;  // the page last used in any passive port frame
constexpr int64_t kPhaseModulation = 8;
}  // namespace

TFramePortPas::TFramePortPas(QWidget* parent)
    : TReaddrPortFrame(gPage, "TPortPassive", parent) {
  // The number, point and modem controls write into the port as soon as they change.
  const auto now = [] {};
  TBinder& point = AddSettingsPage("КП");
  ItemSpin(point, 111, now);
  ItemRadio(point, 112, now);
  ItemRadio(point, 113, [this] { ModulationChanged(); });
  for (uint8_t id : {6, 115}) ItemSpin(point, id, now);
  f1_ = ItemSpin(point, 116, now);
  for (uint8_t id : {117, 119}) ItemSpin(point, id, now);

  ItemSpin(BinderOn(AddTablePage("Сигналы", TOwnerTableId::PasTs, 0)), 145);
  TBinder& ti = BinderOn(AddTablePage("Измерения", TOwnerTableId::PasTi, 1));
  Radio(ti, "Выдача данных в группе", "RadioGroupTIData",
        {{"Только изменённые параметры", 0}, {"Вся группа целиком", 1}}, SendFlag(1));
  Radio(ti, "Выдача групп", "RadioGroupTIGroups", {{"По изменению данных", 0}, {"По внешнему запросу", 1}},
        SendFlag(2));
  ItemRadio(ti, 215);
  AddTablePage("Управление", TOwnerTableId::PasTu, 2);
  AddTablePage("Массивы", TOwnerTableId::PasArrays, 3);
}

// One bit of the TI send flags as a 0/1 choice.
TIntAccess TFramePortPas::SendFlag(int bit) {
  return {[this, bit] { return static_cast<int>((Values()->Get(144) >> bit) & 1); },
          [this, bit](int v) {
            const int64_t flags = Values()->Get(144) & ~(int64_t{1} << bit);
            Values()->Set(144, flags | (int64_t{v != 0} << bit));
          }};
}

void TFramePortPas::ModulationChanged() { f1_->setEnabled(Values()->Get(113) != kPhaseModulation); }

}  // namespace vlm
