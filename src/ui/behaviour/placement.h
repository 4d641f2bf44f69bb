#pragma once

namespace ui {

// A point on the screen.
struct ScreenPoint {
  int x;
  int y;
};

// Where the prompt goes at its first showing: centred over the main window's outer frame
// (left, top, width, height), each coordinate that comes out negative set to 0.
inline ScreenPoint PromptPlace(int mainLeft, int mainTop, int mainWidth, int mainHeight,
                               int promptWidth, int promptHeight) {
  // Integer division truncates toward zero, as the placement rule wants for odd differences.
  const int left = mainLeft + (mainWidth - promptWidth) / 2;
  const int top = mainTop + (mainHeight - promptHeight) / 2;
  return {left < 0 ? 0 : left, top < 0 ? 0 : top};
}

}  // namespace ui
