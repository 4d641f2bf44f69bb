#pragma once

class QWidget;

namespace ui {

// Asks an X11 window manager to leave the window out of the task bar (_NET_WM_STATE_SKIP_TASKBAR)
// without making it a transient of another window, which most managers would keep above its
// owner. Call before the window is first shown; does nothing on other platforms.
void KeepOffTaskbar(QWidget* window);

}  // namespace ui
