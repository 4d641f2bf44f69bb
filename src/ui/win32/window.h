#pragma once

#include <windows.h>

#include <string>

namespace ui {

// A native window driven by a C++ object: its procedure hands every message to OnMessage,
// and nothing thrown there leaves it (the error report shows it instead).
class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return window_; }
  // Makes the window invisible as it stands, nothing else (the program's end).
  void HideWindow() { ShowWindow(window_, SW_HIDE); }

 protected:
  struct Style {
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // the parent of a child, the owner of a top-level window
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
  };
  // Registers className on first use and creates the window at (x, y) with outer size w x h.
  void Create(const wchar_t* className, const std::wstring& caption, const Style& style, int x,
              int y, int w, int h);
  // Everything not handled goes to DefWindowProcW.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  // Destroys the native window (and its children) now, without telling this object.
  void Destroy();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
};

// A window that paints itself whole: WM_PAINT calls Paint, and the background is not erased
// first (no flicker).
class PaintedWindow : public Window {
 protected:
  virtual void Paint(HDC dc) = 0;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Runs handler and hands whatever it throws to the error report: for every place where a
// window message enters the program's code.
template <typename Handler>
void Guarded(Handler&& handler);

void ReportCurrentException();

template <typename Handler>
void Guarded(Handler&& handler) {
  try {
    handler();
  } catch (...) {
    ReportCurrentException();
  }
}

}  // namespace ui
