// Run by scripts/package-windows from where a package put the programs: the window there, with
// the settings it finds by itself, keeps them under %APPDATA% when installed (an installed
// program cannot write its own folder; ZAGRUZCHIK_SETTINGS_PLACE=appdata), and beside itself
// when unpacked from the archive (=beside).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "sys/paths.h"
#include "sys/win32/wide_text.h"
#include "ui/settings/settings_store.h"
#include "window_rig.h"

namespace {

using wintest::DialogWatch;

TEST(Win32Packaged, TheWindowKeepsItsSettingsWhereThePackageWantsThem) {
  const char* place = std::getenv("ZAGRUZCHIK_SETTINGS_PLACE");
  if (!place) GTEST_SKIP() << "not where a package put the programs";
  const bool beside = std::string(place) == "beside";
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path programFolder = std::filesystem::path(self).parent_path();
  const std::filesystem::path appData = _wgetenv(L"APPDATA");
  const std::filesystem::path expected =
      beside ? programFolder / "test_window_win32.ini" : appData / "zagruzchik" / "zagruzchik.ini";
  EXPECT_EQ(ui::DefaultSettingsPath(), expected);

  wintest::WindowRig rig;
  const std::filesystem::path hex = rig.MakeFile("board.hex", ":00000001FF\r\n");
  // The first start: no settings, so the file dialog; the port message in front of it.
  HWND fileDialog = nullptr;
  rig.watch.Expect([&](HWND dialog) { fileDialog = dialog; });
  rig.watch.Expect([&](HWND box) {
    DialogWatch::Press(box, IDOK);
    DialogWatch::Press(fileDialog, IDCANCEL);
  });
  ui::ProgramSetup setup;  // the settings where the program finds them by itself
  setup.ListPorts = [] { return std::vector<std::string>{"COM1"}; };
  setup.Port = &rig.port;
  setup.Images = &rig.images;
  rig.program = std::make_unique<ui::TLoaderProgram>(std::move(setup));
  ASSERT_TRUE(rig.watch.AllHandled());

  ui::TForm1& form = rig.Form();
  form.ShellFileDialog = false;
  rig.watch.Expect([&](HWND dialog) {
    SetWindowTextW(DialogWatch::FirstEdit(dialog), hex.wstring().c_str());
    DialogWatch::Press(dialog, IDOK);
  });
  form.Execute(form.ASelectFile);
  EXPECT_TRUE(rig.watch.AllHandled());
  EXPECT_TRUE(std::filesystem::exists(expected));
  EXPECT_EQ(std::filesystem::exists(programFolder / "test_window_win32.ini"), beside);
}

}  // namespace
