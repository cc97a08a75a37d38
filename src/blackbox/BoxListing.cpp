#include "blackbox/BoxListing.h"

#include "blackbox/BoxLine.h"

namespace vlm {

bool SeparatesSentFrames(uint8_t code) { return code == 2 || code == 4 || code == 8 || code == 13; }

void TBoxListing::Process(TBoxRecord& record, size_t length, TDateTime time, std::string& out) {
  if (record.direction == kBoxDirOut) record.error = 0;
  line_.clear();
  AppendRecordLine(line_, record, length, time, previousTicks_, readerNumber_);
  previousTicks_ = record.ticks;
  const bool show = record.direction <= kBoxDirOut;
  bool separator = false;
  if (SeparatesSentFrames(record.Code())) {
    separator = previousDirection_ == kBoxDirOut && record.direction == kBoxDirOut;
    previousDirection_ = record.direction;
  }
  if (!show) return;
  if (separator) out += " \n";
  if (showHex_) (out += line_) += '\n';
  if (!showText_) return;
  if (!HasDecoder(record.Code())) {
    if (!showHex_) (out += line_) += '\n';
    return;
  }
  const TDecoded decoded = DecodeRecord(record, length, time, state_);
  if (decoded.text.empty()) return;
  // One display line per CR LF separated piece.
  size_t from = 0;
  for (size_t at; (at = decoded.text.find("\r\n", from)) != std::string::npos; from = at + 2)
    (out.append(decoded.text, from, at - from)) += '\n';
  (out.append(decoded.text, from, std::string::npos)) += '\n';
}

}  // namespace vlm
