#include "ports/PortMenus.h"

#include <map>
#include <vector>

#include "model/Kinds.h"
#include "ports/PointKind.h"
#include "ports/PortKind.h"

namespace vlm {

namespace {

constexpr TMenuEntry kSeparator{};
constexpr TMenuEntry kDelete{"ActionDelete", "Удалить"};

TMenuEntry PointEntry(uint8_t typeId) {
  const TPointKind* kind = FindPointKind(typeId);
  return {kind->action, kind->actionText};
}

std::vector<TMenuEntry> ProcessorMenu() {
  std::vector<TMenuEntry> entries;
  for (const TPortKind* kind : PortKinds())
    if (kind->inMenu) entries.push_back({kind->action, kind->actionText, !kind->hiddenInMenu});
  entries.push_back(kSeparator);
  entries.push_back({"ActionSortPorts", "Сортировать Порты по номеру"});
  return entries;
}

// A port menu: the actions adding its points, a separator and "Удалить".
std::vector<TMenuEntry> PortMenu(std::initializer_list<uint8_t> pointIds, bool sistel = false) {
  std::vector<TMenuEntry> entries;
  for (uint8_t id : pointIds) entries.push_back(PointEntry(id));
  // The СИСТЕЛ point was announced but never built: the entry stays, disabled.
  if (sistel) entries.push_back({"ActionNewPointSISTEL", "Добавить КП СИСТЕЛ", true, false});
  entries.push_back(kSeparator);
  entries.push_back(kDelete);
  return entries;
}

const std::map<TPopupMenu, std::vector<TMenuEntry>>& Menus() {
  static const std::map<TPopupMenu, std::vector<TMenuEntry>> menus = {
      {TPopupMenu::Processor, ProcessorMenu()},
      {TPopupMenu::PortActive, PortMenu({100, 105, 102, 108}, true)},
      {TPopupMenu::PortPCE, PortMenu({104})},
      {TPopupMenu::PortPC4, PortMenu({106})},
      {TPopupMenu::PortTKR, PortMenu({107})},
      {TPopupMenu::Port104, PortMenu({109})},
      {TPopupMenu::PortLisnaV, PortMenu({112})},
      {TPopupMenu::PortLisnaM, PortMenu({111})},
      {TPopupMenu::PortModbus, PortMenu({114})},
      {TPopupMenu::PortLisnaC, {kDelete}},
      {TPopupMenu::Delete, {kDelete}},
      {TPopupMenu::HardPort, {{"ActionCancel", "Отмена"}}},
      {TPopupMenu::None, {}},
  };
  return menus;
}

}  // namespace

std::span<const TMenuEntry> MenuEntries(TPopupMenu menu) {
  const auto it = Menus().find(menu);
  if (it == Menus().end()) return {};
  return it->second;
}

}  // namespace vlm
