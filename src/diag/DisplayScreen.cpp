#include "diag/DisplayScreen.h"

#include "common/TextCodec.h"
#include "link/ServiceRequests.h"

namespace vlm {

const std::array<uint32_t, 16> kDisplayPalette = {
    0x000000, 0xC00000, 0x00C000, 0xC0C000, 0x0000C0, 0xC000C0, 0x00C0C0, 0xC0C0C0,
    0x606060, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

void TScreenBuffer::MarkUnreadable(int r) {
  auto row = Row(r);
  for (size_t i = 1; i < row.size(); i += 2) row[i] = kUnreadableAttribute;
}

std::string TScreenBuffer::Text() const {
  std::string text;
  for (int r = 0; r < kScreenRows; ++r) {
    std::string line;
    for (int c = 0; c < kScreenColumns; ++c) {
      const uint8_t ch = Char(r, c);
      line.push_back(ch < 0x20 ? ' ' : char(ch));
    }
    text += DosToUtf8(line);
    text += '\n';
  }
  return text;
}

bool TScreenReader::Tick() {
  // Another exchange holds the link: skip the tick rather than count a failure and reopen the
  // link under it.
  if (link_.LinkBusy()) return false;
  const int row = next_;
  bool ok = false;
  for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
    ok = ReadMemory(link_, kScreenSegment, uint16_t(row * kScreenRowBytes), screen_.Row(row));
    if (!ok) {
      // A link that went bad is often cured by opening it again.
      link_.CloseLink();
      link_.OpenLink();
    }
  }
  if (!ok) screen_.MarkUnreadable(row);
  if (indicator_) indicator_(ok ? 0x008000 : 0x0000FF);
  last_ = row;
  next_ = row == kScreenRows - 1 ? 0 : row + 1;
  return ok;
}

int TScreenReader::ReadAll() {
  next_ = 0;
  int failed = 0;
  for (int r = 0; r < kScreenRows; ++r) failed += !Tick();
  return failed;
}

}  // namespace vlm
