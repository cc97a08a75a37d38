// The readdressing tables of every owner, one line per grid column.
#include "ports/ReaddrOwners.h"

#include <array>

namespace vlm {
namespace {

using K = TDataKind;
using S = TSortKind;

struct TCol {
  TReaddrColumn column;
  TCellPlace place;
};

TCol Col(const char* title, K kind, uint8_t offset, int min, int max, S role = S::None) {
  TCol c;
  c.column.title = title;
  c.column.kind = kind;
  c.column.minimum = static_cast<uint16_t>(min);
  c.column.maximum = static_cast<uint16_t>(max);
  c.column.sortRole = role;
  c.place.offset = offset;
  if (kind == K::BitsMsbFirst || kind == K::BitsLsbFirst) c.column.validChars = BitListChars();
  if (kind == K::Real48 || kind == K::Single) c.column.validChars = FractionChars();
  if (kind == K::Flag) c.column.validChars = BinaryChars();
  return c;
}
TCol Num(const char* title, uint8_t offset, int min, int max, S role = S::None) {
  return Col(title, K::Byte, offset, min, max, role);
}
TCol Word(const char* title, uint8_t offset, int min, int max, S role = S::None) {
  return Col(title, K::Word, offset, min, max, role);
}
// Parameter numbers 1..8 take only the digits 1 to 8.
TCol Param(const char* title, uint8_t offset, S role = S::None) {
  TCol c = Num(title, offset, 1, 8, role);
  c.column.validChars = "12345678";
  return c;
}
TCol MsbBits(const char* title, uint8_t offset, S role = S::None) { return Col(title, K::BitsMsbFirst, offset, 1, 8, role); }
TCol LsbBits(const char* title, uint8_t offset, S role = S::None) { return Col(title, K::BitsLsbFirst, offset, 1, 8, role); }
TCol Single(const char* title, uint8_t offset) { return Col(title, K::Single, offset, 0, 0); }
TCol SingleE(const char* title, uint8_t offset) {
  TCol c = Single(title, offset);
  c.column.validChars = FractionExpChars();
  return c;
}
TCol Real(const char* title, uint8_t offset) { return Col(title, K::Real48, offset, 0, 0); }
// External group numbers the receiving side counts from 0.
TCol ExtGroup(const char* title, uint8_t offset, int max) {
  TCol c = Num(title, offset, 1, max, S::External);
  c.place.bias = -1;
  return c;
}
// A value that shares its byte with others.
TCol Bits(TCol c, uint8_t mask, uint8_t shift) {
  c.place.mask = mask;
  c.place.shift = shift;
  if (c.column.maximum == 1) c.column.validChars = BinaryChars();
  return c;
}
TCol Reference(const char* title) {
  TCol c = Word(title, 0, 0, 65535);
  c.column.validChars.clear();
  c.column.shownOnly = true;
  return c;
}

struct TDef {
  const char* title;
  std::vector<TCol> cols;
  std::vector<TTableHeading> headings;
  size_t rowSize;
  size_t capacity;
  const char* capacityMessage = nullptr;  // nullptr: the general one with the capacity
  bool sortOnStore = false;
  const char* rowTitle = "N";
};

TOwnerTable Build(const TDef& d) {
  TOwnerTable t;
  t.title = d.title;
  t.rowTitle = d.rowTitle;
  for (const TCol& c : d.cols) {
    t.columns.push_back(c.column);
    t.places.push_back(c.place);
  }
  t.headings = d.headings;
  t.rowSize = d.rowSize;
  t.capacity = d.capacity;
  t.capacityMessage = d.capacityMessage ? d.capacityMessage
                                        : "Превышена максимальная емкость таблицы - " + RecordCount(d.capacity) + ".";
  t.sortOnStore = d.sortOnStore;
  return t;
}

constexpr const char* kLocal = "Локальная система";
constexpr const char* kExternal = "Внешняя система";
constexpr const char* kProcessing = "Обработка";
constexpr const char* kMkt3Full = "Превышена максимальная емкость выходной таблицы - 64 записи.";
constexpr const char* kRpt80Full = "Превышена максимальная емкость выходной таблицы - 241 запись.";

std::vector<TDef> Definitions() {
  const S L = S::Local, E = S::External;
  return {
      // passive port
      {"Таблица переадресации ТС",
       {Num("Порт", 0, 1, 255, L), Num("Пункт", 1, 0, 255, L), Num("Группа", 2, 1, 255, L),
        MsbBits("Параметры", 3), Num("Группа", 4, 1, 255, E)},
       {{kLocal, 1, 4}, {kExternal, 5, 1}}, 5, 256},
      // The local TI parameter goes up to 16, so it takes every digit (10 must be typable).
      {"Таблица переадресации ТИ",
       {Num("Порт", 0, 1, 255, L), Num("Пункт", 1, 1, 255, L), Num("Группа", 2, 1, 255, L),
        Num("Параметр", 3, 1, 16, L), Num("Группа", 4, 1, 255, E), Param("Параметр", 5, E)},
       {{kLocal, 1, 4}, {kExternal, 5, 2}}, 6, 2041},
      {"Таблица переадресации ТУ",
       {Num("Порт", 0, 1, 255, L), Num("Пункт", 1, 1, 255, L), Num("Группа", 2, 1, 255, L),
        Num("Группа", 3, 1, 255, E), LsbBits("Параметры", 4)},
       {{kLocal, 1, 3}, {kExternal, 4, 2}}, 5, 256},
      {"Таблица переадресации Массивов",
       {Num("Порт", 0, 1, 255, L), Num("Пункт", 1, 1, 255, L), Num("Группа", 2, 1, 255, L),
        Num("Параметр", 3, 1, 255, L), Num("Группа", 4, 1, 255, E), Num("Параметр", 5, 1, 255, E)},
       {{kLocal, 1, 4}, {kExternal, 5, 2}}, 6, 8192},
      // board port
      {"Таблица переадресации ТС",
       {Num("Порт", 0, 1, 60, L), Num("Пункт", 1, 1, 255, L), Num("Группа", 2, 1, 255, L),
        MsbBits("Параметр", 3, L), Bits(Col("Инверсия", K::Flag, 4, 0, 1), 0x01, 7),
        Bits(Num("Пункт", 4, 0, 63, E), 0x7F, 0), Num("Группа", 5, 1, 255, E), LsbBits("Параметр", 6, E),
        Num("Сборка", 7, 1, 255)},
       {{"Адрес сигнала в системе сбора данных", 1, 4}, {"Адрес сигнала на щите", 5, 4}, {kProcessing, 9, 1}},
       8, 8001},
      {"Таблица переадресации ТИ",
       {Num("Порт", 0, 1, 60, L), Num("Пункт", 1, 1, 30, L), Num("Группа", 2, 1, 255, L),
        Param("Параметр", 3, L), Num("Тип", 4, 1, 5), Real("Начальное", 5), Real("Вес бита", 11),
        Num("Знаков", 17, 1, 12), Bits(Num("Дробных", 18, 0, 5), 0x0F, 0), Bits(Num("Ген.", 18, 0, 1), 0x01, 7),
        Bits(Num("Минус", 18, 0, 1), 0x01, 6), Num("Пункт", 19, 1, 63, E), Num("Группа", 20, 1, 255, E)},
       {{"Адрес в системе сбора данных", 1, 4}, {kProcessing, 5, 7}, {"Адрес на щите", 12, 2}}, 21, 1024},
      {"Таблица сборных ТС",
       {Num("Пункт", 0, 1, 63), Num("Группа", 1, 1, 255), LsbBits("Параметр", 2)},
       {{"Адрес сигнала на щите", 1, 3}}, 4, 257, nullptr, false, "N сборки"},
      // МКТ3 transmit port
      {"Таблица переадресации ТС",
       {Num("Порт", 0, 1, 255, L), Num("Пункт", 1, 1, 255, L), Num("Группа", 2, 1, 255, L),
        MsbBits("Параметры", 3, L), ExtGroup("Группа", 4, 64)},
       {{kLocal, 1, 4}, {kExternal, 5, 1}}, 5, 64, kMkt3Full, true},
      {"Таблица переадресации ТИ",
       {Num("Порт", 0, 1, 56, L), Num("Пункт", 1, 1, 30, L), Num("Группа", 2, 1, 255, L),
        Param("Параметр", 3, L), Num("Тип", 4, 1, 11), Single("Начальное", 5), Single("Множитель", 9),
        ExtGroup("Группа", 13, 8), Param("Параметр", 14, E), Num("Тип", 15, 4, 5)},
       {{kLocal, 1, 5}, {kProcessing, 6, 2}, {kExternal, 8, 3}}, 16, 64, kMkt3Full, true},
      // РПТ80 transmit port
      {"Таблица переадресации ТС",
       {Num("Порт", 0, 1, 255, L), Num("Пункт", 1, 1, 255, L), Num("Группа", 2, 1, 255, L),
        MsbBits("Параметры", 3, L), Col("Инверсия", K::Flag, 4, 0, 1), ExtGroup("Группа", 5, 241)},
       {{kLocal, 1, 5}, {kExternal, 6, 1}}, 6, 241, kRpt80Full, true},
      {"Таблица переадресации ТИ",
       {Num("Порт", 0, 1, 255, L), Num("Пункт", 1, 1, 255, L), Num("Группа", 2, 1, 255, L),
        Param("Параметр", 3, L), Num("Тип", 4, 1, 5), ExtGroup("Группа", 5, 241), Num("Тип", 6, 4, 5)},
       {{kLocal, 1, 5}, {kExternal, 6, 2}}, 7, 241, kRpt80Full, true},
      // Modbus device
      {"Таблица адресации ТС",
       {Num("Функция", 0, 1, 127), Word("Адрес", 1, 0, 65535, L), Word("Кол-во битов", 3, 1, 2000),
        Reference("АдрОбъекта (справочное)")},
       {{"Modbus", 1, 3}, {"МЭК104", 4, 1}}, 5, 8001},
      {"Таблица адресации ТИ",
       {Num("Тип", 0, 0, 7), Num("Функция", 1, 1, 127), Word("Адрес", 2, 0, 65535, L), Num("Кол-во слов", 4, 1, 125),
        Single("Начальное", 5), Single("Множитель", 9), Reference("АдрОбъекта (справочное)")},
       {{"Modbus", 1, 4}, {kProcessing, 5, 2}, {"МЭК104", 7, 1}}, 13, 4001},
      // IEC 104 PC point
      {"Таблица переадресации ТИ",
       {Num("Порт", 0, 0, 255, L), Num("Пункт", 1, 0, 255, L), Num("Группа", 2, 0, 255, L), Param("Параметр", 3, L),
        Num("Тип", 4, 1, 12), SingleE("Начальное", 5), SingleE("Множитель", 9),
        Word("Объект информации", 13, 0, 65535, E)},
       {{kLocal, 1, 4}, {kProcessing, 5, 3}, {"Адрес в МЭК104", 8, 1}}, 15, 256},
      {"Таблица переадресации ТС",
       {Num("Порт", 0, 0, 255, L), Num("Пункт", 1, 0, 255, L), Num("Группа", 2, 0, 255, L), Param("Параметр", 3, L),
        Word("Объект информации", 4, 0, 65535, E)},
       {{kLocal, 1, 4}, {"Адрес в протоколе МЭК104", 5, 1}}, 6, 256},
  };
}

}  // namespace

std::string RecordCount(size_t n) {
  const size_t lastTwo = n % 100, last = n % 10;
  const char* word = "записей";
  if (lastTwo < 11 || lastTwo > 14) {
    if (last == 1) word = "запись";
    else if (last >= 2 && last <= 4) word = "записи";
  }
  return std::to_string(n) + " " + word;
}

const TOwnerTable& OwnerTable(TOwnerTableId id) {
  static const std::vector<TOwnerTable> tables = [] {
    std::vector<TOwnerTable> all;
    for (const TDef& d : Definitions()) all.push_back(Build(d));
    return all;
  }();
  return tables.at(static_cast<size_t>(id));
}

}  // namespace vlm
