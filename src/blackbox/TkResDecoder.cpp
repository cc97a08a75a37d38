// TK RES status and command words (protocol code 13): 16-bit words, each after the mark 38h.
#include <string_view>

#include "blackbox/BoxDecoder.h"
#include "common/Format.h"

namespace vlm {
namespace {

constexpr uint8_t kWordMark = 0x38;

struct TCodeName {
  uint16_t code;
  std::string_view name;
};

constexpr TCodeName kAnswers[] = {
    {0x400, "Нет данных                    "}, {0x420, "Отв.на запрос новой инф. по ТС"},
    {0x440, "Отв.на запрос новой инф.по ТИТ"}, {0x460, "Отв.на запрос новой инф.по ТИИ"},
    {0x480, "Отв.на запрос тек. сост.    ТС"}, {0x4A0, "Отв.на запрос тек. сост.   ТИТ"},
    {0x4C0, "Отв.на запрос тек. сост.   ТИИ"}, {0x500, "Отв.на запрос журн.аварий ПУМА"},
    {0x520, "Отв.на запр. журн.сост.устр.RS"}, {0x540, "Отв.на журн.ресурса выкл.МР500"},
    {0x560, "Отв.на запр.журн.осцилл. МР500"}, {0x580, "Отв.на запр.журн. аварий МР500"},
    {0x5A0, "Отв.на запр.журн.системы МР500"}, {0x5C0, "Отв.на запр.жур.ТелеУправления"},
};

constexpr TCodeName kCommands[] = {
    {0x001, "Запрос слова состояния КП     "}, {0x003, "Перейти в режим \"по вызову\"   "},
    {0x004, "Перейти в режим\"спорадический\""}, {0x00C, "Повторить передачу данных     "},
    {0x00D, "Продолжить передачу данных    "}, {0x08F, "Установить маску ТС           "},
    {0x102, "Установить часы               "}, {0x1C2, "*** Команда ТелеУправления ***"},
    {0x420, "Запрос новой информации по ТС "}, {0x440, "Запрос новой информации по ТИТ"},
    {0x460, "Запрос журнала ТИИ (не исп.)  "}, {0x480, "Запрос текущего состояния  ТС "},
    {0x4A0, "Запрос текущего состояния  ТИТ"}, {0x4C0, "Запрос тек. сост. ТИИ(не исп.)"},
    {0x4E0, "Запрос новой информац. по ЛИФП"}, {0x500, "Запрос журнала аварий ПУМА    "},
    {0x520, "Запрос журнала сост. устр-в RS"}, {0x540, "Запрос журн.ресурса выкл.МР500"},
    {0x560, "Запрос журн.осциллограмм МР500"}, {0x580, "Запрос журнала аварий    МР500"},
    {0x5A0, "Запрос журнала системы   МР500"}, {0x5C0, "Запрос журнала ТелеУправления "},
};

constexpr std::string_view kStatusBits[] = {
    " D0=1-Нов.инф.по ТС;", " D1=1-Нов.инф.по ЛИФП;", " D2=1-Нов.инф.по ТИИ (не исп.)",
    " D3=1-Тек.сост.ТС;", " D4=1-Журн.аварий МР500|600;", " D5=1-Журн.событий МР500|600;",
    " D6=1-Призн.выдачи ком.ТУ;", " D7=1-Призн.потери времени(уст.часы);", " D8=1-Журнал ПУМА;"};

template <size_t N>
std::string_view NameOf(const TCodeName (&table)[N], unsigned code, std::string_view other) {
  for (const TCodeName& row : table)
    if (row.code == code) return row.name;
  return other;
}

void StatusWord(uint16_t w, std::string& s) {
  s += "Слово_сост_КП=";
  s += (w & 0x100) ? '1' : '0';
  s += '_';
  for (int bit = 7; bit >= 0; --bit) s += ((w >> bit) & 1) ? '1' : '0';
  s += " (D8_D0)";
  for (unsigned bit = 0; bit < std::size(kStatusBits); ++bit)
    if (w & (1u << bit)) s += kStatusBits[bit];
}

void Word(bool fromKp, uint16_t w, std::string& s) {
  s += Format("%61s %4.4x: ", {" ", w});
  const unsigned address = w >> 11;
  s += address < 31 ? Format("Адрес_КП=%4d (D15_D11); ", {address}) : std::string("Адрес_КП=Всем (D15_D11); ");
  if (!fromKp) {
    const unsigned code = w & 0x5FF;
    s += Format("Команда=%3.3xh %s;", {code, NameOf(kCommands, code, "???  Команда не опознана   ???")});
  } else if (w & 0x400) {
    const unsigned code = w & 0x5E0;
    s += Format("Команда=%3.3xh %s; ", {code, NameOf(kAnswers, code, "??? Код команды не опознан ???")});
    s += Format("Число_слов=%d (D4_D0);", {w & 0x1F});
  } else {
    StatusWord(w, s);
  }
}

}  // namespace

// The decoder compares every word with L itself: a word cut off by the end is not shown.
void DecodeTkRes(const TFrameIn& in, TDecoded& out) {
  const uint8_t* d = in.Data();
  const int l = in.length;
  int mark = 0;
  while (mark < l && d[mark] != kWordMark) ++mark;
  if (mark + 2 >= l) return;
  Word(in.In(), uint16_t(d[mark + 1] << 8 | d[mark + 2]), out.text);
  const int next = mark + 3;
  if (next + 2 < l && d[next] == kWordMark) {
    out.text += "\r\n";
    Word(in.In(), uint16_t(d[next + 1] << 8 | d[next + 2]), out.text);
  }
}

}  // namespace vlm
