// The loader: converts an Intel HEX file and streams it into the target's boot loader.
#include "ui/application.h"

int main(int argc, char** argv) {
  ui::Application app(argc, argv);
  return ui::RunLoader(app);
}
