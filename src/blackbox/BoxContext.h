#pragma once
// What the recorder readers share: the link, the window's switches and filters, the listener,
// the clock and the reader counter. The window (or velmorctl) owns one and hands it to every reader.
#include <cstdint>
#include <filesystem>
#include <functional>

#include "blackbox/BoxObserver.h"
#include "common/DateTime.h"

namespace vlm {

class TControllerLink;

// Switches of the black-box window that decide what a reader shows.
struct TBoxView {
  bool showIn = true;     // "Вход"
  bool showOut = true;    // "Выход"
  bool showHex = true;    // "Цифра"
  bool showText = true;   // "Текст"
  bool kpFilter = false;  // "КП"
  int kpNumber = 0;
  bool fnFilter = false;  // "Ф"
  int fnNumber = 0;
  bool analyzerRunning = false;
  TBoxDriver* currentBox = nullptr;
};

struct TBoxContext {
  explicit TBoxContext(TControllerLink& link) : link(link) {}

  TControllerLink& link;
  TBoxView view;
  IBoxObserver* observer = nullptr;
  std::function<TDateTime()> clock = Now;
  // Folder of the text recordings; empty means the "Box" folder of the program's data folder.
  std::filesystem::path boxFolder;
  // Numbers the readers; the scan sets it back to 0.
  uint8_t readerCounter = 0;

  void Point(uint32_t colour) {
    if (observer) observer->IndicatorPoint(colour);
  }
};

}  // namespace vlm
