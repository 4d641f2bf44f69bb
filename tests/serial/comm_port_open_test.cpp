#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>

#include "serial/linux/termios2.h"
#include "serial/linux/uucp_lock.h"
#include "support/port_fixture.h"

using namespace serial;
using namespace std::chrono_literals;

using CommPortOpen = PortFixture;

TEST_F(CommPortOpen, LineRunsAt10400Raw8N1WithoutFlowControl) {
  port.Open();
  ASSERT_TRUE(port.Active());
  linux_tty::LineState line;
  ASSERT_EQ(linux_tty::GetLineState(pty.Slave(), line), 0);
  EXPECT_EQ(line.outputRate, 10400u);
  EXPECT_EQ(line.inputRate, 10400u);
  EXPECT_EQ(line.dataBits, 8);
  EXPECT_FALSE(line.parity);
  EXPECT_FALSE(line.twoStopBits);
  EXPECT_TRUE(line.receiverOn);
  EXPECT_TRUE(line.ignoreModem);
  EXPECT_FALSE(line.hangUpOnClose);
  EXPECT_FALSE(line.rtsCtsFlow);
  EXPECT_FALSE(line.xonOutput);
  EXPECT_FALSE(line.xonInput);
  EXPECT_FALSE(line.xonAny);
  EXPECT_FALSE(line.canonical);
  EXPECT_FALSE(line.echo);
  EXPECT_FALSE(line.outputProcessing);
}

TEST_F(CommPortOpen, LineChangesWhileOpenApplyAtOnceUnlessUpdateDcbIsOff) {
  port.Open();
  port.SetUserBaudrate(9600);
  port.SetFlowControl({.OutCtsFlow = true});
  linux_tty::LineState line;
  ASSERT_EQ(linux_tty::GetLineState(pty.Slave(), line), 0);
  EXPECT_EQ(line.outputRate, 9600u);
  EXPECT_TRUE(line.rtsCtsFlow);
  // A line the device cannot make is refused with the line-settings message; the value stays.
  EXPECT_EQ(CommErrorOf([&] { port.SetDatabits(TDatabits::db4); }),
            "Error writing dcb (22), " + SystemErrorText(EINVAL));
  EXPECT_EQ(port.Databits(), TDatabits::db4);
  EXPECT_TRUE(port.Active());
  port.Close();

  port.SetDatabits(TDatabits::db8);
  port.SetUpdateDCB(false);
  port.SetUserBaudrate(10400);
  linux_tty::LineState before;
  ASSERT_EQ(linux_tty::GetLineState(pty.Slave(), before), 0);
  EXPECT_NE(before.outputRate, 9600u);  // Close put back the line the port had
  port.Open();
  ASSERT_EQ(linux_tty::GetLineState(pty.Slave(), line), 0);
  EXPECT_EQ(line.outputRate, before.outputRate);  // left as it was
}

TEST_F(CommPortOpen, MissingDeviceIsNotFoundAndStaysClosed) {
  port.SetDeviceName("ttyNoSuchPort7");
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), "Specified device not found (ttyNoSuchPort7).");
  EXPECT_FALSE(port.Active());
  port.SetDeviceName("COM%d");
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), "Specified device not found (COM0).");
  port.SetDeviceName("/dev/no/such/port");
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), "Specified device not found (/dev/no/such/port).");
}

TEST_F(CommPortOpen, DeviceThatIsNoTerminalCannotBeOpened) {
  port.SetDeviceName("/dev/null");
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }),
            "Can't open specified device /dev/null (Error 25, " + SystemErrorText(ENOTTY) + ")");
  EXPECT_FALSE(port.Active());
}

TEST_F(CommPortOpen, PortHeldElsewhereIsBusy) {
  const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  // Another opener's lock is the busy case, whatever the call says.
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), "Can't open specified device " + pty.SlavePath() +
                                                   " (Error 16, " + SystemErrorText(EBUSY) + ")");
  EXPECT_FALSE(port.Active());
  ::close(other);

  port.Open();
  TCommPort second(ui);
  second.SetDeviceName(pty.SlavePath());
  const std::string busy = CommErrorOf([&] { second.Open(); });
  // Refused by TIOCEXCL (EBUSY), or for a privileged user by the lock.
  EXPECT_TRUE(busy.starts_with("Can't open specified device " + pty.SlavePath() + " (Error "))
      << busy;
  EXPECT_FALSE(second.Active());
  EXPECT_TRUE(port.Active());
  int exclusive = 0;  // the refused opening left the holder's exclusive use alone
  ASSERT_EQ(::ioctl(pty.Slave(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1);
  port.Close();
  ASSERT_EQ(::ioctl(pty.Slave(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
}

// Terminal programs (minicom, picocom, cu) hold a port by a lock file that names them: a running
// holder makes the port busy, a gone one's lock is taken over; ours goes with Close.
TEST_F(CommPortOpen, TerminalProgramsLockFilesAreHonoured) {
  const std::string folder = ::testing::TempDir() + "/locks-" + std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  serial::linux_tty::SetUucpLockFolder(folder);
  std::string device = pty.SlavePath().substr(5);  // pts/N
  std::replace(device.begin(), device.end(), '/', '_');
  const std::string lock = folder + "/LCK.." + device;
  const auto writeLock = [&](long pid) { std::ofstream(lock) << std::setw(10) << pid << '\n'; };
  writeLock(::getppid());
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), "Can't open specified device " + pty.SlavePath() +
                                                   " (Error 16, " + SystemErrorText(EBUSY) + ")");
  EXPECT_FALSE(port.Active());

  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  writeLock(gone);
  port.Open();
  std::ifstream held(lock);
  long holder = 0;
  held >> holder;
  EXPECT_EQ(holder, ::getpid());
  port.Close();
  EXPECT_FALSE(std::filesystem::exists(lock));

  // Older programs write their number as 4 binary bytes; a program that has just made its lock
  // has not written it yet. Both hold the port; neither lock is removed.
  const std::string busy = "Can't open specified device " + pty.SlavePath() + " (Error 16, " +
                           SystemErrorText(EBUSY) + ")";
  const std::int32_t parent = ::getppid();
  std::ofstream(lock, std::ios::binary).write(reinterpret_cast<const char*>(&parent), 4);
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), busy);
  EXPECT_EQ(std::filesystem::file_size(lock), 4u);
  std::ofstream(lock, std::ios::trunc).close();
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), busy);
  EXPECT_TRUE(std::filesystem::exists(lock));
  // A binary number of a process that is gone is stale like a text one.
  const std::int32_t goneBinary = gone;
  std::ofstream(lock, std::ios::binary).write(reinterpret_cast<const char*>(&goneBinary), 4);
  port.Open();
  port.Close();
  EXPECT_FALSE(std::filesystem::exists(lock));
  serial::linux_tty::SetUucpLockFolder("/run/lock");
  std::filesystem::remove_all(folder);
}

// Close puts back the line settings the port had, so that a terminal opened by mistake is
// usable again.
TEST_F(CommPortOpen, CloseRestoresTheLineAsItWas) {
  termios before{};
  ASSERT_EQ(::tcgetattr(pty.Slave(), &before), 0);
  before.c_lflag |= ICANON | ECHO;
  before.c_oflag |= OPOST;
  ::cfsetspeed(&before, B9600);
  ASSERT_EQ(::tcsetattr(pty.Slave(), TCSANOW, &before), 0);
  port.Open();
  termios during{};
  ASSERT_EQ(::tcgetattr(pty.Slave(), &during), 0);
  EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
  port.Close();
  termios after{};
  ASSERT_EQ(::tcgetattr(pty.Slave(), &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B9600));
}

TEST_F(CommPortOpen, OpenPortRefusesOpenAndClosedOnlySettings) {
  port.Open();
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), kPortIsOpen);
  EXPECT_EQ(CommErrorOf([&] { port.SetDeviceName("COM3"); }), kPortIsOpen);
  EXPECT_EQ(port.DeviceName(), pty.SlavePath());
  EXPECT_EQ(CommErrorOf([&] { port.SetPortNum(3); }), kPortIsOpen);
  EXPECT_EQ(CommErrorOf([&] { port.SetBuffers({}); }), kPortIsOpen);
  EXPECT_EQ(CommErrorOf([&] { port.SetMonitorEvents({}); }), kPortIsOpen);
  EXPECT_EQ(CommErrorOf([&] { port.SetDirectWrite(true); }), kPortIsOpen);
  EXPECT_EQ(CommErrorOf([&] { port.SetUpdateDCB(false); }), kPortIsOpen);
  EXPECT_TRUE(port.Active());
  port.SetReadTimeout(10);  // the time-outs may change while open
  EXPECT_EQ(port.Buffers().ReadTimeout, 10);
}

TEST_F(CommPortOpen, OpenAndCloseRaiseTheirEventsAndCloseEndsWithItsPause) {
  int opened = 0;
  int closed = 0;
  port.OnOpen = [&](TCommPort& sender) {
    EXPECT_EQ(&sender, &port);
    ++opened;
    throw ECommError("from OnOpen");
  };
  port.OnClose = [&](TCommPort&) { ++closed; };
  port.SetClosePause(300ms);
  port.Open();  // the handler's failure goes to the error report, the opening stands
  EXPECT_TRUE(port.Active());
  EXPECT_EQ(reported, std::vector<std::string>{"from OnOpen"});
  const auto start = std::chrono::steady_clock::now();
  port.Close();
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  EXPECT_FALSE(port.Active());
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(closed, 1);
  port.SetClosePause(0ms);
  port.Open();  // and the port can be opened again
  EXPECT_TRUE(port.Active());
}
