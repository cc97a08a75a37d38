#include "diag/DisplayFont.h"

#include <algorithm>
#include <iterator>

#include "common/DataFolder.h"
#include "common/PathText.h"

namespace vlm {

std::optional<TFont8x8> ParsePsf1(std::span<const uint8_t> bytes, std::string* error) {
  auto fail = [error](const char* why) -> std::optional<TFont8x8> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (bytes.size() < 4 || bytes[0] != 0x36 || bytes[1] != 0x04) return fail("not a PSF1 font");
  if (bytes[3] != 8) return fail("the font's glyphs are not 8 pixels high");
  if (bytes.size() < 4 + sizeof(TFont8x8)) return fail("the font file is cut short");
  TFont8x8 font;
  std::copy_n(bytes.begin() + 4, font.size(), font.begin());
  return font;
}

std::optional<TFont8x8> LoadPsf1File(const std::filesystem::path& path, std::string* error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    if (error) *error = "cannot read " + PathToUtf8(path);
    return std::nullopt;
  }
  return ParsePsf1(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), error);
}

TGlyphCache::TGlyphCache(const TFont8x8& font) : cache_(size_t(256) * kGlyphRows * kCellWidth) {
  for (int attr = 0; attr < 256; ++attr) {
    const uint32_t fg = RgbOf(ForegroundOf(uint8_t(attr))), bg = RgbOf(BackgroundOf(uint8_t(attr)));
    uint32_t* p = &cache_[size_t(attr) * kGlyphRows * kCellWidth];
    for (int ch = 0; ch < 256; ++ch) {
      // Cell rows 0 and 9 are background; the glyph fills rows 1-8.
      for (int row = 0; row < kCellHeight; ++row) {
        const uint8_t bits = row == 0 || row == kCellHeight - 1 ? 0 : font[size_t(ch) * 8 + size_t(row - 1)];
        for (int x = 0; x < kCellWidth; ++x) *p++ = (bits & (0x80 >> x)) ? fg : bg;
      }
    }
  }
}

void TScreenPicture::DrawRow(const TScreenBuffer& screen, int row) {
  for (int c = 0; c < kScreenColumns; ++c)
    glyphs_.DrawCell(image_, c * kCellWidth, row * kCellHeight, screen.Char(row, c), screen.Attribute(row, c));
}

void TScreenPicture::DrawAll(const TScreenBuffer& screen) {
  for (int r = 0; r < kScreenRows; ++r) DrawRow(screen, r);
}

std::vector<uint8_t> BmpBytes(const TPixelImage& image) {
  const size_t stride = (size_t(image.width) * 3 + 3) & ~size_t(3);
  const size_t dataSize = stride * size_t(image.height), fileSize = 54 + dataSize;
  std::vector<uint8_t> out(fileSize);
  auto put32 = [&out](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  out[0] = 'B', out[1] = 'M';
  put32(2, uint32_t(fileSize));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(image.width));
  put32(22, uint32_t(image.height));
  out[26] = 1;   // planes
  out[28] = 24;  // bits per pixel
  put32(34, uint32_t(dataSize));
  put32(38, 3780), put32(42, 3780);  // 96 dpi
  for (int y = 0; y < image.height; ++y) {
    uint8_t* row = &out[54 + size_t(image.height - 1 - y) * stride];
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.At(x, y);
      row[x * 3] = uint8_t(p), row[x * 3 + 1] = uint8_t(p >> 8), row[x * 3 + 2] = uint8_t(p >> 16);
    }
  }
  return out;
}

std::string WriteBmpFile(const std::filesystem::path& path, const TPixelImage& image) {
  const auto bytes = BmpBytes(image);
  if (!WriteFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()}))
    return "Не удалось записать файл " + PathToUtf8(path);
  return {};
}

std::string BmpFileName(const std::string& chosen) {
  return PathToUtf8(PathFromUtf8(chosen).replace_extension(".bmp"));
}

}  // namespace vlm
