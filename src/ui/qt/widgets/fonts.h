#pragma once

#include <QFont>

namespace ui {

// The windows' font: "MS Sans Serif" 8 points where the machine has it, otherwise a
// sans-serif face of the same character height (11 pixels).
QFont WindowFont();

}  // namespace ui
