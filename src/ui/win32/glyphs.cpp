#include "ui/win32/glyphs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace ui {

namespace {

// The same pictures as the Linux window's, drawn there and kept here as pixels.
const std::uint32_t kPixels[] = {
#include "ui/win32/pictures/glyph_pixels.inc"
};
static_assert(sizeof kPixels / sizeof kPixels[0] == kGlyphCount * kGlyphSize * kGlyphSize);

// One glyph of kGlyphSize square at size square: bilinear, on colours weighted by their
// opacity, so that no dark fringe grows around the edges.
std::vector<std::uint32_t> ScaledGlyph(const std::uint32_t* glyph, int size) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  const double step = static_cast<double>(kGlyphSize) / size;
  auto at = [glyph](int x, int y) {
    x = std::clamp(x, 0, kGlyphSize - 1);
    y = std::clamp(y, 0, kGlyphSize - 1);
    return glyph[y * kGlyphSize + x];
  };
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double sx = (x + 0.5) * step - 0.5, sy = (y + 0.5) * step - 0.5;
      const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
      const double fx = sx - x0, fy = sy - y0;
      double sum[4] = {0, 0, 0, 0};  // alpha, then red, green, blue times alpha
      const double weights[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
      const std::uint32_t corners[4] = {at(x0, y0), at(x0 + 1, y0), at(x0, y0 + 1),
                                        at(x0 + 1, y0 + 1)};
      for (int i = 0; i < 4; ++i) {
        const double alpha = (corners[i] >> 24) / 255.0;
        sum[0] += weights[i] * alpha;
        for (int c = 1; c < 4; ++c)
          sum[c] += weights[i] * alpha * ((corners[i] >> (24 - 8 * c)) & 0xFF);
      }
      std::uint32_t pixel = static_cast<std::uint32_t>(std::lround(sum[0] * 255)) << 24;
      if (sum[0] > 0) {
        for (int c = 1; c < 4; ++c) {
          const long channel = std::lround(std::min(255.0, sum[c] / sum[0]));
          pixel |= static_cast<std::uint32_t>(channel) << (24 - 8 * c);
        }
      }
      out[static_cast<std::size_t>(y * size + x)] = pixel;
    }
  }
  return out;
}

}  // namespace

HIMAGELIST CreateGlyphList(int size) {
  const HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, kGlyphCount, 0);
  if (!list) throw std::runtime_error("Cannot create the toolbar's image list");
  // The glyphs side by side in one strip, which the image list cuts into its images.
  const int stripWidth = size * kGlyphCount;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = stripWidth;
  info.bmiHeader.biHeight = -size;  // top down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP strip = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!strip) {
    ImageList_Destroy(list);
    throw std::runtime_error("Cannot create the toolbar's glyphs");
  }
  // A DIB's words are BGRA in memory: ARGB read as a little-endian word.
  auto* words = static_cast<std::uint32_t*>(bits);
  for (int index = 0; index < kGlyphCount; ++index) {
    const std::uint32_t* glyph = kPixels + index * kGlyphSize * kGlyphSize;
    const std::vector<std::uint32_t> scaled =
        size == kGlyphSize ? std::vector<std::uint32_t>(glyph, glyph + kGlyphSize * kGlyphSize)
                           : ScaledGlyph(glyph, size);
    for (int y = 0; y < size; ++y) {
      std::memcpy(words + y * stripWidth + index * size, scaled.data() + y * size,
                  sizeof(std::uint32_t) * static_cast<std::size_t>(size));
    }
  }
  GdiFlush();
  ImageList_Add(list, strip, nullptr);
  DeleteObject(strip);
  return list;
}

}  // namespace ui
