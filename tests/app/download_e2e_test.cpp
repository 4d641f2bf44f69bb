// Downloads through the real windows, the real serial port device and a pseudo-terminal with
// the simulated boot loader on its other side.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <csignal>

#include "program_rig.h"
#include "ser2net_config.h"
#include "serial/port_device.h"
#include "sim_target.h"
#include "sys/interrupt.h"
#include "ui/qt/close_on_signals.h"
#include "ui/qt/widgets/port_button.h"
#include "ui/qt/widgets/progress_bar.h"

namespace {

using apptest::EventProbe;
using apptest::ProgramRig;
using apptest::SimTarget;
using testsupport::ModalWatcher;
using testsupport::WaitFor;

constexpr std::size_t kImageSize = 1000;  // seven whole blocks and a part

QByteArray ReadAll(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Bytes(const std::vector<std::uint8_t>& data) {
  return QByteArray(reinterpret_cast<const char*>(data.data()),
                    static_cast<qsizetype>(data.size()));
}

// What the window looked like at one moment of the download.
struct Snapshot {
  bool promptShown;
  bool progressShown;
  bool controlsEnabled;
  bool controlsDisabled;
};

class DownloadE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SimTarget::Available()) GTEST_SKIP() << "zagruzchik-sim not built";
  }

  // Starts the simulator with the given faults and the program on its pseudo-terminal, with
  // the port and the HEX file both remembered, so that start-up shows nothing.
  // With viaLink the port's name is a link to the simulator's line, as /dev/serial/by-id names
  // are: a re-plugged adapter comes back behind the same name.
  void StartProgram(QStringList simArguments, bool viaLink = false) {
    hex_ = rig_.WriteHex("board.hex", kImageSize);
    received_ = rig_.Folder() / "received.bin";
    ASSERT_TRUE(sim_.Start(simArguments << OutputTo(received_)));
    std::string port = sim_.SlavePath().toStdString();
    if (viaLink) {
      port = (rig_.Folder() / "line").string();
      LinkLine(sim_);
    }
    rig_.WriteSettings("[PortName]\nName=" + port + "\n[FileName]\nName=" + hex_.string() + "\n");
    rig_.Create({port});
    rig_.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig_.Form1()));
    rig_.DispatchQueued();
    ASSERT_TRUE(rig_.watcher.Seen().empty()) << rig_.watcher.Kinds().toStdString();
    promptShows_ = std::make_unique<EventProbe>(&rig_.Form2(), QEvent::Show, [this] {
      promptShownWithBar_ = rig_.Form1().ProgressBar1->isVisible();
      ++promptShowCount_;
    });
    barPaints_ = std::make_unique<EventProbe>(rig_.Form1().ProgressBar1, QEvent::Paint,
                                              [this] { snapshots_.push_back(Now()); });
  }

  static QStringList OutputTo(const std::filesystem::path& received) {
    return {"--no-pace", "--out", QString::fromStdString(received.string()), "--length",
            QString::number(kImageSize)};
  }

  void LinkLine(const SimTarget& sim) {
    const std::filesystem::path link = rig_.Folder() / "line";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(sim.SlavePath().toStdString(), link);
  }

  Snapshot Now() {
    return {rig_.Form2().isVisible(), rig_.Form1().ProgressBar1->isVisible(),
            rig_.ControlsEnabled(), rig_.ControlsDisabled()};
  }

  void ClickStart() { QTest::mouseClick(rig_.Form1().ToolButton3, Qt::LeftButton); }
  bool Idle() {
    return rig_.Form1().Behaviour().Transfer().TransferState() == transfer::State::Idle;
  }

  ProgramRig rig_;
  SimTarget sim_;
  std::filesystem::path hex_;
  std::filesystem::path received_;
  std::unique_ptr<EventProbe> promptShows_;
  std::unique_ptr<EventProbe> barPaints_;
  int promptShowCount_ = 0;
  bool promptShownWithBar_ = false;
  std::vector<Snapshot> snapshots_;
};

TEST_F(DownloadE2E, AFullDownloadThroughTheWindowDeliversTheConvertedImage) {
  StartProgram({});
  EXPECT_EQ(rig_.Form1().windowTitle(), QStringLiteral("board.hex"));
  ClickStart();
  ASSERT_TRUE(WaitFor([&] { return !snapshots_.empty() && Idle() && !Now().progressShown; }))
      << sim_.Errors().toStdString();

  EXPECT_EQ(promptShowCount_, 1);
  EXPECT_FALSE(promptShownWithBar_);
  for (const Snapshot& s : snapshots_) {
    EXPECT_FALSE(s.promptShown);
    EXPECT_TRUE(s.progressShown);
    EXPECT_TRUE(s.controlsDisabled);
  }
  const Snapshot after = Now();
  EXPECT_FALSE(after.promptShown);
  EXPECT_TRUE(after.controlsEnabled);
  EXPECT_TRUE(rig_.Form1().AExit->isEnabled());
  EXPECT_TRUE(rig_.watcher.Seen().empty()) << rig_.watcher.Kinds().toStdString();

  // The closing command is queued last; the port's Close discards what is still queued, so
  // the program ends only once the target has it (it writes the image then).
  ASSERT_TRUE(WaitFor([&] { return ReadAll(received_).size() == kImageSize; }))
      << sim_.Errors().toStdString();
  rig_.Shutdown();  // closes the port: the simulator sees the line end and finishes
  ASSERT_TRUE(sim_.WaitFinished());
  EXPECT_EQ(sim_.ExitCode(), 0) << sim_.Errors().toStdString();
  EXPECT_EQ(ReadAll(received_), Bytes(rig_.Data()));
  EXPECT_EQ(ReadAll(rig_.Folder() / "board.BIN"), Bytes(rig_.Data()));
}

TEST_F(DownloadE2E, AWrongReplyDuringTheDownloadIsShownOnceAndTheControlsComeBack) {
  StartProgram({"--wrong-reply-at", "4"});
  QString copied;
  Snapshot during{};
  rig_.watcher.Expect("information", [&](QWidget* modal) {
    during = Now();
    return ModalWatcher::CopyThenAccept(&copied)(modal);
  });
  ClickStart();
  ASSERT_TRUE(WaitFor([&] { return rig_.watcher.Seen().size() == 1 && Idle(); }));
  rig_.DispatchQueued();
  EXPECT_EQ(rig_.watcher.Kinds(), QStringLiteral("information"));
  EXPECT_EQ(rig_.watcher.Seen()[0].text, QStringLiteral("Ошибка ответа"));
  EXPECT_EQ(rig_.watcher.Seen()[0].title, QStringLiteral("Загрузчик"));
  const QString divider(27, QLatin1Char('-'));
  EXPECT_EQ(copied, divider + "\r\nЗагрузчик\r\n" + divider + "\r\nОшибка ответа\r\n" + divider +
                        "\r\nOK   \r\n" + divider + "\r\n");
  // The transfer was reset before the message came up.
  EXPECT_FALSE(during.progressShown);
  EXPECT_TRUE(during.controlsEnabled);

  EXPECT_FALSE(Now().progressShown);
  EXPECT_TRUE(Now().controlsEnabled);
  // Usable again: another Start brings the prompt back.
  ClickStart();
  EXPECT_TRUE(WaitFor([&] { return rig_.Form2().isVisible(); }));
  EXPECT_EQ(promptShowCount_, 2);
}

TEST_F(DownloadE2E, AWrongByteWhileThePromptIsUpLeavesThePromptShown) {
  StartProgram({"--noise", "12", "--silent-after", "0"});
  bool promptShownDuringMessage = false;
  rig_.watcher.Expect("information", ModalWatcher::CheckThenAccept([&](QWidget*) {
                        promptShownDuringMessage = rig_.Form2().isVisible();
                      }));
  ClickStart();
  ASSERT_TRUE(
      WaitFor([&] { return rig_.watcher.Seen().size() == 1 && rig_.watcher.Pending() == 0; }));
  EXPECT_EQ(rig_.watcher.Seen()[0].text, QStringLiteral("Ошибка ответа"));
  EXPECT_TRUE(promptShownDuringMessage);
  EXPECT_TRUE(rig_.Form2().isVisible());
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(Now().controlsEnabled);
}

TEST_F(DownloadE2E, AHungUpLineEndsTheDownloadAndTheNextStartOpensTheLineAgain) {
  StartProgram({"--hangup-after", "5"}, true);
  Snapshot during{};
  rig_.watcher.Expect("error", ModalWatcher::CheckThenAccept([&](QWidget*) { during = Now(); }));
  ClickStart();
  ASSERT_TRUE(
      WaitFor([&] { return rig_.watcher.Seen().size() == 1 && rig_.watcher.Pending() == 0; }));
  EXPECT_TRUE(rig_.watcher.Seen()[0].text.startsWith("Error retrieving statistics (5), "))
      << rig_.watcher.Seen()[0].text.toStdString();
  // The download had ended before the report came up, and the port had let go of the line.
  EXPECT_FALSE(during.progressShown);
  EXPECT_TRUE(during.controlsEnabled);
  EXPECT_FALSE(rig_.Form1().Behaviour().Comm1.Active());
  EXPECT_TRUE(Idle());
  ASSERT_TRUE(sim_.WaitFinished());

  // The adapter is plugged in again: a fresh line behind the same name.
  SimTarget again;
  const std::filesystem::path receivedAgain = rig_.Folder() / "received-again.bin";
  ASSERT_TRUE(again.Start(OutputTo(receivedAgain)));
  LinkLine(again);
  ClickStart();
  ASSERT_TRUE(WaitFor([&] { return Idle() && ReadAll(receivedAgain).size() == kImageSize; }))
      << again.Errors().toStdString();
  rig_.Shutdown();
  ASSERT_TRUE(again.WaitFinished());
  EXPECT_EQ(again.ExitCode(), 0) << again.Errors().toStdString();
  EXPECT_EQ(ReadAll(receivedAgain), Bytes(rig_.Data()));
  EXPECT_EQ(rig_.watcher.Seen().size(), 1u) << rig_.watcher.Kinds().toStdString();
}

TEST_F(DownloadE2E, ExitDuringADownloadEndsTheProgramAtOnceAndClosesThePort) {
  StartProgram({"--silent-after", "4"});  // the download stalls in the middle
  ClickStart();
  ASSERT_TRUE(WaitFor([&] {
    return Now().progressShown && rig_.Form1().Behaviour().Transfer().BlockCount() >= 2;
  }));

  QElapsedTimer took;
  took.start();
  QTimer::singleShot(0, rig_.Form1().ToolButton4,
                     [&] { QTest::mouseClick(rig_.Form1().ToolButton4, Qt::LeftButton); });
  // A watchdog instead of a hang should the loop not end.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  watchdog.start(10000);
  const int exitCode = QCoreApplication::exec();
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(rig_.Form1().isVisible());
  EXPECT_TRUE(rig_.watcher.Seen().empty()) << rig_.watcher.Kinds().toStdString();

  rig_.Shutdown();
  ASSERT_TRUE(sim_.WaitFinished());
  EXPECT_LT(took.elapsed(), 5000);
  // The simulator saw the line closed before the closing command.
  EXPECT_EQ(sim_.ExitCode(), 3);
}

// SIGTERM, SIGHUP or SIGINT (a kill, a closing session, Ctrl+C in the terminal) close the window
// as its close box does: the loop ends normally and the port is closed, not left to the kernel.
TEST_F(DownloadE2E, ASignalDuringADownloadClosesTheWindowAsItsCloseBoxDoes) {
  StartProgram({"--silent-after", "4"});
  const ui::CloseOnSignals closeOnSignals(rig_.Form1());
  ClickStart();
  ASSERT_TRUE(WaitFor([&] {
    return Now().progressShown && rig_.Form1().Behaviour().Transfer().BlockCount() >= 2;
  }));
  QTimer::singleShot(0, [] { ::raise(SIGTERM); });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  watchdog.start(10000);
  EXPECT_EQ(QCoreApplication::exec(), 0);
  sys::ClearInterruptRequest();
  EXPECT_FALSE(rig_.Form1().isVisible());
  EXPECT_TRUE(rig_.watcher.Seen().empty()) << rig_.watcher.Kinds().toStdString();
  rig_.Shutdown();
  ASSERT_TRUE(sim_.WaitFinished());
  EXPECT_EQ(sim_.ExitCode(), 3);
}

// A signal in the middle of a conversion stops it: no message, no image, no temporary file.
TEST_F(DownloadE2E, ASignalDuringTheConversionStopsItWithoutAMessage) {
  StartProgram({});
  sys::RequestInterrupt();
  ClickStart();
  sys::ClearInterruptRequest();
  rig_.DispatchQueued();
  EXPECT_TRUE(rig_.watcher.Seen().empty()) << rig_.watcher.Kinds().toStdString();
  EXPECT_FALSE(rig_.Form2().isVisible());
  EXPECT_FALSE(std::filesystem::exists(rig_.Folder() / "board.BIN"));
}

}  // namespace

// A port on a terminal server, listed in the settings: offered after the discovered ports,
// chosen from the menu, remembered, and downloaded through (Debian's ser2net in front of the
// simulator).
TEST(NetworkPortE2E, ChosenFromTheMenuItDownloadsAndIsRemembered) {
  if (!SimTarget::Available() || !ser2net_test::Installed())
    GTEST_SKIP() << "zagruzchik-sim or ser2net missing";
  ProgramRig rig;
  const std::filesystem::path hex = rig.WriteHex("board.hex", kImageSize);
  const std::filesystem::path received = rig.Folder() / "received.bin";
  SimTarget sim;
  ASSERT_TRUE(sim.Start({"--no-pace", "--out", QString::fromStdString(received.string()),
                         "--length", QString::number(kImageSize)}));
  const ser2net_test::Config config =
      ser2net_test::Write({{sim.SlavePath().toStdString()}}, rig.Folder().string());
  QProcess server;
  QStringList arguments;
  for (const std::string& each : config.arguments) arguments << QString::fromStdString(each);
  server.start(QString::fromLatin1(ser2net_test::kSer2net), arguments);
  ASSERT_TRUE(WaitFor([&] { return ser2net_test::Listening(config.ports[0]); }));
  const std::string url = config.urls[0];
  rig.WriteSettings("[PortName]\nName=ttyS7\n[FileName]\nName=" + hex.string() +
                    "\n[NetworkPorts]\nPort1=" + url + "\nPort2=  \nPort3=" + url + "\n");
  rig.Create({"ttyS7", "ttyS0"});
  rig.Show();
  rig.DispatchQueued();

  ui::TForm1& form = rig.Form1();
  QStringList items;
  for (const QAction* item : form.PortMenu->actions()) items << ui::TForm1::PortName(item).c_str();
  EXPECT_EQ(items, (QStringList{"ttyS0", "ttyS7", QString::fromStdString(url)}));
  form.PortMenu->actions().back()->trigger();
  EXPECT_TRUE(form.Behaviour().Comm1.Active());
  EXPECT_EQ(form.Behaviour().RegIniFile1.ReadValue("PortName", "Name", ""), url);

  QTest::mouseClick(form.ToolButton3, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return ReadAll(received).size() == kImageSize; }))
      << sim.Errors().toStdString();
  EXPECT_EQ(ReadAll(received), Bytes(rig.Data()));
  EXPECT_TRUE(rig.watcher.Seen().empty()) << rig.watcher.Kinds().toStdString();
  rig.Shutdown();
  server.kill();
  server.waitForFinished();
}
