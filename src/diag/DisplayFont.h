#pragma once
// Pixels of the display mirror: the 8 x 8 code page 866 font, the glyph cache of every
// attribute (8 x 2560 pixels each, character c in rows c*10..c*10+9) and the 640 x 500 picture
// drawn from it one cell at a time by block copies. Pixels are 0x00RRGGBB.
#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "diag/DisplayScreen.h"

namespace vlm {

// 256 glyphs of 8 rows, one byte per row, bit 7 the leftmost pixel.
using TFont8x8 = std::array<uint8_t, 256 * 8>;

// Where Debian's console-cyrillic package keeps its code page 866 font.
inline constexpr const char* kConsoleCyrillicFont = "/usr/share/console-cyrillic/866_8x8.psf";

// A PSF1 font with 8-pixel-high glyphs (the first 256 are taken); nullopt and a reason otherwise.
std::optional<TFont8x8> ParsePsf1(std::span<const uint8_t> bytes, std::string* error = nullptr);
std::optional<TFont8x8> LoadPsf1File(const std::filesystem::path& path, std::string* error = nullptr);

inline constexpr int kCellWidth = 8, kCellHeight = 10;
inline constexpr int kPictureWidth = kScreenColumns * kCellWidth, kPictureHeight = kScreenRows * kCellHeight;

// Windows colour (blue high) to 0x00RRGGBB.
inline uint32_t RgbOf(uint32_t windowsColour) {
  return (windowsColour & 0xFF) << 16 | (windowsColour & 0xFF00) | (windowsColour >> 16 & 0xFF);
}

struct TPixelImage {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  TPixelImage() = default;
  TPixelImage(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h)) {}
  uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

class TGlyphCache {
 public:
  static constexpr int kGlyphRows = 256 * kCellHeight;

  explicit TGlyphCache(const TFont8x8& font);
  // Copies the cell of character ch in attribute attr to (x, y) of the image.
  void DrawCell(TPixelImage& image, int x, int y, uint8_t ch, uint8_t attr) const {
    const uint32_t* from = &cache_[(size_t(attr) * kGlyphRows + size_t(ch) * kCellHeight) * kCellWidth];
    uint32_t* to = &image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
    for (int row = 0; row < kCellHeight; ++row, from += kCellWidth, to += image.width)
      std::copy(from, from + kCellWidth, to);
  }

 private:
  std::vector<uint32_t> cache_;
};

// The 640 x 500 picture of the screen.
class TScreenPicture {
 public:
  explicit TScreenPicture(const TGlyphCache& glyphs) : glyphs_(glyphs), image_(kPictureWidth, kPictureHeight) {}
  void DrawRow(const TScreenBuffer& screen, int row);
  void DrawAll(const TScreenBuffer& screen);
  const TPixelImage& Image() const { return image_; }

 private:
  const TGlyphCache& glyphs_;
  TPixelImage image_;
};

// A 24-bit Windows BMP of the image (bottom-up rows padded to 4 bytes).
std::vector<uint8_t> BmpBytes(const TPixelImage& image);
// An error text, empty on success.
std::string WriteBmpFile(const std::filesystem::path& path, const TPixelImage& image);
// The chosen name with its extension replaced by ".bmp" (added when there is none).
std::string BmpFileName(const std::string& chosen);

}  // namespace vlm
