// The window on a real line: COM1, which scripts/test-windows maps to a pseudo-terminal with
// the simulated target on its far side (ZAGRUZCHIK_TEST_PORT names it). The script checks the
// image the target received.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sys/paths.h"
#include "ui/win32/progress_bar.h"
#include "ui/win32/tool_bar.h"
#include "window_rig.h"

namespace {

using wintest::DialogWatch;
using wintest::PumpUntil;
using wintest::WindowRig;

const char* TestPort() {
  return std::getenv("ZAGRUZCHIK_TEST_PORT");
}

// The window with the real port and converter, on the HEX file the script left in the current
// folder, where the image is written too. A network port is offered by the settings.
ui::TForm1& CreateOnTheLine(WindowRig& rig) {
  const std::string hex = sys::Utf8Of(std::filesystem::current_path() / "app.hex");
  const std::string port = TestPort();
  const std::string network =
      port.find("://") != std::string::npos ? "[NetworkPorts]\r\nPort1=" + port + "\r\n" : "";
  rig.WriteSettings("[PortName]\r\nName=" + port + "\r\n[FileName]\r\nName=" + hex + "\r\n" +
                    network);
  rig.Create(true).Show();
  return rig.Form();
}

// Runs the window's messages until a download that has begun is over.
bool WaitForTheEnd(ui::TForm1& form, DWORD timeoutMs) {
  bool begun = false;
  return PumpUntil(
      [&] {
        if (form.Behaviour().Transfer().TransferState() != transfer::State::Idle) begun = true;
        return begun && form.Behaviour().Transfer().TransferState() == transfer::State::Idle;
      },
      timeoutMs);
}

TEST(Win32Line, ADownloadThroughTheWindowRunsToItsEnd) {
  if (!TestPort()) GTEST_SKIP() << "no line (ZAGRUZCHIK_TEST_PORT)";
  WindowRig rig;
  ui::TForm1& form = CreateOnTheLine(rig);
  form.Execute(form.ABegin);
  ASSERT_TRUE(WaitForTheEnd(form, 120000));
  EXPECT_EQ(rig.watch.Seen(), 0);
  EXPECT_TRUE(form.Toolbar1->Enabled(ui::kStartCommand));
  EXPECT_FALSE(IsWindowVisible(form.ProgressBar1->Handle()));
  EXPECT_EQ(form.ProgressBar1->Percent(), 100);
}

TEST(Win32Line, AWrongReplyIsShown) {
  if (!TestPort()) GTEST_SKIP() << "no line (ZAGRUZCHIK_TEST_PORT)";
  WindowRig rig;
  ui::TForm1& form = CreateOnTheLine(rig);
  rig.watch.Expect([](HWND box) {
    EXPECT_EQ(DialogWatch::Text(box), "Ошибка ответа");
    DialogWatch::Press(box, IDOK);
  });
  form.Execute(form.ABegin);
  ASSERT_TRUE(WaitForTheEnd(form, 60000));
  ASSERT_TRUE(PumpUntil([&] { return rig.watch.AllHandled(); }));
  // The controls come back, so that the user can try again.
  EXPECT_TRUE(form.Toolbar1->Enabled(ui::kStartCommand));
}

TEST(Win32Line, APortThatCannotOpenIsReported) {
  WindowRig rig;
  rig.WriteValidSettings();
  rig.Create(true).Show();
  rig.watch.Expect([](HWND box) {
    EXPECT_NE(DialogWatch::Text(box).find("COM250"), std::string::npos) << DialogWatch::Text(box);
    EXPECT_TRUE(DialogWatch::HasIcon(box));
    DialogWatch::Press(box, IDOK);
  });
  rig.Form().PortMenuItemClick("COM250");
  EXPECT_TRUE(rig.watch.AllHandled());
}

}  // namespace
