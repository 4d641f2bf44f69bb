// The loader: converts an Intel HEX file and streams it into the target's boot loader.
#include <csignal>

#include "ui/application.h"

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with its message instead of killing us.
  std::signal(SIGXFSZ, SIG_IGN);
  ui::Application app(argc, argv);
  return ui::RunLoader(app);
}
