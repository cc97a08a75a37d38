#include "blackbox/SiriusTables.h"

#include <array>

namespace vlm {
namespace {

using TFnTable = std::array<TSiriusFn, 256>;

struct TFnRow {
  uint8_t code;
  TSiriusFn fn;
};

constexpr TFnRow kBaseRows[] = {
    {0x0A, {"ТИ_3б", 49, kSiriusKindTelemetering, "ТелеИзмерение 3-байтовое"}},
    {0x0C, {"ТИ_3б", 49, kSiriusKindTelemetering, "ТелеИзмерение 3-байтовое"}},
    {0x10, {"ТИ   ", 48, kSiriusKindTelemetering, "ТелеИзмерение"}},
    {0x20, {"ТИ   ", 48, kSiriusKindTelemetering, "ТелеИзмерение"}},
    {0x31, {"УстВр", 100, kSiriusKindOther, "Установка астрономического Bремени"}},
    {0x33, {"УстАл", 111, kSiriusKindOther, "Установка Алгоритмов Обработки (Щит)"}},
    {0x34, {"ОконП", 4, kSiriusKindOther, "Окончание Проверки мигания ламп (Щит)"}},
    {0x41, {"ОтМиг", 4, kSiriusKindOther, "Отмена Мигания ламп (Щит)"}},
    {0x42, {"ПрМиг", 4, kSiriusKindOther, "Проверка Мигания ламп (Щит)"}},
    {0x43, {"УстЗГ", 111, kSiriusKindOther, "Установка Задействованности Групп"}},
    {0x44, {"УстЗС", 111, kSiriusKindOther, "Установка Задействованности Сигналов"}},
    {0x45, {"УстДИ", 99, kSiriusKindOther, "Установка Дельт Измерений"}},
    {0x46, {"Квит ", 32, kSiriusKindReceipt, "Квитанция"}},
    {0x47, {"Конфг", 110, kSiriusKindOther, "Конфигурация ОРТАКСа"}},
    {0x48, {"Ошибк", 111, kSiriusKindOther, "Ошибка"}},
    {0x49, {"ОбщТ ", 4, kSiriusKindOther, "посылка Общего типа"}},
    {0x50, {"ОТ   ", 46, kSiriusKindReceipt, "Опрос Требований"}},
    {0x56, {"ОБД  ", 224, kSiriusKindDataBase, "Обновление Базы Данных"}},
    {0x70, {"ТУВкл", 79, kSiriusKindTelecontrol, "ТелеУправление Включить"}},
    {0x78, {"ТИ3Ф ", 49, kSiriusKindTelemetering, "ТИ 3-байтовые с флагами задействования"}},
    {0x79, {"ТИ3ФД", 49, kSiriusKindTelemetering, "ТИ 3-байтовые с фл.задейств. и достов."}},
    {0x7A, {"ТИ3Ф ", 49, kSiriusKindTelemetering, "ТИ 3-байтовые с флагами задействования"}},
    {0x7B, {"ТИ3ФД", 49, kSiriusKindTelemetering, "ТИ 3-байтовые с фл.задейств. и достов."}},
    {0x7D, {"ДостИ", 46, kSiriusKindReceipt, "Достоверность информации с пасс. порта"}},
    {0x90, {"ТС   ", 31, kSiriusKindTelesignal, "ТелеСигнал"}},
    {0xAE, {"Массв", 15, kSiriusKindOther, "Массив"}},
    {0xE0, {"ТУОтк", 79, kSiriusKindTelecontrol, "ТелеУправление Отключить"}},
    {0xE1, {"НеоИн", 39, kSiriusKindOther, "Неопределённая Информация"}},
    {0xF0, {"ТСК  ", 31, kSiriusKindTelesignal, "ТелеСигнал Контрольный"}},
    {0xF1, {"ТСКН ", 31, kSiriusKindTelesignal, "ТелеСигнал Контрольный Новый"}},
    {0xFE, {"ТестМ", 225, kSiriusKindModemTest, "Тесты Модема"}},
};

// Changes of a direction table against the base: a new name and/or a new colour (0 keeps).
struct TDirChange {
  uint8_t code;
  std::string_view name;  // empty keeps the base name
  uint8_t colour;
};

constexpr TDirChange kFromKp[] = {{0x56, "КвОБД", 0}, {0x70, "КвТУВ", 0}, {0xE0, "КвТУО", 0}};
constexpr TDirChange kFromPu[] = {{0x10, "ЗТИ  ", 49}, {0x20, "ЗТИ  ", 49}, {0x50, "", 47},
                                  {0x90, "ЗТС  ", 30}, {0xF0, "ЗТСК ", 30}, {0xF1, "ЗТСКН", 30}};

constexpr TFnTable BuildBase() {
  TFnTable table{};
  for (TSiriusFn& fn : table) fn = {"?????", kSiriusColourUndefined, kSiriusKindOther, ""};
  for (const TFnRow& row : kBaseRows) table[row.code] = row.fn;
  return table;
}

template <size_t N>
constexpr TFnTable BuildDir(const TDirChange (&changes)[N]) {
  TFnTable table = BuildBase();
  for (const TDirChange& change : changes) {
    if (!change.name.empty()) table[change.code].name = change.name;
    if (change.colour) table[change.code].colour = change.colour;
  }
  return table;
}

constexpr TFnTable kBase = BuildBase();
constexpr TFnTable kDirTables[2] = {BuildDir(kFromKp), BuildDir(kFromPu)};

struct TModuleRow {
  uint8_t type;
  std::string_view name;
};

constexpr TModuleRow kModules[] = {
    {0x80, "Flow PC"},     {0x91, "ВДС-16(2Г)новый"}, {0x92, "ДСЩ-16/32"},
    {0x93, "ВТУ-32(4Г)новый"}, {0x94, "ВТИ-32(4Г)"},  {0x95, "ВТИИ16(2Г)"},
    {0x96, "ВТР-8 (8Г)"},  {0xA1, "ВДС-32(4Г)новый"}, {0xB4, "ВТИ-16(2Г)ВильнюсБиполярный"},
    {0xB6, "ВТИ-32AI"},    {0xB7, "БВС-7"},           {0xC4, "ВТИ-16(2Г)ВильнюсУниполярный"},
    {0xEE, "ВДС-16(2Г)Вильнюс"}, {0xF1, "ВДС-16(2Г)"}, {0xF2, "ДСЩ-16(2Г)"},
    {0xF3, "ВТУ-8 (1Г)"},  {0xF4, "ВТИ-16(2Г)"},      {0xF5, "ВТИИ-8(1Г)"},
    {0xF6, "ВТР-4 (4Г)"},  {0xF7, "ВДС-64(8Г)"},      {0xF8, "ВТУ-32(4Г)"},
    {0xFE, "ВДС-48(6Г)"},  {0xFF, "нет"},
};

}  // namespace

const TSiriusFn& SiriusBaseFn(uint8_t code) { return kBase[code]; }

const TSiriusFn& SiriusDirFn(uint8_t direction, uint8_t code) {
  return kDirTables[direction == 0 ? 0 : 1][code];
}

std::string_view SiriusModuleName(uint8_t moduleType) {
  for (const TModuleRow& row : kModules)
    if (row.type == moduleType) return row.name;
  return "???";
}

}  // namespace vlm
