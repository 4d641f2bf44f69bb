#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sys/win32/wide_text.h"
#include "ui/win32/balloon_hints.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"
#include "ui/win32/port_menu.h"
#include "ui/win32/port_status_pane.h"
#include "ui/win32/progress_bar.h"
#include "ui/win32/status_bar.h"
#include "ui/win32/tool_bar.h"
#include "window_rig.h"

namespace {

using wintest::ChildRect;
using wintest::DialogWatch;
using wintest::PumpUntil;
using wintest::WindowRig;

std::string TextOf(HWND window) {
  wchar_t text[256] = L"";
  GetWindowTextW(window, text, 256);
  return sys::Narrow(text);
}

LOGFONTW FontOf(HFONT font) {
  LOGFONTW description{};
  GetObjectW(font, sizeof description, &description);
  return description;
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

struct Controls {
  bool start, file, port, exit;
  bool operator==(const Controls&) const = default;
};

Controls Enabled(ui::TForm1& form) {
  return {form.Toolbar1->Enabled(ui::kStartCommand), form.Toolbar1->Enabled(ui::kFileCommand),
          form.Toolbar1->Enabled(ui::kPortCommand), form.Toolbar1->Enabled(ui::kExitCommand)};
}

void PressPortButton(ui::TForm1& form) {
  const RECT button = form.Toolbar1->ItemRect(ui::kPortCommand);
  const LPARAM at = MAKELPARAM(button.left + 5, button.top + 5);
  PostMessageW(form.Toolbar1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
}

void PostKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

TEST(Win32Window, TheLayoutTextsAndFontsAreTheDesignedOnes) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TLoaderProgram& program = rig.Create();
  program.Show();
  ui::TForm1& form = rig.Form();
  const HWND main = form.Handle();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }));

  // Every figure is the design's at 96 dpi scaled to the window's dpi, each edge on its own.
  const UINT dpi = ui::WindowDpi(main);
  const auto S = [dpi](int value) { return MulDiv(value, static_cast<int>(dpi), 96); };
  std::printf("laid out at %u dpi\n", dpi);
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, S(361));
  EXPECT_EQ(client.bottom, S(147));
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  RECT frame;
  GetWindowRect(main, &frame);
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);

  // One task-bar entry, the application's, with its title; the windows are its own.
  EXPECT_EQ(TextOf(program.Application().Handle()), "Загрузчик");
  EXPECT_TRUE(GetWindowLongW(program.Application().Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(main, GW_OWNER), program.Application().Handle());
  EXPECT_EQ(GetWindow(program.Form2().Handle(), GW_OWNER), program.Application().Handle());
  EXPECT_EQ(TextOf(main), "board.hex");

  // The toolbar band: buttons from x 4 without gaps. Wine ignores the height given to the
  // buttons and makes them fit the glyph (22 high at 96 dpi) at the toolbar's top; Windows
  // makes them 25.
  EXPECT_EQ(ChildRect(form.Toolbar1->Handle()).top, S(2));
  const int edges[] = {4, 29, 68, 93, 118};
  for (int i = 0; i < 4; ++i) {
    RECT button{};
    SendMessageW(form.Toolbar1->Handle(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.left, S(edges[i])) << i;
    EXPECT_EQ(button.right, S(edges[i + 1])) << i;
    EXPECT_EQ(button.top, 0) << i;
    EXPECT_TRUE(button.bottom == S(25) || button.bottom == S(16) + 6) << button.bottom;
  }
  const RECT bar = ChildRect(form.StatusBar1->Handle());
  EXPECT_EQ(bar.top, S(128));
  EXPECT_EQ(bar.bottom, S(147));
  EXPECT_EQ(bar.right - bar.left, S(361));
  const RECT pane = ChildRect(form.PortStatusPane->Handle());
  EXPECT_EQ(pane.left, S(2));
  EXPECT_EQ(pane.top, S(2));
  EXPECT_EQ(pane.right, S(49));
  EXPECT_EQ(pane.bottom, S(17));
  const RECT progress = ChildRect(form.ProgressBar1->Handle());
  EXPECT_EQ(progress.left, S(49));
  EXPECT_EQ(progress.right, S(359));
  EXPECT_FALSE(IsWindowVisible(form.ProgressBar1->Handle()));
  EXPECT_EQ(form.PortStatusPane->Caption(), "COM1");

  const auto fontOf = [](HWND control) {
    return FontOf(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  };
  EXPECT_EQ(sys::Narrow(fontOf(form.BalloonHints1->Handle()).lfFaceName), "MS Sans Serif");
  EXPECT_EQ(fontOf(form.BalloonHints1->Handle()).lfHeight, -S(11));
  EXPECT_EQ(fontOf(program.Form2().Label1).lfHeight, -S(19));

  // The hints: one per button, balloons, always shown, with their delays and width.
  const HWND tips = form.BalloonHints1->Handle();
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 4);
  EXPECT_EQ(GetWindowLongW(tips, GWL_STYLE) & (TTS_BALLOON | TTS_ALWAYSTIP),
            TTS_BALLOON | TTS_ALWAYSTIP);
  EXPECT_EQ(SendMessageW(tips, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
  EXPECT_EQ(SendMessageW(tips, TTM_GETDELAYTIME, TTDT_RESHOW, 0), 50);
  EXPECT_EQ(SendMessageW(tips, TTM_GETMAXTIPWIDTH, 0, 0), S(100));
  const std::pair<int, const char*> hints[] = {{ui::kFileCommand, "Выбор файла для загрузки"},
                                               {ui::kPortCommand, "Выбрать последовательный порт"},
                                               {ui::kStartCommand, "Начать загрузку"},
                                               {ui::kExitCommand, "Выход"}};
  for (const auto& [command, hint] : hints) {
    wchar_t text[128] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form.Toolbar1->Handle();
    tool.uId = static_cast<UINT_PTR>(command);
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(sys::Narrow(text), hint) << command;
  }

  // The prompt: its size, its one line, no caption, not shown yet.
  const HWND prompt = program.Form2().Handle();
  GetClientRect(prompt, &client);
  EXPECT_EQ(client.right, S(195));
  EXPECT_EQ(client.bottom, S(57));
  EXPECT_EQ(TextOf(prompt), "");
  EXPECT_EQ(TextOf(program.Form2().Label1), "Включи питание");
  EXPECT_FALSE(IsWindowVisible(prompt));
  EXPECT_FALSE(GetWindowLongW(prompt, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

TEST(Win32Window, ThePortMenuListsThePortsInOrderAndFollowsItsRules) {
  WindowRig rig;
  rig.ports = {"COM2", "COM10", "COM1", "A&B"};
  rig.WriteValidSettings();
  rig.Create().Show();
  ui::TForm1& form = rig.Form();
  ui::TPortMenu& menu = *form.PortMenu;
  ASSERT_EQ(GetMenuItemCount(menu.Handle()), 4);
  std::vector<std::string> captions;
  for (int i = 0; i < 4; ++i) {
    wchar_t caption[32] = L"";
    GetMenuStringW(menu.Handle(), i, caption, 32, MF_BYPOSITION);
    captions.push_back(sys::Narrow(caption));
  }
  // Case-insensitive text order (COM10 before COM2); "&" doubled so that it shows as itself.
  EXPECT_EQ(captions, (std::vector<std::string>{"A&&B", "COM1", "COM10", "COM2"}));

  // A press opens the menu; the third item is chosen with the keyboard. A second press that
  // was made before the menu closed (the click that closed it) opens nothing.
  PressPortButton(form);
  PostKey(form.Handle(), VK_DOWN);
  PostKey(form.Handle(), VK_DOWN);
  PostKey(form.Handle(), VK_DOWN);
  PostKey(form.Handle(), VK_RETURN);
  PostMessageW(form.Handle(), WM_CHAR, L'\r', 1);  // Wine's menus choose on the character
  PressPortButton(form);
  ASSERT_TRUE(PumpUntil([&] { return form.PortStatusPane->Caption() == "COM10"; })) << menu.Drops();
  bool marker = false;
  form.Post([&] { marker = true; });
  ASSERT_TRUE(PumpUntil([&] { return marker; }));
  EXPECT_EQ(menu.Drops(), 1);
  EXPECT_EQ(rig.port.DeviceName(), "COM10");
  EXPECT_TRUE(rig.port.Active());
  EXPECT_NE(ReadFile(rig.SettingsFile()).find("Name=COM10"), std::string::npos);

  // With Shift held, or with the button disabled, a press opens nothing either.
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  const int drops = menu.Drops();
  PressPortButton(form);
  marker = false;
  form.Post([&] { marker = true; });
  ASSERT_TRUE(PumpUntil([&] { return marker; }));
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  form.SetEnabled(ui::Control::PortButton, false);
  PressPortButton(form);
  marker = false;
  form.Post([&] { marker = true; });
  ASSERT_TRUE(PumpUntil([&] { return marker; }));
  EXPECT_EQ(menu.Drops(), drops);

  // The menu opens below the button at its left edge, or right-aligned near the work area's
  // right edge.
  const RECT button{900, 100, 939, 125}, work{0, 0, 1024, 740};
  EXPECT_EQ(ui::TPortMenu::MenuLeft(button, 80, work), 900);
  EXPECT_EQ(ui::TPortMenu::MenuLeft(button, 150, work), 939 - 150);
}

TEST(Win32Window, ADownloadDisablesTheControlsAndShowsItsProgress) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TLoaderProgram& program = rig.Create();
  program.Show();
  ui::TForm1& form = rig.Form();
  auto& target = rig.port.target;
  const HWND prompt = program.Form2().Handle();

  form.Execute(form.ABegin);
  EXPECT_TRUE(IsWindowVisible(prompt));
  // Waiting for the device, File and Port stay usable.
  EXPECT_EQ(Enabled(form), (Controls{true, true, true, true}));
  form.Execute(form.ABegin);  // a second Start leaves one prompt
  target.SendHello();
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(target.DeliverOne());
  EXPECT_EQ(Enabled(form), (Controls{false, false, false, true}));
  EXPECT_FALSE(IsWindowVisible(prompt));
  EXPECT_TRUE(IsWindowVisible(form.ProgressBar1->Handle()));
  EXPECT_EQ(form.ProgressBar1->TotalParts(), 1000u / 128);
  // A disabled button does nothing.
  SendMessageW(form.Handle(), WM_COMMAND, ui::kFileCommand,
               reinterpret_cast<LPARAM>(form.Toolbar1->Handle()));
  EXPECT_EQ(rig.watch.Seen(), 0);

  target.Run();
  EXPECT_TRUE(target.Finished());
  const std::vector<std::uint8_t> sent = transfer::testing::PatternImage(1000);
  ASSERT_EQ(target.Image().size(), 8u * 128);
  EXPECT_TRUE(std::equal(sent.begin(), sent.end(), target.Image().begin()));
  EXPECT_EQ(Enabled(form), (Controls{true, true, true, true}));
  EXPECT_FALSE(IsWindowVisible(form.ProgressBar1->Handle()));
  EXPECT_LE(form.ProgressBar1->PaintCount(), 101);

  // A wrong reply: the information box, no icon, the application title; the controls come
  // back, so that the user can try again.
  target.ReplaceReply(target.Packets().size() + 3, 0x00);
  form.Execute(form.ABegin);
  target.SendHello();
  rig.watch.Expect([](HWND box) {
    EXPECT_EQ(DialogWatch::Caption(box), "Загрузчик");
    EXPECT_EQ(DialogWatch::Text(box), "Ошибка ответа");
    EXPECT_FALSE(DialogWatch::HasIcon(box));
    DialogWatch::Press(box, IDOK);
  });
  target.Run();
  EXPECT_TRUE(rig.watch.AllHandled());
  EXPECT_EQ(form.Behaviour().Transfer().TransferState(), transfer::State::Idle);
  EXPECT_EQ(Enabled(form), (Controls{true, true, true, true}));

  // Exit closes the window and the port, and sends nothing more.
  form.Execute(form.AExit);
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  rig.Destroy();
  EXPECT_FALSE(rig.port.Active());
}

TEST(Win32Window, TheProgressBarRoundsTiesToEvenAndPaintsOnlyOnChange) {
  WindowRig rig;
  rig.WriteValidSettings();
  rig.Create().Show();
  ui::TProgressBar& bar = *rig.Form().ProgressBar1;
  rig.Form().ShowProgress();
  bar.SetTotalParts(8);
  const int painted = bar.PaintCount();
  const std::pair<std::uint32_t, std::uint16_t> steps[] = {
      {1, 12}, {3, 38}, {5, 62}, {7, 88}, {9, 100}};
  for (const auto& [parts, percent] : steps) {
    bar.SetPartsComplete(parts);
    EXPECT_EQ(bar.Percent(), percent) << parts;
  }
  EXPECT_EQ(bar.PartsComplete(), 8u);
  EXPECT_EQ(bar.PaintCount(), painted + 5);
  bar.SetTotalParts(8);  // unchanged: nothing changes
  EXPECT_EQ(bar.Percent(), 100);
  bar.SetTotalParts(0);
  bar.SetPartsComplete(5);
  EXPECT_EQ(bar.Percent(), 0);
  EXPECT_EQ(bar.PaintCount(), painted + 6);
}

}  // namespace
