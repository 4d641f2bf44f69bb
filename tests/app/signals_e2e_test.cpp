// SIGTERM while a modal window is open, in each place the program opens one: the whole program
// (ui::RunLoader) ends as the close box would end it, promptly, the port closed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <fstream>

#include "modal_watcher.h"
#include "program_rig.h"
#include "sim_target.h"
#include "sys/interrupt.h"
#include "ui/qt/application.h"
#include "ui/qt/widgets/tool_bar.h"

namespace {

using apptest::ProgramRig;
using apptest::SimTarget;
using testsupport::ModalWatcher;

struct ProgramRun {
  bool mainShown = false;  // the main window was ever visible
  QStringList modals;      // kinds of the modal windows met, in order
  bool signalled = false;
  bool timedOut = false;
  qint64 msAfterSignal = -1;  // from the signal to RunLoader's return
};

ui::TForm1* MainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("Form1")) return qobject_cast<ui::TForm1*>(w);
  return nullptr;
}

// Runs the program until it returns. SIGTERM is raised once a modal window of kind `when` is
// the active one (the rig's watcher meets every modal window and leaves it up); `act` runs
// once the main window is shown (to start a download, say).
ProgramRun RunUntilSignal(ProgramRig& rig, ui::ProgramSetup setup, const QString& when,
                          std::function<void(ui::TForm1&)> act = nullptr) {
  ProgramRun run;
  QElapsedTimer sinceSignal;
  // Windows before the one to signal in are answered, as a user would.
  std::function<bool(QWidget*)> answer = [&](QWidget* modal) {
    const QString kind = testsupport::Describe(modal).kind;
    if (run.modals.isEmpty() || run.modals.back() != kind) run.modals << kind;
    if (run.signalled) return false;
    if (kind != when) {
      rig.watcher.Expect(QString(), answer);
      return ModalWatcher::Accept()(modal);
    }
    run.signalled = true;
    sinceSignal.start();
    ::raise(SIGTERM);
    return false;
  };
  rig.watcher.Expect(QString(), answer);
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    ui::TForm1* form = MainWindow();
    if (form && form->isVisible() && !run.mainShown) {
      run.mainShown = true;
      if (act) QTimer::singleShot(50, form, [form, act] { act(*form); });
    }
  });
  poll.start();
  // A program that ignores the signal is closed by force, and the test fails.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    run.timedOut = true;
    QTimer* force = new QTimer(&watchdog);
    QObject::connect(force, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget())
        testsupport::ModalWatcher::Dismiss(modal);
      else if (ui::TForm1* form = MainWindow())
        form->close();
    });
    force->start(10);
  });
  watchdog.start(20000);
  ui::RunLoader(static_cast<ui::Application&>(*qApp), std::move(setup));
  if (run.signalled) run.msAfterSignal = sinceSignal.elapsed();
  sys::ClearInterruptRequest();
  return run;
}

ui::ProgramSetup SetupOf(const ProgramRig& rig, std::vector<std::string> ports) {
  ui::ProgramSetup setup;
  setup.ListPorts = [ports = std::move(ports)] { return ports; };
  setup.SettingsFile = rig.SettingsFile();
  return setup;
}

void ExpectEndedBySignal(const ProgramRun& run) {
  EXPECT_TRUE(run.signalled) << run.modals.join(',').toStdString();
  EXPECT_FALSE(run.timedOut) << run.modals.join(',').toStdString();
  EXPECT_LT(run.msAfterSignal, 5000);
  EXPECT_FALSE(MainWindow() && MainWindow()->isVisible());
}

TEST(SignalsInModalWindows, StartUpNeverShowsTheWindowAfterASignalInTheFirstStartsDialogs) {
  for (const QString& when : {QStringLiteral("file"), QStringLiteral("information")}) {
    SCOPED_TRACE(when.toStdString());
    ProgramRig rig;
    const ProgramRun run = RunUntilSignal(rig, SetupOf(rig, {"/dev/ttyS0"}), when);
    ExpectEndedBySignal(run);
    EXPECT_FALSE(run.mainShown);
  }
}

TEST(SignalsInModalWindows, TheStartUpMessageTheErrorReportAndTheQuestionEachCloseTheWindow) {
  {
    SCOPED_TRACE("the port message at start-up");
    ProgramRig rig;
    const auto hex = rig.WriteHex("stored.hex", 200);
    rig.WriteSettings("[PortName]\nName=/dev/ttyUSB7\n[FileName]\nName=" + hex.string() + "\n");
    const ProgramRun run =
        RunUntilSignal(rig, SetupOf(rig, {"/dev/ttyS0"}), QStringLiteral("information"));
    ExpectEndedBySignal(run);
    EXPECT_TRUE(run.mainShown);
  }
  {
    SCOPED_TRACE("the error report of a Start whose file has gone");
    ProgramRig rig;
    const auto hex = rig.WriteHex("gone.hex", 200);
    rig.WriteSettings("[PortName]\nName=/dev/ttyS0\n[FileName]\nName=" + hex.string() + "\n");
    const ProgramRun run = RunUntilSignal(rig, SetupOf(rig, {"/dev/ttyS0"}),
                                          QStringLiteral("error"), [hex](ui::TForm1& form) {
                                            std::filesystem::remove(hex);
                                            form.ToolButton3->click();
                                          });
    ExpectEndedBySignal(run);
    EXPECT_EQ(run.modals, QStringList{QStringLiteral("error")});
  }
  {
    SCOPED_TRACE("the question before a download of hours");
    ProgramRig rig;
    // One byte at 0x08000000: an image of 128 MiB.
    const auto hex = rig.Folder() / "high.hex";
    std::ofstream(hex) << ":020000040800F2\r\n:0100000042BD\r\n:00000001FF\r\n";
    rig.WriteSettings("[PortName]\nName=/dev/ttyS0\n[FileName]\nName=" + hex.string() + "\n");
    const ProgramRun run =
        RunUntilSignal(rig, SetupOf(rig, {"/dev/ttyS0"}), QStringLiteral("messagebox"),
                       [](ui::TForm1& form) { form.ToolButton3->click(); });
    ExpectEndedBySignal(run);
    // Answered No by the signal: nothing converted.
    EXPECT_FALSE(std::filesystem::exists(rig.Folder() / "high.BIN"));
  }
}

TEST(SignalsInModalWindows, AWrongReplysMessageClosesTheWindowAndThePort) {
  if (!SimTarget::Available()) GTEST_SKIP() << "zagruzchik-sim not built";
  ProgramRig rig;
  SimTarget sim;
  ASSERT_TRUE(sim.Start({"--no-pace", "--wrong-reply-at", "4"}));
  const auto hex = rig.WriteHex("board.hex", 1000);
  const std::string port = sim.SlavePath().toStdString();
  rig.WriteSettings("[PortName]\nName=" + port + "\n[FileName]\nName=" + hex.string() + "\n");
  const ProgramRun run = RunUntilSignal(rig, SetupOf(rig, {port}), QStringLiteral("information"),
                                        [](ui::TForm1& form) { form.ToolButton3->click(); });
  ExpectEndedBySignal(run);
  EXPECT_EQ(run.modals, QStringList{QStringLiteral("information")});
  // The port was closed: the simulator has the line hung up and ends.
  EXPECT_TRUE(sim.WaitFinished());
}

}  // namespace
