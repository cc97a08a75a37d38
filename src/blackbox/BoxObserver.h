#pragma once
// What the recorder readers tell the black-box window and velmorctl: indicator points, new
// display lines, recording switched on or off. Every call has an empty default, so a listener
// takes only what it shows.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "blackbox/BoxRecord.h"

namespace vlm {

class TBoxDriver;

// Colours of the link indicator points as Windows colour values (00BBGGRRh).
enum : uint32_t {
  kPointRed = 0x0000FF,      // exchange failed during the scan; record with an invalid direction
  kPointLime = 0x00FF00,     // exchange of the scan succeeded
  kPointYellow = 0x00FFFF,   // header or buffer read failed
  kPointGreen = 0x008000,    // header or buffer read succeeded
  kPointFuchsia = 0xFF00FF,  // header without the signature
  kPointPurple = 0x800080,   // write index above 15
};

class IBoxObserver {
 public:
  virtual ~IBoxObserver() = default;
  virtual void IndicatorPoint(uint32_t /*colour*/) {}
  // Display lines were added to the reader: the text (pieces separated by CR LF) and their
  // colour code. The window starts its list timer; velmorctl prints the text.
  virtual void LinesAdded(TBoxDriver& /*box*/, std::string_view /*text*/, uint8_t /*colour*/) {}
  // Recording started or stopped: node image, file name field, the "Пуск" button.
  virtual void RecordingChanged(TBoxDriver& /*box*/) {}
  // The byte counter of a capture grew.
  virtual void BytesCopied(TBoxDriver& /*box*/) {}
  // Every record while the analyzer runs: the record, its data length and its text line.
  virtual void AnalyzerFeed(TBoxDriver& /*box*/, const TBoxRecord& /*record*/, size_t /*length*/,
                            const std::string& /*line*/) {}
};

}  // namespace vlm
