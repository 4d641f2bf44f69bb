#pragma once

#include <array>

#include "ui/behaviour/glyph_index.h"

// The program's two windows described once: what each toolkit's window draws, at 96 dpi, in
// client coordinates. Nothing here is typed again in a toolkit's folder.
namespace ui::design {

// A rectangle: left, top, width, height.
struct Box {
  int x;
  int y;
  int width;
  int height;
};

inline constexpr int kClientWidth = 361;
inline constexpr int kClientHeight = 147;

// The toolbar band across the top, with a line in its first and last rows; its buttons stand
// side by side without gaps from kFirstButtonX, flat, captions not shown.
inline constexpr Box kToolbar{0, 0, kClientWidth, 29};
inline constexpr int kFirstButtonX = 4;
inline constexpr int kButtonY = 2;
inline constexpr int kButtonSize = 25;
// The Port button: its glyph part as wide as the other buttons, then its arrow part.
inline constexpr int kPortArrowWidth = 14;
inline constexpr int kPortButtonWidth = kButtonSize + kPortArrowWidth;

// The status bar along the bottom; the port pane and the progress bar in its coordinates.
inline constexpr Box kStatusBar{0, 128, kClientWidth, 19};
inline constexpr Box kPortStatusPane{2, 2, 47, 15};
inline constexpr Box kProgressBar{kPortStatusPane.x + kPortStatusPane.width, 2, 310, 15};

// The toolbar's buttons, numbered from 1 left to right.
enum Button : int { kFileButton = 1, kPortButton = 2, kStartButton = 3, kExitButton = 4 };
inline constexpr int kButtonCount = 4;

constexpr int ButtonWidth(int button) {
  return button == kPortButton ? kPortButtonWidth : kButtonSize;
}
// The button's place in the toolbar.
constexpr Box ButtonBox(int button) {
  int x = kFirstButtonX;
  for (int left = 1; left < button; ++left) x += ButtonWidth(left);
  return {x, kButtonY, ButtonWidth(button), kButtonSize};
}

// The Port button has no action: it opens the port menu.
inline constexpr char kPortButtonCaption[] = "Порт";
inline constexpr char kPortButtonHint[] = "Выбрать последовательный порт";
inline constexpr Glyph kPortButtonGlyph = Glyph::Plug;

// The balloon hints: shown after the pointer has rested on a button, sooner when it moves on
// to the next; wrapped at a width.
inline constexpr int kHintInitialDelayMs = 500;
inline constexpr int kHintReshowDelayMs = 50;
inline constexpr int kHintTextWidth = 100;

// The file-open dialog.
inline constexpr char kFileDialogTitle[] = "Выбери файл (*.hex) для загрузки";
inline constexpr char kHexFilterName[] = "HexFiles";
inline constexpr char kHexFilterPattern[] = "*.hex";
inline constexpr char kHexExtension[] = "hex";

// The windows' text: a sans-serif face of this height (8 pt at 96 dpi).
inline constexpr int kWindowTextHeightPx = 11;

// The power-on prompt: one centred label over the whole client area.
inline constexpr int kPromptClientWidth = 195;
inline constexpr int kPromptClientHeight = 57;
inline constexpr char kPromptText[] = "Включи питание";
inline constexpr int kPromptTextHeightPx = 19;  // 14 pt at 96 dpi

}  // namespace ui::design
