#include "diag/DisplayScreen.h"

#include <algorithm>
#include <vector>

#include "common/TextCodec.h"
#include "link/MemoryReader.h"
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

int TScreenReader::RowsPerRequest(const TControllerLink& link) {
  // The reader keeps one byte of an answer for itself (two area reads in a row differ in length).
  return std::max(1, int((TMemoryReader::AnswerBytes(link) - 1) / kScreenRowBytes));
}

bool TScreenReader::Tick() {
  // Another exchange holds the link: skip the tick rather than count a failure and reopen the
  // link under it.
  if (link_.LinkBusy()) return false;
  const int first = next_;
  const int rows = std::min(RowsPerRequest(link_), kScreenRows - first);
  std::vector<TMemoryRead> reads;
  for (int r = first; r < first + rows; ++r) reads.push_back({kScreenSegment, uint16_t(r * kScreenRowBytes), screen_.Row(r)});
  TMemoryReader reader(link_);
  reader.SetAttempts(1);  // the tries are made here, each on a link opened again
  reader.SetIndicator([this](bool ok) {
    if (indicator_) indicator_(ok ? 0x008000 : 0x0000FF);
  });
  bool ok = false, answered = false;
  for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
    ok = reader.Read(reads);
    if (ok) break;
    if (link_.LastFailure == TLinkFailure::Busy) return false;
    answered = answered || std::any_of(reads.begin(), reads.end(), [](const TMemoryRead& r) { return r.Done; });
    // A link that went bad is often cured by opening it again.
    link_.CloseLink();
    link_.OpenLink();
  }
  markedAll_ = !ok && !answered;
  if (markedAll_) {
    for (int r = 0; r < kScreenRows; ++r) screen_.MarkUnreadable(r);
  } else {
    for (const TMemoryRead& read : reads)
      if (!read.Done) screen_.MarkUnreadable(read.Offset / int(kScreenRowBytes));
  }
  last_ = first;
  lastRows_ = rows;
  next_ = first + rows >= kScreenRows ? 0 : first + rows;
  return ok;
}

int TScreenReader::ReadAll() {
  next_ = 0;
  int failed = 0;
  for (int row = 0; row < kScreenRows;) {
    if (link_.LinkBusy()) return failed + kScreenRows - row;
    const bool ok = Tick();
    failed += ok ? 0 : LastRows();
    row += LastRows();
  }
  return failed;
}

}  // namespace vlm
