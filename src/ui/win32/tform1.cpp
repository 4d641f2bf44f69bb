#include "ui/win32/tform1.h"

#include <commctrl.h>

#include "serial/win32/window_dispatcher.h"
#include "sys/win32/wide_text.h"
#include "ui/win32/balloon_hints.h"
#include "ui/win32/dpi.h"
#include "ui/win32/file_dialog.h"
#include "ui/win32/form2.h"
#include "ui/win32/gdi.h"
#include "ui/win32/messages.h"
#include "ui/win32/port_menu.h"
#include "ui/win32/port_status_pane.h"
#include "ui/win32/progress_bar.h"
#include "ui/win32/status_bar.h"
#include "ui/win32/tool_bar.h"

namespace ui {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A fixed dialog frame: no icon in the title bar, no sizing.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

using design::kClientHeight;
using design::kClientWidth;

}  // namespace

TForm1::TForm1(HWND owner, ProgramSetup setup) {
  const SIZE outer = OuterSize(kClientWidth, kClientHeight, kStyle, kExStyle, 96);
  Create(L"TForm1", sys::Wide(kApplicationTitle), {kStyle, kExStyle, owner}, 0, 0, outer.cx,
         outer.cy);
  const HMENU system = GetSystemMenu(Handle(), FALSE);
  for (const UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
    DeleteMenu(system, command, MF_BYCOMMAND);

  dispatcher_ = std::make_unique<serial::WindowDispatcher>(&ReportException);
  program_ = std::make_unique<Program>(*this, *dispatcher_, &ReportException, std::move(setup));
  CreateControls();
  ApplyDpi(WindowDpi(Handle()));
  Guarded([this] { Behaviour().FormCreate(); });
}

TForm1::~TForm1() {
  Guarded([this] { Behaviour().FormDestroy(); });
  // The controls go with the native window; the objects that wrapped them follow.
  Destroy();
}

void TForm1::CreateControls() {
  using design::kPortStatusPane;
  using design::kProgressBar;
  using design::kStatusBar;
  Toolbar1 = std::make_unique<TToolBar>(Handle(), design::kButtonY, kClientWidth);
  StatusBar1 = std::make_unique<TStatusBar>(Handle(), kStatusBar.x, kStatusBar.y, kStatusBar.width,
                                            kStatusBar.height);
  PortStatusPane =
      std::make_unique<TPortStatusPane>(StatusBar1->Handle(), kPortStatusPane.x, kPortStatusPane.y,
                                        kPortStatusPane.width, kPortStatusPane.height);
  ProgressBar1 =
      std::make_unique<TProgressBar>(StatusBar1->Handle(), kProgressBar.x, kProgressBar.y,
                                     kProgressBar.width, kProgressBar.height);
  PortMenu = std::make_unique<TPortMenu>();
  for (const HWND control : {Toolbar1->Handle(), StatusBar1->Handle(), PortStatusPane->Handle(),
                             ProgressBar1->Handle()}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont()), FALSE);
  }

  BalloonHints1 = std::make_unique<TBalloonHints>(Handle());
  for (const TAction* action : {&ASelectFile, &ABegin, &AExit}) {
    const int button = action->design.button;
    BalloonHints1->Attach(Toolbar1->Handle(), button, Toolbar1->ItemRect(button),
                          action->design.hint);
  }
  BalloonHints1->Attach(Toolbar1->Handle(), kPortCommand, Toolbar1->ItemRect(kPortCommand),
                        design::kPortButtonHint);
}

// Everything at dpi from the design's 96-dpi figures: the window's size, then each control's
// place, font and pictures.
void TForm1::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  const SIZE outer =
      OuterSize(Scaled(kClientWidth, dpi), Scaled(kClientHeight, dpi), kStyle, kExStyle, dpi);
  SetWindowPos(Handle(), nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int width = Scaled(kClientWidth, dpi);
  Toolbar1->Layout(dpi, Scaled(design::kButtonY, dpi), width);
  const auto place = [](HWND control, const RECT& at) {
    MoveWindow(control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
  };
  place(StatusBar1->Handle(), ScaledRect(design::kStatusBar, dpi));
  place(PortStatusPane->Handle(), ScaledRect(design::kPortStatusPane, dpi));
  place(ProgressBar1->Handle(), ScaledRect(design::kProgressBar, dpi));
  for (const HWND control : {Toolbar1->Handle(), StatusBar1->Handle(), PortStatusPane->Handle(),
                             ProgressBar1->Handle()}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi)), FALSE);
  }
  PortStatusPane->SetDpi(dpi);
  ProgressBar1->SetDpi(dpi);
  BalloonHints1->SetDpi(dpi);
  for (int button = 1; button <= design::kButtonCount; ++button)
    BalloonHints1->Move(Toolbar1->Handle(), button, Toolbar1->ItemRect(button));
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TForm1::Show() {
  if (!placed_) {
    placed_ = true;
    RECT frame;
    GetWindowRect(Handle(), &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
}

TAction* TForm1::ActionOf(int button) {
  for (TAction* action : {&ASelectFile, &ABegin, &AExit}) {
    if (action->design.button == button) return action;
  }
  return nullptr;
}

void TForm1::Execute(TAction& action) {
  if (!action.enabled) return;
  Guarded([&] { (Behaviour().*action.design.handler)(); });
}

LRESULT TForm1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (Toolbar1 && reinterpret_cast<HWND>(lParam) == Toolbar1->Handle()) {
        if (TAction* action = ActionOf(LOWORD(wParam))) Execute(*action);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (Toolbar1 && header->hwndFrom == Toolbar1->Handle() &&
          header->code == static_cast<UINT>(TBN_DROPDOWN)) {
        OnPortButtonPress();
        return TBDDRET_DEFAULT;
      }
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(Handle(), &paint);
      PaintToolbarBand(dc);
      EndPaint(Handle(), &paint);
      return 0;
    }
    case WM_CLOSE:
      // Ends the message loop; shutdown then hides and destroys the windows in order.
      PostQuitMessage(0);
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(LOWORD(wParam));
      MoveToSuggested(Handle(), lParam);
      return 0;
    default:
      break;
  }
  return Window::OnMessage(message, wParam, lParam);
}

void TForm1::PaintToolbarBand(HDC dc) const {
  const COLORREF line = SystemColor(COLOR_BTNSHADOW);
  const RECT band = ScaledRect(design::kToolbar, dpi_);
  const int thickness = Scaled(1, dpi_);
  FillSolid(dc, {band.left, band.top, band.right, band.top + thickness}, line);
  FillSolid(dc, {band.left, band.bottom - thickness, band.right, band.bottom}, line);
}

void TForm1::OnPortButtonPress() {
  if (!Toolbar1->Enabled(kPortCommand)) return;
  RECT button = Toolbar1->ItemRect(kPortCommand);
  MapWindowPoints(Toolbar1->Handle(), nullptr, reinterpret_cast<POINT*>(&button), 2);
  const int chosen = PortMenu->Drop(Handle(), button, static_cast<DWORD>(GetMessageTime()));
  if (chosen < 0) return;
  PortMenuItemClick(PortMenu->Items()[static_cast<std::size_t>(chosen)]);
}

void TForm1::PortMenuItemClick(const std::string& name) {
  Guarded([&] { Behaviour().PortMenuItemClick(name); });
}

void TForm1::SetPortMenu(const std::vector<std::string>& names) {
  PortMenu->SetItems(names);
}

void TForm1::SetPortCaption(const std::string& name) {
  PortStatusPane->SetCaption(name);
}

void TForm1::SetCaption(const std::string& text) {
  SetWindowTextW(Handle(), sys::Wide(text).c_str());
}

bool TForm1::Enabled(Control control) const {
  switch (control) {
    case Control::SelectFile:
      return ASelectFile.enabled;
    case Control::Begin:
      return ABegin.enabled;
    case Control::PortButton:
      return Toolbar1->Enabled(kPortCommand);
    case Control::ChangeComPort:
      return AChangeComPort.enabled;
  }
  return false;
}

void TForm1::SetEnabled(Control control, bool enabled) {
  TAction* action = nullptr;
  switch (control) {
    case Control::SelectFile:
      action = &ASelectFile;
      break;
    case Control::Begin:
      action = &ABegin;
      break;
    case Control::PortButton:
      return Toolbar1->SetEnabled(kPortCommand, enabled);
    case Control::ChangeComPort:
      action = &AChangeComPort;
      break;
  }
  action->enabled = enabled;
  if (action->design.button) Toolbar1->SetEnabled(action->design.button, enabled);
}

FileChoice TForm1::ChooseFile() {
  // Owned by the main window once it shows; during creation it stands on its own.
  return ChooseHexFile(IsWindowVisible(Handle()) ? Handle() : nullptr, ShellFileDialog);
}

void TForm1::CloseWindow() {
  SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TForm1::SetProgressTotal(std::uint32_t totalParts) {
  ProgressBar1->SetTotalParts(totalParts);
}
void TForm1::SetProgressParts(std::uint32_t partsComplete) {
  ProgressBar1->SetPartsComplete(partsComplete);
}
void TForm1::ShowProgress() {
  ShowWindow(ProgressBar1->Handle(), SW_SHOW);
}
void TForm1::HideProgress() {
  ShowWindow(ProgressBar1->Handle(), SW_HIDE);
}

void TForm1::ShowPrompt() {
  if (Form2) Form2->Show();
}

void TForm1::HidePrompt() {
  if (Form2) Form2->Hide();
}

void TForm1::ShowInformation(const std::string& text) {
  ui::ShowInformation(text);
}

bool TForm1::AskYesNo(const std::string& text) {
  return ui::AskYesNo(text);
}

void TForm1::Post(std::function<void()> call) {
  // The port's queue, the program's only one: it reports what a call throws, and a call still
  // queued when the window is destroyed is dropped with it.
  dispatcher_->Post(std::move(call));
}

}  // namespace ui
