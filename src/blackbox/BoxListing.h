#pragma once
// The lines the black-box window shows for a stream of records with hex lines ("Цифра") and
// decoded text ("Текст") on or off, without colours: used to print a recording as text. The
// lines come from a reader of their own, so the printout is the window's to the character.
#include <cstdint>
#include <string>

#include "blackbox/BoxDriver.h"
#include "link/Velmor_PC.h"

namespace vlm {

class TBoxListing : private IBoxObserver {
 public:
  TBoxListing(bool showHex, bool showText);

  // Appends the record's display lines to out, each ended by '\n'. The record's error byte is
  // cleared for sent frames, as the reader does before it prints.
  void Process(TBoxRecord& record, size_t length, TDateTime time, std::string& out);

 private:
  void LinesAdded(TBoxDriver& box, std::string_view text, uint8_t colour) override;

  TControllerLink link_;  // never opened: listing reads no controller
  TBoxContext context_{link_};
  TBoxDriver box_;
  std::string* out_ = nullptr;
};

// Protocols whose consecutive frames sent by the controller are set apart by a blank line.
bool SeparatesSentFrames(uint8_t code);

}  // namespace vlm
