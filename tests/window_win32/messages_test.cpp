#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <set>
#include <string>
#include <thread>

#include "behaviour/error_report_cases.h"
#include "serial/win32/window_dispatcher.h"
#include "sys/interrupt.h"
#include "sys/paths.h"
#include "sys/win32/wide_text.h"
#include "ui/win32/messages.h"
#include "ui/win32/port_status_pane.h"
#include "window_rig.h"

namespace {

using wintest::DialogWatch;
using wintest::PumpUntil;
using wintest::WindowRig;

TEST(Win32Messages, AFirstStartAsksForTheFileAndSaysThePortIsNotDefinedInFrontOfIt) {
  WindowRig rig;
  rig.ports = {};
  HWND fileDialog = nullptr;
  bool mainShownMeanwhile = true;
  rig.watch.Expect([&](HWND dialog) {
    EXPECT_EQ(DialogWatch::Caption(dialog), "Выбери файл (*.hex) для загрузки");
    fileDialog = dialog;  // left open: the deferred message comes up in its loop
  });
  rig.watch.Expect([&](HWND box) {
    EXPECT_EQ(DialogWatch::Caption(box), "Загрузчик");
    EXPECT_EQ(DialogWatch::Text(box), "Последовательный порт не определен");
    EXPECT_FALSE(DialogWatch::HasIcon(box));
    mainShownMeanwhile = false;
    DialogWatch::Press(box, IDOK);
    DialogWatch::Press(fileDialog, IDCANCEL);
  });
  ui::TLoaderProgram& program = rig.Create();
  EXPECT_TRUE(rig.watch.AllHandled());
  EXPECT_FALSE(mainShownMeanwhile);
  EXPECT_FALSE(IsWindowVisible(rig.Form().Handle()));
  EXPECT_EQ(rig.Form().Behaviour().DeferredMessage, "");
  wchar_t caption[64] = L"x";
  GetWindowTextW(rig.Form().Handle(), caption, 64);
  EXPECT_EQ(sys::Narrow(caption), "");
  // Start is enabled, but does nothing without a port.
  program.Show();
  rig.Form().Execute(rig.Form().ABegin);
  EXPECT_FALSE(IsWindowVisible(program.Form2().Handle()));
  EXPECT_EQ(rig.watch.Seen(), 2);
}

// The application windows of this thread (the program's own task-bar window).
std::set<HWND> ApplicationWindows() {
  std::set<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM list) {
        wchar_t name[32] = L"";
        GetClassNameW(window, name, 32);
        if (std::wstring(name) == L"TApplication")
          reinterpret_cast<std::set<HWND>*>(list)->insert(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Whether the thread has been asked to end its message loop; takes the request away.
bool QuitPosted() {
  MSG message;
  bool posted = false;
  while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) posted = true;
  return posted;
}

// Windows asks a program to end with WM_CLOSE to its top-level windows (taskkill) and with
// WM_ENDSESSION as the session ends: in every modal state the program ends as its close box
// would end it, the port closed.
TEST(Win32Messages, AskedToEndInAnyDialogTheProgramEndsAndClosesThePort) {
  {
    SCOPED_TRACE("the first start's file dialog");
    WindowRig rig;
    rig.ports = {};
    const std::set<HWND> before = ApplicationWindows();
    rig.watch.Expect([&before](HWND dialog) {
      for (const HWND window : ApplicationWindows())
        if (!before.count(window)) PostMessageW(window, WM_CLOSE, 0, 0);
      PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    rig.watch.Expect([](HWND) {});  // the port message, if it comes before the quit ends it
    ui::TLoaderProgram& program = rig.Create();
    EXPECT_TRUE(program.CloseRequested());
    EXPECT_FALSE(IsWindowVisible(rig.Form().Handle()));
    EXPECT_TRUE(QuitPosted());
  }
  {
    SCOPED_TRACE("the error report");
    WindowRig rig;
    rig.WriteValidSettings();
    rig.Create().Show();
    rig.images.FailWith("Cannot open file \"\". The system cannot find the file specified");
    static HWND shown = nullptr;
    static bool forced = false;
    rig.watch.Expect([main = rig.Form().Handle()](HWND box) {
      shown = box;
      PostMessageW(main, WM_CLOSE, 0, 0);
      // Should the quit not end the box, it is pressed away and the test fails.
      SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        if (IsWindow(shown)) {
          forced = true;
          DialogWatch::Press(shown, IDOK);
        }
      });
    });
    rig.Form().Execute(rig.Form().ABegin);
    EXPECT_FALSE(forced);
    EXPECT_FALSE(IsWindow(shown));
    EXPECT_TRUE(QuitPosted());
  }
  {
    SCOPED_TRACE("the session ending while the prompt waits for the target");
    WindowRig rig;
    rig.WriteValidSettings();
    ui::TLoaderProgram& program = rig.Create();
    program.Show();
    rig.Form().Execute(rig.Form().ABegin);
    ASSERT_TRUE(rig.Form().Behaviour().Comm1.Active());
    SendMessageW(program.Application().Handle(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(program.Application().Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(rig.Form().Behaviour().Comm1.Active());
    EXPECT_TRUE(program.CloseRequested());
    EXPECT_TRUE(QuitPosted());
    sys::ClearInterruptRequest();
  }
}

TEST(Win32Messages, FailuresAreReportedWithTheStopIconAndAFullStop) {
  WindowRig rig;
  rig.WriteValidSettings();
  rig.Create().Show();
  rig.images.FailWith("Cannot open file \"\". The system cannot find the file specified");
  rig.watch.Expect([](HWND box) {
    EXPECT_EQ(DialogWatch::Caption(box), "Загрузчик");
    EXPECT_EQ(DialogWatch::Text(box),
              "Cannot open file \"\". The system cannot find the file specified.");
    EXPECT_TRUE(DialogWatch::HasIcon(box));
    DialogWatch::Press(box, IDOK);
  });
  rig.Form().Execute(rig.Form().ABegin);
  EXPECT_TRUE(rig.watch.AllHandled());
  // The main window is active again afterwards.
  EXPECT_EQ(GetActiveWindow(), rig.Form().Handle());

  // A port that cannot be opened: its own message; the pane keeps the previous port.
  rig.port.target.FailOpen("Can't open specified device COM2 (Error 2, not found)");
  rig.watch.Expect([](HWND box) {
    EXPECT_EQ(DialogWatch::Text(box), "Can't open specified device COM2 (Error 2, not found)");
    DialogWatch::Press(box, IDOK);
  });
  rig.Form().PortMenuItemClick("COM2");
  EXPECT_TRUE(rig.watch.AllHandled());
}

// The one rule of both toolkits' reports (the Linux window's tests run the same table).
TEST(Win32Messages, TheErrorReportFollowsTheSharedRuleForEveryKindOfFailure) {
  for (const ErrorReportCase& each : ErrorReportCases()) {
    DialogWatch watch;
    std::string shown;
    if (each.shown) {
      watch.Expect([&](HWND box) {
        shown = DialogWatch::Text(box);
        EXPECT_TRUE(DialogWatch::HasIcon(box));
        DialogWatch::Press(box, IDOK);
      });
    }
    ui::ReportException(each.failure);
    EXPECT_EQ(watch.Seen(), each.shown ? 1 : 0) << each.kind;
    EXPECT_EQ(shown, each.shown.value_or("")) << each.kind;
  }
}

// A download of more than an hour is asked about first, No the default; No leaves the window
// as it was, and a shorter one is not asked about.
TEST(Win32Messages, ALongDownloadIsAskedAboutWithNoTheDefault) {
  WindowRig rig;
  rig.WriteValidSettings();
  rig.Create().Show();
  ui::TForm1& form = rig.Form();
  form.PortMenuItemClick("COM1");
  rig.images.SetExtent(transfer::ImageExtent{134'217'744, 0x08000000});
  const int conversions = rig.images.Conversions();
  bool noIsTheDefault = false;
  rig.watch.Expect([&](HWND box) {
    EXPECT_EQ(DialogWatch::Caption(box), "Загрузчик");
    EXPECT_EQ(DialogWatch::Text(box).rfind("Загрузка займёт 37 ч 15 мин: образ 134217744 байт", 0),
              0u);
    EXPECT_TRUE(DialogWatch::HasIcon(box));
    // The default button is drawn as such and has the focus (Wine sets no DM_GETDEFID).
    const HWND no = GetDlgItem(box, IDNO);
    noIsTheDefault = no != nullptr &&
                     ((GetWindowLongW(no, GWL_STYLE) & BS_DEFPUSHBUTTON) != 0 || GetFocus() == no);
    DialogWatch::Press(box, IDNO);
  });
  form.Execute(form.ABegin);
  EXPECT_TRUE(rig.watch.AllHandled());
  EXPECT_TRUE(noIsTheDefault);
  EXPECT_EQ(rig.images.Conversions(), conversions);
  EXPECT_FALSE(IsWindowVisible(rig.program->Form2().Handle()));

  rig.images.SetExtent(transfer::ImageExtent{300, 0});
  form.Execute(form.ABegin);
  EXPECT_EQ(rig.watch.Seen(), 1);
  EXPECT_EQ(rig.images.Conversions(), conversions + 1);
}

TEST(Win32Messages, PostedCallsRunInOrderInsideAMessageBoxsLoop) {
  std::vector<int> ran;
  serial::WindowDispatcher dispatcher(&ui::ReportException);
  DialogWatch watch;
  watch.Expect([&](HWND box) {
    // From another thread, as the port's threads post; the last call closes the box.
    std::thread poster([&] {
      for (int i = 1; i <= 3; ++i) dispatcher.Post([&ran, i] { ran.push_back(i); });
      dispatcher.Post([box] { DialogWatch::Press(box, IDOK); });
    });
    poster.join();
  });
  ui::ShowInformation("Ошибка ответа");
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));

  // A call that throws is reported, and the next still runs.
  watch.Expect([](HWND box) {
    EXPECT_EQ(DialogWatch::Text(box), "broken.");
    DialogWatch::Press(box, IDOK);
  });
  dispatcher.Post([] { throw std::runtime_error("broken"); });
  dispatcher.Post([&ran] { ran.push_back(4); });
  ASSERT_TRUE(PumpUntil([&] { return ran.size() == 4; }));
  EXPECT_TRUE(watch.AllHandled());
}

// Confirming a name typed in the dialog, and cancelling after going to another folder. Wine's
// shell dialog takes no path in its name field: there the test sees that a cancel makes the
// folder it showed (the desktop's, where the tests leave the dialogs) current.
TEST(Win32FileDialog, TheShellDialogMakesTheFolderItShowedCurrentOnCancel) {
  WindowRig rig;
  rig.WriteValidSettings();
  rig.Create().Show();
  ui::TForm1& form = rig.Form();
  wchar_t desktop[MAX_PATH] = L"";
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop)));
  const std::string file = form.Behaviour().HexFileName;
  rig.watch.Expect([&](HWND dialog) {
    EXPECT_EQ(DialogWatch::Caption(dialog), "Выбери файл (*.hex) для загрузки");
    DialogWatch::Press(dialog, IDCANCEL);
  });
  form.Execute(form.ASelectFile);
  EXPECT_TRUE(rig.watch.AllHandled());
  EXPECT_EQ(form.Behaviour().HexFileName, file);
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), desktop));
}

TEST(Win32FileDialog, TheCommonDialogMakesTheShownFolderCurrent) {
  WindowRig rig;
  rig.WriteValidSettings();
  rig.Create().Show();
  ui::TForm1& form = rig.Form();
  form.ShellFileDialog = false;
  const std::filesystem::path chosen =
      rig.MakeFile("папка с пробелом/прошивка.hex", ":00000001FF\r\n");
  rig.watch.Expect([&](HWND dialog) {
    EXPECT_EQ(DialogWatch::Caption(dialog), "Выбери файл (*.hex) для загрузки");
    const HWND name = DialogWatch::FirstEdit(dialog);
    ASSERT_NE(name, nullptr);
    SetWindowTextW(name, chosen.wstring().c_str());
    DialogWatch::Press(dialog, IDOK);
  });
  form.Execute(form.ASelectFile);
  EXPECT_TRUE(rig.watch.AllHandled());
  EXPECT_EQ(form.Behaviour().HexFileName, sys::Utf8Of(chosen));
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), chosen.parent_path()));

  // The desktop's folder: the folder a dialog showed last is where the next one starts, also
  // in the next run, so it must outlive the test.
  wchar_t desktop[MAX_PATH] = L"";
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop)));
  const std::filesystem::path other = desktop;
  rig.watch.Expect([&](HWND dialog) {
    SetWindowTextW(DialogWatch::FirstEdit(dialog), other.wstring().c_str());
    DialogWatch::Press(dialog, IDOK);  // opens the folder
    DialogWatch::Press(dialog, IDCANCEL);
  });
  form.Execute(form.ASelectFile);
  EXPECT_TRUE(rig.watch.AllHandled());
  EXPECT_EQ(form.Behaviour().HexFileName, sys::Utf8Of(chosen));
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), other));
}

}  // namespace
