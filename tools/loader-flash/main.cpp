// loader-flash: downloads a HEX file into the target's boot loader from the command line,
// with the same conversion, engine and serial port device as the window.
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "flash_options.h"
#include "flash_run.h"

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with its message instead of killing us.
  std::signal(SIGXFSZ, SIG_IGN);
  flash::FlashOptions options;
  try {
    options = flash::ParseFlashOptions(argc, argv);
  } catch (const flash::UsageError& error) {
    std::fprintf(stderr, "loader-flash: %s\n%s", error.what(), flash::kFlashUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(flash::kFlashUsage, stdout);
    return 0;
  }
  // Qt's own dispatcher costs fewer system calls per received byte than the GLib one.
  setenv("QT_NO_GLIB", "1", 0);
  QCoreApplication app(argc, argv);
  flash::FlashRun run(options);
  return run.Exec();
}
