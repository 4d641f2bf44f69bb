#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ui/behaviour/window_design.h"

namespace ui {

// The system colours the progress bar is painted in.
enum class SystemColour { ButtonFace, ButtonShadow, ButtonHighlight, Highlight, Window };

struct ColouredBox {
  design::Box box;
  SystemColour colour;
};

// The progress bar as each toolkit paints it: the boxes in order, then the percentage twice at
// the same place, in the Window colour clipped to the filled part and in the Highlight colour
// clipped to the empty part, so it stays legible where the bar's edge crosses it.
struct ProgressPicture {
  // The face, the sunken edge inside a one-pixel band (shadow top and left, highlight bottom
  // and right), then the filled and the empty part of the inner rectangle.
  std::array<ColouredBox, 7> boxes;
  design::Box filled;
  design::Box empty;
  std::string text;  // "38%"
  int textX;         // the text's left edge
  int textY;         // the top of the text's line
};

// The picture of a bar width x height at percent, for a font whose line is textHeight high and
// in which the percentage's text is textWidth wide (PercentText).
ProgressPicture DrawProgress(int width, int height, std::uint16_t percent, int textWidth,
                             int textHeight);
std::string PercentText(std::uint16_t percent);

}  // namespace ui
