#include "window_rig.h"

#include <gtest/gtest.h>

#include <fstream>

#include "sys/paths.h"
#include "sys/win32/wide_text.h"

namespace wintest {

namespace {

constexpr UINT kInspect = WM_APP + 7;
DialogWatch* active = nullptr;

std::string ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return sys::Narrow(name);
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return sys::Narrow(text);
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (done()) return true;
    }
  }
  return true;
}

DialogWatch::DialogWatch() {
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = &HelperProc;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"DialogWatchHelper";
  RegisterClassExW(&type);  // fails harmlessly the second time
  helper_ = CreateWindowExW(0, L"DialogWatchHelper", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(helper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  active = this;
  hook_ = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
}

DialogWatch::~DialogWatch() {
  UnhookWindowsHookEx(hook_);
  DestroyWindow(helper_);
  active = nullptr;
}

LRESULT CALLBACK DialogWatch::Hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && active) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    if (ClassOf(window) == "#32770" && active->known_.insert(window).second) {
      // Looked at once the dialog has finished building itself, from its own modal loop.
      PostMessageW(active->helper_, kInspect, reinterpret_cast<WPARAM>(window), 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK DialogWatch::HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<DialogWatch*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kInspect && self) {
    self->Inspect(reinterpret_cast<HWND>(wParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void DialogWatch::Inspect(HWND dialog) {
  if (!IsWindow(dialog)) return;
  ++seen_;
  if (handlers_.empty()) {
    ADD_FAILURE() << "unexpected dialog \"" << Caption(dialog) << "\": " << Text(dialog);
    Press(dialog, IDCANCEL);
    return;
  }
  const Handler handler = std::move(handlers_.front());
  handlers_.pop_front();
  handler(dialog);
}

std::string DialogWatch::Caption(HWND dialog) {
  return WindowText(dialog);
}

std::string DialogWatch::Text(HWND box) {
  // The message box's text is its static control 0xFFFF.
  const HWND text = GetDlgItem(box, 0xFFFF);
  return text ? WindowText(text) : std::string();
}

bool DialogWatch::HasIcon(HWND box) {
  // Any visible static control that shows an icon.
  bool found = false;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM result) -> BOOL {
        if (ClassOf(child) == "Static" && IsWindowVisible(child) &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageW(child, STM_GETICON, 0, 0) != 0) {
          *reinterpret_cast<bool*>(result) = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void DialogWatch::Press(HWND dialog, int command) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
}

HWND DialogWatch::FirstEdit(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM result) -> BOOL {
        if (ClassOf(child) == "Edit" && IsWindowVisible(child)) {
          *reinterpret_cast<HWND*>(result) = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

WindowRig::WindowRig() : startFolder_(std::filesystem::current_path()) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int serial = 0;
  folder_ = std::filesystem::path(base) /
            (L"окно " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial));
  std::filesystem::create_directories(folder_);
  images.SetImage(transfer::testing::PatternImage(1000));
}

WindowRig::~WindowRig() {
  program.reset();
  std::filesystem::current_path(startFolder_);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void WindowRig::WriteSettings(const std::string& iniText) const {
  std::ofstream(SettingsFile(), std::ios::binary) << iniText;
}

std::filesystem::path WindowRig::MakeFile(const std::string& relativeName,
                                          const std::string& content) const {
  const std::filesystem::path file = (folder_ / sys::PathOf(relativeName)).make_preferred();
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  return file;
}

void WindowRig::WriteValidSettings() {
  const std::string hex =
      sys::Utf8Of(MakeFile("board.hex", ":0400000001020A0DE2\r\n:00000001FF\r\n"));
  WriteSettings("[PortName]\r\nName=" + ports.front() + "\r\n[FileName]\r\nName=" + hex + "\r\n");
}

ui::TLoaderProgram& WindowRig::Create(bool realParts) {
  ui::ProgramSetup setup;
  setup.SettingsFile = SettingsFile();
  if (!realParts) {
    setup.ListPorts = [this] { return ports; };
    setup.Port = &port;
    setup.Images = &images;
  }
  program = std::make_unique<ui::TLoaderProgram>(std::move(setup));
  if (!realParts) {
    port.target.SetOnRxChar(
        [this](std::int32_t count) { program->Form1().Behaviour().Comm1RxChar(count); });
  }
  return *program;
}

RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace wintest
