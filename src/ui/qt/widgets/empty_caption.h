#pragma once

#include <QWidget>

namespace ui {

// An empty title would make the window system show the application's name instead: a window
// whose caption is empty shows a blank one. Needed again whenever the native window is made
// anew or its title reset (a close box does that).
void KeepCaptionEmpty(QWidget& window);

}  // namespace ui
