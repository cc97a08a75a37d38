#include "blackbox/IecTables.h"

#include <array>
#include <string>
#include <vector>

namespace vlm::iec {
namespace {

// Secondary-station (direction 0) and primary-station (direction 1) functions.
constexpr std::array<std::array<TNamedColour, 16>, 2> kLinkFunctions = {{
    {{{"ПоложКвитан", 46}, {"ОтрицКвитан", 36}, {"Резерв     ", 96}, {"Резерв     ", 96},
      {"Резерв     ", 96}, {"Резерв     ", 96}, {"РезПоСоглас", 96}, {"РезПоСоглас", 96},
      {"ПользовДанн", 47}, {"ДаннОтсутст", 96}, {"Резерв     ", 96}, {"СостКанала ", 47},
      {"Резерв     ", 96}, {"РезПоСоглас", 96}, {"СервНеРабот", 64}, {"СервисаНет ", 64}}},
    {{{"СбрсУдалКан", 111}, {"СбрПроцесса", 110}, {"РезервБалан", 96}, {"ПользовДанн", 96},
      {"ПользовДанн", 96}, {"Резерв     ", 96}, {"РезПоСоглас", 96}, {"РезПоСоглас", 96},
      {"ЗапрНалДанн", 96}, {"ЗапрСостКан", 110}, {"ЗапрДаннКл1", 111}, {"ЗапрДаннКл2", 111},
      {"Резерв     ", 96}, {"Резерв     ", 96}, {"РезПоСоглас", 96}, {"РезПоСоглас", 96}}},
}};

struct TTypeRow {
  unsigned type;
  TNamedColour info;
};

constexpr TTypeRow kTypes[] = {
    {1, {"ОдноэлИнфоБезВр", 31}}, {2, {"ОдноэлИнформВр3", 31}}, {9, {"ИзмерНормализов", 31}},
    {11, {"ИзмерМасштабир", 48}}, {13, {"ИзмерПлавЗапят", 48}},   {15, {"ИнтегралСуммы ", 49}},
    {30, {"ОдноэлИнфорВр7", 31}}, {35, {"ИзмерМасштВр7 ", 48}},   {36, {"ИзмерПлавЗпВр7", 48}},
    {45, {"ОднопозКоманда", 79}}, {46, {"ДвухпозКоманда", 79}},   {70, {"ОкончанИнициал", 47}},
    {100, {"КомандаОпроса", 46}}, {102, {"КомандаЧтения", 32}},   {103, {"КомСинхрЧасов", 39}},
    {104, {"КомандаТестир", 81}}, {174, {"Двоичн_Массив", 15}},
};
constexpr TNamedColour kUnknownType = {"__???___???__", 0};

// A run of consecutive values that share a name; a numbered run appends value - base to it.
struct TNameRun {
  unsigned first, last;
  const char* name;
  int numberBase;  // -1: the name as it stands
};

constexpr TNameRun kCauses[] = {
    {0, 0, "По_умолчанию", -1}, {1, 1, "Периодически", -1}, {2, 2, "ФоновоеСкан.", -1},
    {3, 3, "Спорадически", -1}, {4, 4, "СообщОбИниц.", -1}, {5, 5, "ЗапросДанные", -1},
    {6, 6, "Активация   ", -1}, {7, 7, "ПодтвАктивац", -1}, {8, 8, "Деактивация ", -1},
    {9, 9, "ПодтвДеактив", -1}, {10, 10, "ЗавершАктив", -1}, {11, 11, "ОбрИнфУдалК", -1},
    {12, 12, "ОбрИнфМестК", -1}, {13, 13, "ПередачФайл", -1}, {14, 19, "Резерв14_19", -1},
    {20, 20, "ОтвОпрСтанц", -1}, {21, 29, "ОтвОпросГр", 20}, {30, 36, "ОтвОпросГ", 20},
    {37, 37, "ОтвОбщЗпрСч", -1}, {38, 41, "ОтвЗпрГрСч", 37}, {42, 43, "Резерв42_43", -1},
    {44, 44, "?ИдентфТипа", -1}, {45, 45, "?ПричПередч", -1}, {46, 46, "?ОбщАдрASDU", -1},
    {47, 47, "?АдрОбъекта", -1}, {48, 63, "ЧастнДиапаз", -1},
};

constexpr TNameRun kInitCauses[] = {
    {0, 0, "МестВключениеПитания", -1}, {1, 1, "МестРучВозврВИсхСост", -1},
    {2, 2, "УдалённВозврВИсхСост", -1}, {3, 31, "РезервДляСтандарта", -1},
    {32, 127, "РезервДляСпецПримен", -1},
};

constexpr TNameRun kInterrogations[] = {
    {0, 0, "ОписЗапНеИсп", -1},  {1, 19, "РезСтандарта", -1},  {20, 20, "ОпросСтанции", -1},
    {21, 36, "ОпросГруппы", 20}, {37, 63, "РезСтандарта", -1}, {64, 255, "РезСпецПримен", -1},
};

// Expands the runs once into one name per value, so a look-up is an index.
template <size_t N>
std::vector<std::string> Expand(const TNameRun (&runs)[N]) {
  std::vector<std::string> names(runs[N - 1].last + 1);
  for (const TNameRun& run : runs)
    for (unsigned v = run.first; v <= run.last; ++v)
      names[v] = run.numberBase < 0 ? run.name : run.name + std::to_string(v - run.numberBase);
  return names;
}

std::string_view Pick(const std::vector<std::string>& names, unsigned value) {
  return value < names.size() ? std::string_view(names[value]) : std::string_view("???");
}

}  // namespace

TNamedColour LinkFunction(bool fromControlledStation, unsigned function) {
  return kLinkFunctions[fromControlledStation ? 0 : 1][function & 0x0F];
}

TNamedColour TypeInfo(unsigned type) {
  for (const TTypeRow& row : kTypes)
    if (row.type == type) return row.info;
  return kUnknownType;
}

std::string_view CauseName(unsigned cause) {
  static const std::vector<std::string> names = Expand(kCauses);
  return Pick(names, cause);
}

std::string_view InitCauseName(unsigned cause) {
  static const std::vector<std::string> names = Expand(kInitCauses);
  return Pick(names, cause);
}

std::string_view InterrogationName(unsigned qualifier) {
  static const std::vector<std::string> names = Expand(kInterrogations);
  return Pick(names, qualifier);
}

}  // namespace vlm::iec
