// zagruzchik-sim: the target's boot loader on the far side of a serial line, for testing and
// measuring the flasher without hardware.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <thread>
#include <vector>

#include "image_result.h"
#include "line.h"
#include "options.h"
#include "session.h"
#include "sys/process.h"

namespace {

// Several targets in one process, a thread each, so that a benchmark of many ports costs the
// target's side little. The exit status is the worst of theirs.
int PlayTargets(const sim::Options& options) {
  std::vector<sim::Line> lines;
  for (int i = 0; i < options.targets; ++i) {
    lines.push_back(sim::Line::CreatePty());
    std::printf("%s\n", lines.back().PeerPath().c_str());
  }
  std::fflush(stdout);
  std::vector<int> results(lines.size(), 0);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    threads.emplace_back([&options, &lines, &results, i] {
      try {
        results[i] = sim::Session(options, lines[i]).Run();
      } catch (const std::exception& error) {
        std::fprintf(stderr, "zagruzchik-sim: %s: %s\n", lines[i].PeerPath().c_str(), error.what());
        results[i] = 3;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  return *std::max_element(results.begin(), results.end());
}

}  // namespace

int main(int argc, char** argv) {
  sys::SetUpProcess();
  sim::Options options;
  if (const auto done = sim::ParseOptions(argc, argv, options)) return *done;
  try {
    sim::CheckFiles(options);
    if (options.targets > 1) return PlayTargets(options);
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
