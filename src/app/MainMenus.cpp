#include "app/MainMenus.h"

#include <cstring>
#include <utility>

namespace vlm {

namespace {

constexpr TMenuEntry kSeparator{};

constexpr TMenuEntry kStationMenu[] = {
    {"ActionNewController", "Добавить контроллер"},
    kSeparator,
    {"ActionNew", "Создать новую конфигурацию"},
    kSeparator,
    {"ActionOpen", "Читать конфигурацию из файла..."},
    {"ActionRead", "Читать конфигурацию из контроллера"},
    kSeparator,
    {"ActionSave", "Сохранить конфигурацию в файле..."},
    {"ActionWrite", "Записать конфигурацию в контроллер"},
};

constexpr TMenuEntry kControllerMenu[] = {
    {"ActionNewCardPVS", "Добавить плату ПВС"},
    {"ActionNewCard5554", "Добавить плату 5554"},
    {"ActionNewCard5558", "Добавить плату 5558"},
    {"ActionNewCardPPI", "Добавить плату ППИ"},
    {"ActionNewCardUNIO96", "Добавить плату UNIO96", false},
    kSeparator,
    {"ActionSortCards", "Сортировать Платы по адресу"},
    kSeparator,
    {"ActionDelete", "Удалить"},
};

}  // namespace

std::span<const TMenuEntry> PopupEntries(TPopupMenu kind) {
  if (kind == TPopupMenu::Station) return kStationMenu;
  if (kind == TPopupMenu::Controller) return kControllerMenu;
  return MenuEntries(kind);
}

const char* CompanionPointOf(const char* portClass) {
  static const std::pair<const char*, const char*> companions[] = {
      {"TPortLisnaC", "TPointLisnaC"}, {"TPortVLM", "TPointVLM"}};
  for (const auto& [port, point] : companions)
    if (std::strcmp(port, portClass) == 0) return point;
  return nullptr;
}

}  // namespace vlm
