#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/behaviour/glyph_index.h"

namespace ui {

// The image list of the four glyphs, with their transparency; the caller owns it.
HIMAGELIST CreateGlyphList();

}  // namespace ui
