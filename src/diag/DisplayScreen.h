#pragma once
// The controller's 80 x 50 colour text screen as copied from B800h: cells of a code page 866
// character and an attribute (low nibble foreground, high nibble background, no blinking), read
// one row per tick with three attempts.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace vlm {

class TControllerLink;

inline constexpr int kScreenColumns = 80, kScreenRows = 50;
inline constexpr size_t kScreenRowBytes = kScreenColumns * 2;
inline constexpr uint16_t kScreenSegment = 0xB800;
inline constexpr uint8_t kUnreadableAttribute = 0x08;  // dark grey on black

// Windows colour values (blue in the high byte) of the 16 colour indices.
extern const std::array<uint32_t, 16> kDisplayPalette;
inline uint32_t ForegroundOf(uint8_t attribute) { return kDisplayPalette[attribute & 0x0F]; }
inline uint32_t BackgroundOf(uint8_t attribute) { return kDisplayPalette[attribute >> 4]; }

class TScreenBuffer {
 public:
  std::span<uint8_t> Row(int r) { return std::span(bytes_).subspan(size_t(r) * kScreenRowBytes, kScreenRowBytes); }
  std::span<const uint8_t> Row(int r) const {
    return std::span(bytes_).subspan(size_t(r) * kScreenRowBytes, kScreenRowBytes);
  }
  uint8_t Char(int r, int c) const { return bytes_[size_t(r) * kScreenRowBytes + size_t(c) * 2]; }
  uint8_t Attribute(int r, int c) const { return bytes_[size_t(r) * kScreenRowBytes + size_t(c) * 2 + 1]; }
  // Stale text stays readable but is marked: every attribute of the row becomes 08h.
  void MarkUnreadable(int r);
  // The screen as UTF-8 text, one line per row, trailing blanks kept.
  std::string Text() const;

 private:
  std::array<uint8_t, kScreenRows * kScreenRowBytes> bytes_{};
};

// Reads the rows one answer of the link carries per call (eight over UDP in one area read, one
// on a serial line) from B800h:(row * 160): up to three tries, closing and opening the link
// again after each failure. The indicator gets a point per request: green when answered, red
// when not. Rows that stay unread turn dark grey; when the controller answered none of the
// tries the whole screen does at once (it is all stale), so a silent controller greys the screen
// after one group's tries, not row by row. The row to read next goes round 0..49.
class TScreenReader {
 public:
  static constexpr int kAttempts = 3;

  TScreenReader(TControllerLink& link, TScreenBuffer& screen) : link_(link), screen_(screen) {}
  void SetIndicator(std::function<void(uint32_t)> indicator) { indicator_ = std::move(indicator); }

  // Reads the next rows; true when they were read. The rows read are LastRow() and the
  // LastRows() - 1 after it; MarkedAll() tells that the whole screen was marked unread.
  bool Tick();
  // The whole screen, starting from row 0; the number of rows that failed.
  int ReadAll();
  int NextRow() const { return next_; }
  int LastRow() const { return last_; }
  int LastRows() const { return lastRows_; }
  bool MarkedAll() const { return markedAll_; }
  // Rows one request carries on this link.
  static int RowsPerRequest(const TControllerLink& link);

 private:
  TControllerLink& link_;
  TScreenBuffer& screen_;
  std::function<void(uint32_t)> indicator_;
  int next_ = 0, last_ = 0, lastRows_ = 1;
  bool markedAll_ = false;
};

// Attribute of ruler cells: black on 606060h, yellow on 606060h for the row read next.
inline constexpr uint8_t kRulerAttribute = 0x80, kRulerNextAttribute = 0x8E;

}  // namespace vlm
