/* Loaded into Wine's own processes (LD_PRELOAD) by scripts/test-windows: Wine's serial layer
   asks a port's modem lines, which a pseudo-terminal refuses; here a pseudo-terminal answers
   as a port with every line up and takes any change of them. Nothing else is touched. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <termios.h>

int ioctl(int fd, unsigned long request, ...) {
  static int (*real)(int, unsigned long, ...);
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  if (!real) real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
  const int result = real(fd, request, arg);
  if (result == 0 || (errno != ENOTTY && errno != EINVAL && errno != EIO)) return result;
  switch (request) {
    case TIOCMGET:
      *(int*)arg = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CD;
      return 0;
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
      return 0;
    default:
      return result;
  }
}
