// zagruzchik-flash: downloads a HEX file into the target's boot loader from the command line,
// with the same conversion, engine and serial port device as the window.
#include <cstdio>
#include <string>
#include <vector>

#include "flash_options.h"
#include "flash_run.h"
#include "line_run.h"
#include "serial/discovery.h"
#include "sys/compare_text.h"
#include "sys/process.h"

namespace {

// Sorted as the window's port menu sorts them: by name, letter case aside.
int ListPorts() {
  std::vector<std::string> names = serial::ListSerialPorts();
  sys::SortTexts(names);
  for (const std::string& name : names)
    std::printf("%s\n", serial::DescriptionLine(serial::DescribeSerialPort(name)).c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  sys::SetUpProcess();
  flash::FlashOptions options;
  if (const auto done = flash::ParseFlashOptions(argc, argv, options)) return *done;
  if (options.listPorts) return ListPorts();
  if (options.ProductionLine()) return flash::LineRun(options).Exec();
  flash::FlashRun run(options);
  return run.Exec();
}
