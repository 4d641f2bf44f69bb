#include "line_run.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "h2b/convert_hex_file.h"
#include "h2b/file_errors.h"
#include "sys/interrupt.h"
#include "sys/process.h"

namespace flash {

namespace {

const char* ResultText(Station::State state) {
  switch (state) {
    case Station::State::Passed:
      return "passed";
    case Station::State::Failed:
      return "failed";
    case Station::State::Downloading:
      return "downloading";
    case Station::State::Waiting:
      break;
  }
  return "waiting";
}

std::string TimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

// A CSV field: quoted when it holds a separator, a quote or a line break.
std::string Csv(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (const char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

LineRun::LineRun(const FlashOptions& options)
    : options_(options),
      terminal_(sys::StandardErrorIsTerminal()),
      signals_(loop_, [this](int signal) { Interrupt(signal); }) {}

LineRun::~LineRun() {
  if (log_ != nullptr) std::fclose(log_);
}

int LineRun::Exec() {
  std::shared_ptr<const h2b::ConvertedImage> image;
  try {
    h2b::RequireHexFile(options_.hexFile);
    if (!options_.logFile.empty()) {
      log_ = std::fopen(options_.logFile.c_str(), "a");
      if (log_ == nullptr)
        throw h2b::FileError("Cannot open", options_.logFile, std::strerror(errno));
      if (std::ftell(log_) == 0) {
        std::fputs("time,port,board,result,seconds,message\n", log_);
        std::fflush(log_);
      }
    }
    image =
        std::make_shared<const h2b::ConvertedImage>(h2b::ConvertHexFileToImage(options_.hexFile));
  } catch (const sys::EInterrupted&) {
    loop_.Run();  // the signal's own call says so
    return *interrupted_;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  for (const std::string& port : options_.ports) {
    stations_.push_back(std::make_unique<Station>(loop_, port, options_.hexFile, image,
                                                  [this](Station& station) { Changed(station); }));
    printedTenths_.push_back(11);
  }
  for (auto& station : stations_) station->Begin();
  if (!AllDone()) {
    std::puts("Включи питание");
    std::fflush(stdout);
    loop_.Run();
  }
  for (auto& station : stations_) station->Stop();
  PrintSummary();
  if (interrupted_ && !options_.repeat) return *interrupted_;
  return failed_ == 0 ? 0 : 1;
}

bool LineRun::AllDone() const {
  return std::all_of(stations_.begin(), stations_.end(), [this](const auto& station) {
    const Station::State state = station->Result();
    const bool ended = state == Station::State::Passed || state == Station::State::Failed;
    return ended && (!options_.repeat || station->PortFailed());
  });
}

void LineRun::Changed(Station& station) {
  DrawProgress(station);
  const Station::State state = station.Result();
  if (state == Station::State::Passed || state == Station::State::Failed) BoardEnded(station);
}

void LineRun::BoardEnded(Station& station) {
  if (options_.repeat && station.LostBeforeHello()) {
    // No board yet: the line is opened again for it.
    loop_.Post([&station] { station.Begin(false); });
    return;
  }
  const bool passed = station.Result() == Station::State::Passed;
  passed ? ++passed_ : ++failed_;
  Log(station);
  if (options_.repeat) {
    if (terminal_ && drawn_) {
      std::fprintf(stderr, "\x1b[%zuA\x1b[J", stations_.size());
      drawn_ = false;
    }
    std::printf("%s %s board %d %s %.1f s%s%s (passed %d, failed %d)\n", TimeOfDay().c_str(),
                station.Port().c_str(), station.Board(), passed ? "passed" : "failed",
                station.Seconds(), station.Message().empty() ? "" : ": ", station.Message().c_str(),
                passed_, failed_);
    std::fflush(stdout);
    // The next board on the same port, once this notification is over.
    if (!station.PortFailed()) loop_.Post([&station] { station.Begin(); });
  }
  if (AllDone()) loop_.Exit(0);
}

void LineRun::Interrupt(int signal) {
  if (interrupted_) return;
  interrupted_ = signal == SIGINT ? 130 : 143;
  std::fputs("Прервано\n", stderr);
  loop_.Exit(*interrupted_);
}

void LineRun::DrawProgress(const Station& station) {
  if (terminal_) {
    // Every port's line, redrawn in place.
    if (drawn_) std::fprintf(stderr, "\x1b[%zuA", stations_.size());
    for (const auto& each : stations_) {
      std::fprintf(stderr, "\r\x1b[K%-24s %3u%%  %s\n", each->Port().c_str(), each->Percent(),
                   ResultText(each->Result()));
    }
    drawn_ = true;
    std::fflush(stderr);
    return;
  }
  // On a pipe: a line when the state changes or a tenth is crossed.
  const std::size_t index = static_cast<std::size_t>(
      std::find_if(stations_.begin(), stations_.end(),
                   [&](const auto& each) { return each.get() == &station; }) -
      stations_.begin());
  const unsigned tenth = station.Percent() / 10;
  const bool downloading = station.Result() == Station::State::Downloading;
  if (downloading && tenth == printedTenths_[index]) return;
  printedTenths_[index] = downloading ? tenth : 11;
  std::fprintf(stderr, "%s %u%% %s\n", station.Port().c_str(), station.Percent(),
               ResultText(station.Result()));
  std::fflush(stderr);
}

void LineRun::PrintSummary() {
  if (terminal_ && drawn_) std::fputc('\n', stderr);
  for (const auto& station : stations_) {
    std::printf("%s\t%s\t%.1f s", station->Port().c_str(), ResultText(station->Result()),
                station->Seconds());
    if (!station->Message().empty()) std::printf("\t%s", station->Message().c_str());
    std::printf("\n");
  }
  std::printf("boards passed %d, failed %d\n", passed_, failed_);
  std::fflush(stdout);
}

void LineRun::Log(const Station& station) {
  if (log_ == nullptr) return;
  std::fprintf(log_, "%s,%s,%d,%s,%.1f,%s\n", TimeOfDay().c_str(), Csv(station.Port()).c_str(),
               station.Board(), ResultText(station.Result()), station.Seconds(),
               Csv(station.Message()).c_str());
  std::fflush(log_);
}

}  // namespace flash
