// Times build/zagruzchik-h2b against srec_cat and objcopy making the same image from generated
// HEX files and reports wall time, the ratios and the peak memory of ours and srec_cat's.
//   bench_h2b [--big] [H2B_EXECUTABLE]
// --big adds a HEX file of about 1 GB (its image 360 MiB), for the converter's memory.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRepeats = 3;

struct Run {
  double seconds = 1e9;
  long maxRssKiB = 0;
};

class HexWriter {
 public:
  explicit HexWriter(const std::string& name) : out_(std::fopen(name.c_str(), "wb")) {
    if (out_ == nullptr) throw std::runtime_error("cannot create " + name);
  }
  ~HexWriter() {
    Record(0x01, 0, nullptr, 0);
    std::fclose(out_);
  }

  void Linear(std::uint16_t upper) {
    const std::uint8_t value[2] = {static_cast<std::uint8_t>(upper >> 8),
                                   static_cast<std::uint8_t>(upper)};
    Record(0x04, 0, value, 2);
  }
  // count bytes of pseudo-random data from offset on, 16 per record.
  void Data(std::uint32_t offset, std::uint64_t count) {
    std::uint8_t data[16];
    for (std::uint64_t done = 0; done < count; done += sizeof data, offset += sizeof data) {
      if (offset % 0x10000 == 0 || done == 0) Linear(static_cast<std::uint16_t>(offset >> 16));
      for (auto& byte : data) byte = Next();
      Record(0x00, static_cast<std::uint16_t>(offset), data, sizeof data);
    }
  }

 private:
  std::uint8_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<std::uint8_t>(state_);
  }

  void Record(std::uint8_t type, std::uint16_t address, const std::uint8_t* data,
              std::size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    char line[2 * 260 + 4];
    std::size_t length = 0;
    std::uint8_t sum = 0;
    auto put = [&](std::uint8_t byte) {
      line[length++] = kDigits[byte >> 4];
      line[length++] = kDigits[byte & 15];
      sum += byte;
    };
    line[length++] = ':';
    put(static_cast<std::uint8_t>(count));
    put(static_cast<std::uint8_t>(address >> 8));
    put(static_cast<std::uint8_t>(address));
    put(type);
    for (std::size_t i = 0; i < count; ++i) put(data[i]);
    put(static_cast<std::uint8_t>(-sum));
    line[length++] = '\r';
    line[length++] = '\n';
    std::fwrite(line, 1, length, out_);
  }

  std::FILE* out_;
  std::uint32_t state_ = 2463534242u;
};

// Runs a tool kRepeats times in dir, each time with its outputs removed first.
Run Spawn(const std::string& dir, const std::vector<std::string>& args,
          const std::vector<std::string>& outputs) {
  Run best;
  for (int i = 0; i < kRepeats; ++i) {
    for (const auto& output : outputs) fs::remove(fs::path(dir) / output);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      if (::chdir(dir.c_str()) != 0 || null < 0) ::_exit(127);
      ::dup2(null, 1);
      ::dup2(null, 2);
      std::vector<char*> argv;
      for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      ::execvp(argv[0], argv.data());
      ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      throw std::runtime_error(args[0] + " failed");
    best.seconds = std::min(best.seconds, elapsed.count());
    best.maxRssKiB = std::max(best.maxRssKiB, usage.ru_maxrss);
  }
  return best;
}

bool SameFiles(const fs::path& a, const fs::path& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  std::vector<char> x(1 << 20), y(1 << 20);
  while (first && second) {
    first.read(x.data(), x.size());
    second.read(y.data(), y.size());
    if (first.gcount() != second.gcount() ||
        !std::equal(x.begin(), x.begin() + first.gcount(), y.begin()))
      return false;
  }
  return first.eof() && second.eof();
}

double MiB(std::uintmax_t bytes) {
  return bytes / 1048576.0;
}

bool Measure(const std::string& title, const std::string& h2b, const fs::path& dir) {
  const std::string hex = (dir / "app.hex").string();
  const Run ours = Spawn(dir, {h2b, hex}, {"app.BIN", "app.BAK"});
  const Run theirs =
      Spawn(dir,
            {"srec_cat", "-disable-sequence-warnings", "-contradictory-bytes=warning",
             "-redundant-bytes=ignore", hex, "-Intel", "-fill", "0xFF", "0", "-maximum-address",
             hex, "-Intel", "-o", "app.ref", "-Binary"},
            {"app.ref"});
  bool same = SameFiles(dir / "app.BIN", dir / "app.ref");
  fs::remove(dir / "app.ref");
  // objcopy starts its image at the lowest address: comparable where data starts at 0.
  const Run objcopy =
      Spawn(dir, {"objcopy", "-I", "ihex", "-O", "binary", "--gap-fill", "0xFF", hex, "app.obj"},
            {"app.obj"});
  same = same && SameFiles(dir / "app.BIN", dir / "app.obj");
  fs::remove(dir / "app.obj");
  std::printf("%-14s %9.1f %9.1f %9.3f %9.3f %9.3f %7.1fx %9.1f %9.1f  %s\n", title.c_str(),
              MiB(fs::file_size(hex)), MiB(fs::file_size(dir / "app.BIN")), ours.seconds,
              theirs.seconds, objcopy.seconds, objcopy.seconds / ours.seconds,
              ours.maxRssKiB / 1024.0, theirs.maxRssKiB / 1024.0, same ? "identical" : "DIFFERENT");
  std::fflush(stdout);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  const bool big = argc > 1 && std::string(argv[1]) == "--big";
  if (big) {
    --argc;
    ++argv;
  }
  const std::string h2b = fs::absolute(argc > 1 ? argv[1] : H2B_PATH).string();
  std::string pattern = (fs::temp_directory_path() / "bench-h2b-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path dir = pattern;
  const std::string hex = (dir / "app.hex").string();
  bool allSame = true;
  try {
    std::printf("best of %d runs; sizes in MiB, times in s, peak memory (ru_maxrss) in MiB\n",
                kRepeats);
    std::printf("%-14s %9s %9s %9s %9s %9s %8s %9s %9s\n", "case", "hex", "image", "h2b",
                "srec_cat", "objcopy", "obj/h2b", "h2b mem", "srec mem");
    {
      HexWriter writer(hex);
      writer.Data(0, 1 << 20);
    }
    allSame &= Measure("1 MiB data", h2b, dir);
    {
      HexWriter writer(hex);
      writer.Data(0, 16 << 20);
    }
    allSame &= Measure("16 MiB data", h2b, dir);
    {
      // 4 KiB at 0 and at 256 MiB: a 268 MB image of mostly fill.
      HexWriter writer(hex);
      writer.Data(0, 4096);
      writer.Data(0x10000000, 4096);
    }
    allSame &= Measure("256 MiB fill", h2b, dir);
    if (big) {
      HexWriter writer(hex);
      writer.Data(0, 360ull << 20);
    }
    if (big) allSame &= Measure("1 GB hex", h2b, dir);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    allSame = false;
  }
  fs::remove_all(dir);
  return allSame ? 0 : 1;
}
