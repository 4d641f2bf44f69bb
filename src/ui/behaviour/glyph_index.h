#pragma once

namespace ui {

// The toolbar's 16 x 16 pictures, by their place in the window's image list.
enum class Glyph {
  OpenFolder = 0,  // File
  Plug = 1,        // Port
  Lightning = 2,   // Start
  ExitDoor = 3,    // Exit
};

inline constexpr int kGlyphSize = 16;
inline constexpr int kGlyphCount = 4;

}  // namespace ui
