#include "sim/SimScreen.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/TextCodec.h"

namespace vlm::sim {

void SimScreen::Put(SimMemory& memory, int row, int column, std::string_view utf8, uint8_t attribute) {
  const std::string dos = Utf8ToDos(utf8);
  std::vector<uint8_t> cells;
  for (size_t i = 0; i < dos.size() && column + int(i) < kColumns; ++i) {
    cells.push_back(uint8_t(dos[i]));
    cells.push_back(attribute);
  }
  memory.Write(kTextScreenSegment, uint16_t(row * kColumns * 2 + column * 2), cells);
}

void SimScreen::Fill(SimMemory& memory, int row, uint8_t attribute) {
  Put(memory, row, 0, std::string(kColumns, ' '), attribute);
}

void SimScreen::Publish(SimMemory& memory) {
  boot_ = std::chrono::steady_clock::now();
  shown_ = -1;
  for (int r = 0; r < kRows; ++r) Fill(memory, r, 0x07);
  Fill(memory, 0, 0x1F);
  Put(memory, 0, 1, "ВЕЛМОР-DOS 4.1   Контроллер телемеханики", 0x1F);
  Put(memory, 0, 66, "[ПЦ-1]", 0x1E);
  struct Line {
    int row;
    const char* text;
    uint8_t attribute;
  };
  static const Line lines[] = {
      {2, "C:\\>vlm.exe /cfg=c:\\vlm.cfg", 0x07},
      {3, "Загрузка конфигурации c:\\vlm.cfg ... OK", 0x0A},
      {4, "Порт 1: МЭК 60870-5-101, 9600 бод, 8E1", 0x07},
      {5, "Порт 2: Modbus RTU, ведущий, 19200 бод", 0x07},
      {6, "Порт 5: нет связи с КП 12 (повтор через 5 с)", 0x0C},
      {7, "Порт 6: МЭК 60870-5-104, 192.168.2.1:2404", 0x07},
      {8, "ВНИМАНИЕ: батарея часов разряжена", 0x0E},
      {10, " Режим: РАБОТА ", 0xF0},
      {10, " АВАРИЯ: нет ", 0x2F},
      {12, "Журнал событий:", 0x0B},
      {13, "  12:00:01  Пуск контроллера", 0x03},
      {14, "  12:00:02  Связь с КП 1 установлена", 0x03},
      {15, "  12:00:07  Ошибка контрольной суммы, порт 5", 0x4F},
      {17, "Ёлки-палки: ЁЖЗЩЪЫЬЭЮЯ ёжзщъыьэюя", 0x0D},
  };
  int column = 0;
  for (const Line& l : lines) {
    // The two flags of row 10 stand side by side.
    column = l.row == 10 && std::string_view(l.text).find("АВАРИЯ") != std::string_view::npos ? 20 : 0;
    Put(memory, l.row, column, l.text, l.attribute);
  }
  Tick(memory);
}

void SimScreen::Tick(SimMemory& memory) {
  const long long seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - boot_).count();
  if (seconds == shown_) return;
  shown_ = seconds;
  char text[192];
  std::snprintf(text, sizeof text, " Время работы %02lld:%02lld:%02lld  Циклов опроса: %lld  Ошибок: %lld ",
                seconds / 3600, seconds / 60 % 60, seconds % 60, seconds * 17, seconds / 7);
  Fill(memory, kRows - 1, 0x70);
  Put(memory, kRows - 1, 0, text, 0x70);
  static const char spinner[] = "|/-\\";
  Put(memory, kRows - 1, 78, std::string(1, spinner[seconds % 4]), 0x74);
}

}  // namespace vlm::sim
