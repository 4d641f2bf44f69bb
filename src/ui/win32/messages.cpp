#include "ui/win32/messages.h"

#include <windows.h>

#include <optional>

#include "sys/win32/wide_text.h"

namespace ui {

namespace {

// Task-modal and without an owner: every top-level window of the program is disabled while
// the box is up, and it is centred on the screen.
void ShowBox(const std::string& text, UINT icon) {
  MessageBoxW(nullptr, sys::Wide(text).c_str(), sys::Wide(kApplicationTitle).c_str(),
              MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | icon);
}

// Ends a drag or closes an open menu before the report takes the input.
void CancelMode() {
  if (const HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  EndMenu();
}

void ShowErrorBox(const std::string& message) {
  const HWND active = GetActiveWindow();
  const HWND focus = GetFocus();
  ShowBox(message, MB_ICONSTOP);
  if (active && IsWindow(active)) SetActiveWindow(active);
  if (focus && IsWindow(focus)) SetFocus(focus);
}

}  // namespace

void ShowInformation(const std::string& text) {
  ShowBox(text, 0);
}

bool AskYesNo(const std::string& text) {
  return MessageBoxW(
             nullptr, sys::Wide(text).c_str(), sys::Wide(kApplicationTitle).c_str(),
             MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_TASKMODAL | MB_SETFOREGROUND) == IDYES;
}

void ReportException(const std::exception_ptr& failure) {
  if (!failure) return;
  CancelMode();
  if (const std::optional<std::string> text = ReportedText(failure)) ShowErrorBox(*text);
}

}  // namespace ui
