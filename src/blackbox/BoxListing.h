#pragma once
// The lines the black-box window shows for a stream of records with hex lines ("Цифра") and
// decoded text ("Текст") on or off, without colours: used to print a recording as text.
#include <cstdint>
#include <string>

#include "blackbox/BoxDecoder.h"
#include "blackbox/BoxRecord.h"
#include "common/DateTime.h"

namespace vlm {

class TBoxListing {
 public:
  TBoxListing(bool showHex, bool showText, int readerNumber = 1)
      : showHex_(showHex), showText_(showText), readerNumber_(readerNumber) {}

  // Appends the record's display lines to out, each ended by '\n'. The record's error byte is
  // cleared for sent frames, as the reader does before it prints.
  void Process(TBoxRecord& record, size_t length, TDateTime time, std::string& out);

 private:
  bool showHex_, showText_;
  int readerNumber_;
  uint32_t previousTicks_ = 0;
  uint8_t previousDirection_ = 0;
  TDecoderState state_;
  std::string line_;
};

// Protocols whose consecutive frames sent by the controller are set apart by a blank line.
bool SeparatesSentFrames(uint8_t code);

}  // namespace vlm
