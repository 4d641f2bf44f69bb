#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/behaviour/glyph_index.h"

namespace ui {

// The image list of the four glyphs, size pixels square (drawn at kGlyphSize, scaled to other
// sizes), with their transparency; the caller owns it.
HIMAGELIST CreateGlyphList(int size = kGlyphSize);

}  // namespace ui
