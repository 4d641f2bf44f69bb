// The termios2 ioctls carry an arbitrary bit rate (BOTHER), which 10400 bit/s needs. Their
// structures come from <asm/termbits.h>, which clashes with glibc's <termios.h>, so they live
// alone in this file.
#include "serial/linux/termios2.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>
#include <cerrno>
#include <cstring>

namespace serial::linux_tty {

namespace {

tcflag_t DataBitsFlag(TDatabits bits) {
  switch (bits) {
    case TDatabits::db5:
      return CS5;
    case TDatabits::db6:
      return CS6;
    case TDatabits::db7:
      return CS7;
    case TDatabits::db8:
      return CS8;
    case TDatabits::db4:
      break;
  }
  return 0;
}

tcflag_t ParityFlags(TParity parity) {
  switch (parity) {
    case TParity::paNone:
      return 0;
    case TParity::paOdd:
      return PARENB | PARODD;
    case TParity::paEven:
      return PARENB;
    case TParity::paMark:
      return PARENB | CMSPAR | PARODD;
    case TParity::paSpace:
      return PARENB | CMSPAR;
  }
  return 0;
}

}  // namespace

// Settings without a termios counterpart are not applied: OutDsrFlow, DsrSensitivity,
// TxContinueOnXoff, coErrorChar, coNullStrip, ErrorChar, EventChar, EofChar (raw mode has no end
// of file), XonLimit and XoffLimit. dtrHandshake and rtsToggle raise their line like "enabled".
int SetRawLine(int fd, const TLineSettings& line, LineRates& actual) {
  const tcflag_t size = DataBitsFlag(line.Databits);
  if (size == 0 || line.BaudRate <= 0) return EINVAL;
  const TFlowControl& flow = line.FlowControl;

  termios2 t{};
  t.c_cflag = size | ParityFlags(line.Parity) | CREAD | CLOCAL | BOTHER;
  // One and a half stop bits exist only with five data bits, where the UART makes them of CSTOPB.
  if (line.Stopbits != TStopbits::sb1) t.c_cflag |= CSTOPB;
  if (flow.OutCtsFlow || flow.ControlRts == TRtsControl::rtsHandshake) t.c_cflag |= CRTSCTS;
  if (flow.XonXoffOut) t.c_iflag |= IXON;
  if (flow.XonXoffIn) t.c_iflag |= IXOFF;
  if (line.Options.Contains(TCommOption::coParityCheck)) t.c_iflag |= INPCK;
  t.c_cc[VSTART] = line.EventChars.XonChar;
  t.c_cc[VSTOP] = line.EventChars.XoffChar;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  t.c_ispeed = static_cast<speed_t>(line.BaudRate);
  t.c_ospeed = static_cast<speed_t>(line.BaudRate);
  if (ioctl(fd, TCSETS2, &t) != 0) return errno;

  // Drivers report the rate their clock really makes; the caller judges whether it will do.
  termios2 back{};
  if (ioctl(fd, TCGETS2, &back) != 0) return errno;
  actual.input = back.c_ispeed;
  actual.output = back.c_ospeed;
  return 0;
}

static_assert(sizeof(termios2) <= sizeof(SavedLine::raw));

void SaveLine(int fd, SavedLine& saved) {
  termios2 t{};
  saved.valid = ioctl(fd, TCGETS2, &t) == 0;
  std::memcpy(saved.raw, &t, sizeof t);
}

void RestoreLine(int fd, const SavedLine& saved) {
  termios2 t{};
  std::memcpy(&t, saved.raw, sizeof t);
  ioctl(fd, TCSETS2, &t);
}

int GetLineState(int fd, LineState& state) {
  termios2 t{};
  if (ioctl(fd, TCGETS2, &t) != 0) return errno;
  state.inputRate = t.c_ispeed;
  state.outputRate = t.c_ospeed;
  switch (t.c_cflag & CSIZE) {
    case CS5:
      state.dataBits = 5;
      break;
    case CS6:
      state.dataBits = 6;
      break;
    case CS7:
      state.dataBits = 7;
      break;
    default:
      state.dataBits = 8;
      break;
  }
  state.parity = (t.c_cflag & PARENB) != 0;
  state.oddParity = (t.c_cflag & PARODD) != 0;
  state.markSpaceParity = (t.c_cflag & CMSPAR) != 0;
  state.twoStopBits = (t.c_cflag & CSTOPB) != 0;
  state.receiverOn = (t.c_cflag & CREAD) != 0;
  state.ignoreModem = (t.c_cflag & CLOCAL) != 0;
  state.hangUpOnClose = (t.c_cflag & HUPCL) != 0;
  state.rtsCtsFlow = (t.c_cflag & CRTSCTS) != 0;
  state.xonOutput = (t.c_iflag & IXON) != 0;
  state.xonInput = (t.c_iflag & IXOFF) != 0;
  state.xonAny = (t.c_iflag & IXANY) != 0;
  state.parityCheck = (t.c_iflag & INPCK) != 0;
  state.canonical = (t.c_lflag & ICANON) != 0;
  state.echo = (t.c_lflag & ECHO) != 0;
  state.outputProcessing = (t.c_oflag & OPOST) != 0;
  return 0;
}

}  // namespace serial::linux_tty
