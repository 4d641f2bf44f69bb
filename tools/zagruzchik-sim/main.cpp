// zagruzchik-sim: the target's boot loader on the far side of a serial line, for testing and
// measuring the flasher without hardware.
#include <cstdio>
#include <exception>

#include "image_result.h"
#include "line.h"
#include "options.h"
#include "session.h"
#include "sys/process.h"
#include "targets.h"

int main(int argc, char** argv) {
  sys::SetUpProcess();
  sim::Options options;
  if (const auto done = sim::ParseOptions(argc, argv, options)) return *done;
  try {
    sim::CheckFiles(options);
    if (options.targets > 1) return sim::PlayTargets(options);
    sim::Line line =
        options.port.empty() ? sim::Line::CreatePty() : sim::Line::OpenDevice(options.port);
    if (line.IsPty()) {
      std::printf("%s\n", line.PeerPath().c_str());
      std::fflush(stdout);
    }
    return sim::Session(options, line).Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zagruzchik-sim: %s\n", error.what());
    return 3;
  }
}
