#include "ui/win32/glyphs.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace ui {

namespace {

// The same pictures as the Linux window's, drawn there and kept here as pixels.
const std::uint32_t kPixels[] = {
#include "ui/win32/pictures/glyph_pixels.inc"
};
static_assert(sizeof kPixels / sizeof kPixels[0] == kGlyphCount * kGlyphSize * kGlyphSize);

}  // namespace

HIMAGELIST CreateGlyphList() {
  const HIMAGELIST list = ImageList_Create(kGlyphSize, kGlyphSize, ILC_COLOR32, kGlyphCount, 0);
  if (!list) throw std::runtime_error("Cannot create the toolbar's image list");
  // The glyphs side by side in one strip, which the image list cuts into its images.
  constexpr int kStripWidth = kGlyphSize * kGlyphCount;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kStripWidth;
  info.bmiHeader.biHeight = -kGlyphSize;  // top down
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
    for (int y = 0; y < kGlyphSize; ++y) {
      std::memcpy(words + y * kStripWidth + index * kGlyphSize,
                  kPixels + (index * kGlyphSize + y) * kGlyphSize,
                  sizeof(std::uint32_t) * kGlyphSize);
    }
  }
  GdiFlush();
  ImageList_Add(list, strip, nullptr);
  DeleteObject(strip);
  return list;
}

}  // namespace ui
