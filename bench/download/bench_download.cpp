// Download timing: zagruzchik-flash against a paced zagruzchik-sim, compared with the time the
// bytes need on the line, and the lock-step round trips per second on an unpaced line. The same
// runs with a plain blocking loop on one thread show what the machine itself allows: one that
// wakes at each arrival and one that wakes once a reply has come whole. Paced runs alternate
// between the three, and the medians are printed; CPU is the kernel's task clock of the
// flasher's threads.
//
// usage: bench_download [--size BYTES] [--unpaced-size BYTES] [--burst N] [--runs N]
//                       [--no-reference]
// --burst N makes the simulated line hand bytes on in groups (see zagruzchik-sim --help).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "blocking_flasher.h"
#include "child_process.h"
#include "hex_files.h"
#include "task_clock.h"

namespace {

using tools_test::ChildProcess;
using tools_test::Clock;
using Seconds = std::chrono::duration<double>;

constexpr auto kBound = std::chrono::minutes(20);
constexpr double kLineBytesPerSecond = 1040.0;  // 10400 bit/s, 10 bits a byte

struct Shape {
  explicit Shape(std::size_t size)
      : size(size), blocks(size / 128 + 1), addresses((blocks + 3) / 4) {}
  // Round trips: synchronisation, address commands and blocks, each waiting for its reply.
  std::size_t RoundTrips() const { return 1 + addresses + blocks; }
  // Each byte crosses the single wire once (the echo is the same bytes): the hello, each
  // packet and its reply, and the end command.
  std::size_t LineBytes() const {
    return 1 + (3 + 1) + addresses * (3 + 1) + blocks * (131 + 1) + 3;
  }

  std::size_t size, blocks, addresses;
};

struct Result {
  double download = 0;          // the simulator's span from the hello to the end command's echo
  unsigned long long sent = 0;  // bytes the simulator sent
  double wall = 0;              // of the whole flasher run
  double cpu = 0;               // the flasher's task clock

  double MicrosecondsPerByte() const { return cpu / static_cast<double>(sent) * 1e6; }
};

void WriteHex(const std::string& name, std::size_t size) {
  h2b_test::WriteFile(name, h2b_test::HexOf(h2b_test::RandomImage(size)));
}

// The programs compared: the flasher, and one-thread hosts that wake at each arrival or once a
// reply has come whole.
enum Host { kFlasher, kEachArrival, kWholeReply, kHosts };
const char* const kHostNames[] = {"zagruzchik-flash", "host, each arrival", "host, whole reply"};

Result Flash(const std::string& folder, const std::string& hexFile, bool paced, Host host,
             const std::string& burst) {
  std::vector<std::string> simArgv = {LOADER_SIM, "--expect", "bench.BIN", "--burst", burst};
  if (!paced) simArgv.push_back("--no-pace");
  ChildProcess sim(simArgv, folder);
  const std::optional<std::string> path = sim.ReadLine(std::chrono::seconds(30));
  if (!path) throw std::runtime_error("zagruzchik-sim printed no path: " + sim.Err());
  Result result;
  const Clock::time_point start = Clock::now();
  if (host != kFlasher) {
    const bench::TaskClock clock(0);
    bench::FlashBlocking(*path, hexFile, host == kWholeReply);
    result.cpu = clock.Seconds();
  } else {
    std::unique_ptr<bench::TaskClock> clock;
    ChildProcess flash({LOADER_FLASH, "--port", *path, hexFile}, folder,
                       [&](pid_t pid) { clock = std::make_unique<bench::TaskClock>(pid); });
    if (flash.Wait(kBound) != 0)
      throw std::runtime_error("zagruzchik-flash failed: " + flash.Err());
    result.cpu = clock->Seconds();
  }
  result.wall = Seconds(Clock::now() - start).count();
  if (sim.Wait(std::chrono::seconds(30)) != 0)
    throw std::runtime_error("zagruzchik-sim did not receive the image: " + sim.Err());
  const std::size_t at = sim.Err().find("sent ");
  if (at == std::string::npos || std::sscanf(sim.Err().c_str() + at, "sent %llu bytes in %lf s",
                                             &result.sent, &result.download) != 2)
    throw std::runtime_error("no summary from zagruzchik-sim: " + sim.Err());
  return result;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintLoad() {
  std::ifstream in("/proc/loadavg");
  std::string load;
  std::getline(in, load);
  std::printf("load average: %s\n", load.c_str());
}

std::size_t SizeArgument(const char* text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*end != '\0' || value == 0 || value > (1ULL << 24))
    throw std::runtime_error(std::string("not an image size: ") + text);
  return static_cast<std::size_t>(value);
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t size = 65536;
  std::size_t unpacedSize = 1 << 20;
  bool reference = true;
  std::string burst = "1";
  std::size_t runs = 5;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--size" && i + 1 < argc)
        size = SizeArgument(argv[++i]);
      else if (arg == "--unpaced-size" && i + 1 < argc)
        unpacedSize = SizeArgument(argv[++i]);
      else if (arg == "--burst" && i + 1 < argc)
        burst = argv[++i];
      else if (arg == "--runs" && i + 1 < argc)
        runs = SizeArgument(argv[++i]);
      else if (arg == "--no-reference")
        reference = false;
      else
        throw std::runtime_error(
            "usage: bench_download [--size BYTES] [--unpaced-size BYTES] "
            "[--burst N] [--runs N] [--no-reference]");
    }
    h2b_test::TempDir dir;
    PrintLoad();

    const Shape paced(size);
    const double limit = paced.LineBytes() / kLineBytesPerSecond;
    WriteHex("bench.hex", size);
    std::printf(
        "paced line, image of %zu bytes: %zu blocks, %zu address commands; bytes handed "
        "on in groups of up to %s\n",
        size, paced.blocks, paced.addresses, burst.c_str());
    std::printf("  line-time limit: %zu bytes at 1040 bytes/s = %.3f s\n", paced.LineBytes(),
                limit);
    std::vector<double> ratio[kHosts], cpuPerByte[kHosts], share[kHosts];
    const int hosts = reference ? kHosts : 1;
    for (std::size_t run = 1; run <= runs; ++run) {
      for (int h = 0; h < hosts; ++h) {
        const Result r = Flash(dir.Path(), "bench.hex", true, static_cast<Host>(h), burst);
        std::printf(
            "  run %zu %-19s download %.3f s (%+.2f%%), %llu bytes on the line, CPU %.3f s "
            "= %.1f us a byte\n",
            run, kHostNames[h], r.download, (r.download / limit - 1) * 100, r.sent, r.cpu,
            r.MicrosecondsPerByte());
        ratio[h].push_back(r.download / limit);
        cpuPerByte[h].push_back(r.MicrosecondsPerByte());
        share[h].push_back(r.cpu / r.wall * 100);
      }
    }
    for (int h = 0; h < hosts; ++h) {
      std::printf(
          "  median %-19s download %.4f x limit (%+.2f%%), CPU %.1f us a byte, %.2f%% of "
          "one core\n",
          kHostNames[h], Median(ratio[h]), (Median(ratio[h]) - 1) * 100, Median(cpuPerByte[h]),
          Median(share[h]));
    }
    if (reference) {
      std::printf(
          "  zagruzchik-flash CPU a byte = %.2f x the host on each arrival's, %.2f x the "
          "host on whole replies'\n",
          Median(cpuPerByte[kFlasher]) / Median(cpuPerByte[kEachArrival]),
          Median(cpuPerByte[kFlasher]) / Median(cpuPerByte[kWholeReply]));
    }

    const Shape unpaced(unpacedSize);
    WriteHex("bench.hex", unpacedSize);
    std::printf("unpaced line, image of %zu bytes: %zu round trips\n", unpacedSize,
                unpaced.RoundTrips());
    for (int h = 0; h < hosts; ++h) {
      const Result r = Flash(dir.Path(), "bench.hex", false, static_cast<Host>(h), burst);
      std::printf("  %-19s %.3f s = %.0f round trips/s, CPU %.3f s = %.1f us a byte\n",
                  kHostNames[h], r.download, unpaced.RoundTrips() / r.download, r.cpu,
                  r.MicrosecondsPerByte());
    }
    PrintLoad();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_download: %s\n", error.what());
    return 1;
  }
  return 0;
}
