#include "ui/behaviour/progress_picture.h"

#include "ui/behaviour/progress_values.h"

namespace ui {

std::string PercentText(std::uint16_t percent) {
  return std::to_string(percent) + "%";
}

ProgressPicture DrawProgress(int width, int height, std::uint16_t percent, int textWidth,
                             int textHeight) {
  const int w = width, h = height;
  // Inner rectangle, right and bottom exclusive.
  const int left = 2, top = 2, right = w - 2, bottom = h - 2;
  const int fillRight = left + FillWidth(percent, right - left);
  const design::Box filled{left, top, fillRight - left, bottom - top};
  const design::Box empty{fillRight, top, right - fillRight, bottom - top};
  ProgressPicture picture{{{{{0, 0, w, h}, SystemColour::ButtonFace},
                            {{1, 1, w - 2, 1}, SystemColour::ButtonShadow},
                            {{1, 1, 1, h - 2}, SystemColour::ButtonShadow},
                            {{1, h - 2, w - 2, 1}, SystemColour::ButtonHighlight},
                            {{w - 2, 1, 1, h - 2}, SystemColour::ButtonHighlight},
                            {filled, SystemColour::Highlight},
                            {empty, SystemColour::Window}}},
                          filled,
                          empty,
                          PercentText(percent),
                          right / 2 - textWidth / 2,
                          // Integer division truncating towards zero, as the layout rule is stated.
                          top + (bottom - top - textHeight) / 2};
  return picture;
}

}  // namespace ui
