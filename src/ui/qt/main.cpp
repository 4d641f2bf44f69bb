// The loader: converts an Intel HEX file and streams it into the target's boot loader.

#include "sys/process.h"
#include "ui/qt/application.h"

int main(int argc, char** argv) {
  sys::SetUpProcess();
  ui::Application app(argc, argv);
  return ui::RunLoader(app);
}
