#pragma once

#include <QColor>

namespace ui {

// The desktop's system colours under the names the window's design uses, taken from the
// application palette so that a dark or light theme is followed.
QColor WindowColor();
QColor WindowTextColor();
QColor ButtonFaceColor();
QColor ButtonShadowColor();
QColor ButtonHighlightColor();
QColor HighlightColor();
QColor TooltipBackColor();
QColor TooltipTextColor();

}  // namespace ui
