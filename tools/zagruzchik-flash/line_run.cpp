#include "line_run.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>

#include "h2b/convert_hex_file.h"
#include "h2b/image_file_stream.h"
#include "image_cost.h"
#include "serial/discovery.h"
#include "sys/interrupt.h"
#include "sys/process.h"
#include "sys/sha256.h"

namespace flash {

namespace {

// The loop's regular call: hellos that have settled, silent boards, missing adapters.
constexpr std::chrono::milliseconds kTick{20};
constexpr std::chrono::milliseconds kAdapterRetry{250};

const char* ResultText(Station::State state) {
  switch (state) {
    case Station::State::Passed:
      return "passed";
    case Station::State::Failed:
      return "failed";
    case Station::State::TimedOut:
      return "timed-out";
    case Station::State::Interrupted:
      return "interrupted";
    case Station::State::Downloading:
      return "downloading";
    case Station::State::WaitingForAdapter:
      return "waiting for the adapter";
    case Station::State::Waiting:
      break;
  }
  return "waiting";
}

// HH:MM:SS of the record's own time.
std::string TimeOfDay() {
  return IsoTimeNow().substr(11, 8);
}

std::string Sha256Of(std::shared_ptr<const h2b::ConvertedImage> image) {
  h2b::ImageFileStream stream(std::move(image));
  sys::Sha256 sha;
  std::vector<std::uint8_t> chunk(1 << 16);
  while (const std::size_t n = stream.Read(chunk.data(), chunk.size())) sha.Add(chunk.data(), n);
  return sha.HexDigest();
}

}  // namespace

LineRun::LineRun(const FlashOptions& options)
    : options_(options),
      terminal_(sys::StandardErrorIsTerminal()),
      signals_(loop_, [this](int signal) { Interrupt(signal); }) {}

// The record, the conversion and its fingerprint; the exit code when the run ends here.
int LineRun::Prepare() {
  try {
    h2b::RequireHexFile(options_.hexFile);
    if (const std::optional<int> refused = SayCost(options_)) return *refused;
    if (!options_.logFile.empty()) {
      log_ = std::make_unique<LineRecordFile>(options_.logFile);
      boards_ = log_->LastBoard();
    }
    image_ =
        std::make_shared<const h2b::ConvertedImage>(h2b::ConvertHexFileToImage(options_.hexFile));
    imageSha256_ = Sha256Of(image_);
  } catch (const sys::EInterrupted&) {
    loop_.Run();  // the signal's own call says so
    return *interrupted_;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  host_ = HostName();
  return -1;
}

int LineRun::Exec() {
  if (const int code = Prepare(); code >= 0) return code;
  for (const std::string& port : options_.ports) {
    stations_.push_back(std::make_unique<Station>(loop_, port, options_.hexFile, image_,
                                                  options_.repeat,
                                                  [this](Station& station) { Changed(station); }));
    shown_.push_back(Station::State::Waiting);
    printedTenths_.push_back(11);
    latencySaid_.push_back(false);
    lastTry_.emplace_back();
  }
  for (auto& station : stations_) station->Begin();
  if (!AllDone() && !stopped_) {
    // With --json standard output holds the objects alone.
    std::fputs("Включи питание\n", options_.json ? stderr : stdout);
    std::fflush(options_.json ? stderr : stdout);
    loop_.StartTimer(kTick, [this] { Tick(); });
    loop_.Run();
  }
  // Every port at once, none waiting for another's pause.
  for (auto& station : stations_) station->Stop();
  PrintSummary();
  if (stopped_) return 1;
  if (interrupted_ && (interruptedBoards_ > 0 || !options_.repeat)) return *interrupted_;
  return failed_ == 0 ? 0 : 1;
}

bool LineRun::AllDone() const {
  return std::all_of(stations_.begin(), stations_.end(), [this](const auto& station) {
    return station->Ended() && (!options_.repeat || station->PortFailed());
  });
}

void LineRun::Tick() {
  const Station::Clock::time_point now = Station::Clock::now();
  for (std::size_t i = 0; i < stations_.size(); ++i) {
    Station& station = *stations_[i];
    station.Tick(now);
    if (options_.timeoutSeconds && station.Result() == Station::State::Downloading &&
        now - station.LastActivity() > std::chrono::duration<double>(*options_.timeoutSeconds)) {
      station.TimeOut(*options_.timeoutSeconds);
    }
    if (station.Result() == Station::State::WaitingForAdapter && !stopped_ && !interrupted_ &&
        now - lastTry_[i] >= kAdapterRetry) {
      lastTry_[i] = now;
      station.Begin();
    }
    for (const std::string& note : station.TakeNotes()) Detail(note);
    if (const std::uint64_t dropped = station.TakeDropped(); dropped > 0) {
      Detail(station.Port() + ": " + std::to_string(dropped) +
             " bytes between boards dropped (not a hello)");
    }
  }
  loop_.StartTimer(kTick, [this] { Tick(); });
}

std::size_t LineRun::IndexOf(const Station& station) const {
  return static_cast<std::size_t>(
      std::find_if(stations_.begin(), stations_.end(),
                   [&](const auto& each) { return each.get() == &station; }) -
      stations_.begin());
}

void LineRun::Changed(Station& station) {
  const std::size_t index = IndexOf(station);
  const Station::State state = station.Result();
  if (state == Station::State::Downloading && station.Board() == 0) station.SetBoard(++boards_);
  if (shown_[index] == Station::State::WaitingForAdapter && state == Station::State::Waiting)
    Detail(station.Port() + ": the adapter is back, opened again");
  if (state == Station::State::WaitingForAdapter && shown_[index] != state)
    Detail(station.Port() + ": waiting for the adapter (" + station.Message() + ")");
  if (state == Station::State::Downloading && !latencySaid_[index]) {
    const double networkMs = station.Latency().networkMs;
    if (networkMs >= 0) {
      latencySaid_[index] = true;
      char text[64];
      std::snprintf(text, sizeof text, "%.1f ms", networkMs);
      Detail(station.Port() + ": the network adds " + text + " to every reply");
      if (!station.Latency().modemControlAnswered)
        Detail(station.Port() +
               ": the server did not acknowledge DTR and RTS low (a line "
               "without modem control?)");
    }
  }
  DrawProgress(station);
  shown_[index] = state;
  if (station.Ended()) BoardEnded(station);
}

BoardRecord LineRun::RecordOf(const Station& station) const {
  BoardRecord record;
  record.time = IsoTimeNow();
  record.host = host_;
  record.port = station.Port();
  record.identity = serial::PortIdentity(station.Port());
  record.board = station.Board();
  record.hexFile = options_.hexFile;
  record.imageSize = image_->size;
  record.imageSha256 = imageSha256_;
  record.result = ResultText(station.Result());
  record.seconds = station.Seconds();
  record.message = station.Message();
  return record;
}

void LineRun::BoardEnded(Station& station) {
  // A port that failed before any hello is a board too, without --repeat.
  if (station.Board() == 0) station.SetBoard(++boards_);
  const Station::State state = station.Result();
  if (state == Station::State::Passed) {
    ++passed_;
  } else if (state == Station::State::Interrupted) {
    ++interruptedBoards_;
  } else {
    ++failed_;
  }
  const BoardRecord record = RecordOf(station);
  if (log_) {
    try {
      log_->Append(record);
    } catch (const std::exception& error) {
      StopLine(error.what());
      return;
    }
  }
  if (terminal_ && drawn_ && (options_.repeat || options_.json)) {
    std::fprintf(stderr, "\x1b[%zuA\x1b[J", stations_.size());
    drawn_ = false;
  }
  if (options_.json) {
    std::fputs(JsonLine(record).c_str(), stdout);
  } else if (options_.repeat && !options_.quiet) {
    std::printf("%s %s board %lld %s %.1f s%s%s (passed %d, failed %d)\n", TimeOfDay().c_str(),
                station.Port().c_str(), station.Board(), record.result.c_str(), station.Seconds(),
                station.Message().empty() ? "" : ": ", station.Message().c_str(), passed_, failed_);
  }
  std::fflush(stdout);
  if (interrupted_ || stopped_) return;
  // The next board on the same port, once this notification is over.
  if (options_.repeat && !station.PortFailed()) loop_.Post([&station] { station.Begin(); });
  if (AllDone()) loop_.Exit(0);
}

// No board may go unrecorded: the line stops before another begins.
void LineRun::StopLine(const std::string& message) {
  stopped_ = true;
  if (terminal_ && drawn_) std::fputc('\n', stderr);
  drawn_ = false;
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fputs("the record cannot be written: the line stops\n", stderr);
  loop_.Exit(1);
}

void LineRun::Interrupt(int signal) {
  if (interrupted_) {
    loop_.Exit(*interrupted_);  // a second signal: nothing more waits
    return;
  }
  interrupted_ = signal == SIGINT ? 130 : 143;
  if (terminal_ && drawn_) std::fputc('\n', stderr);
  drawn_ = false;
  std::fputs("Прервано\n", stderr);
  // The boards under way end as interrupted, each with its record.
  for (auto& station : stations_) station->Interrupt();
  loop_.Exit(*interrupted_);
}

void LineRun::Detail(const std::string& line) {
  if (!options_.verbose) return;
  if (terminal_ && drawn_) {
    std::fprintf(stderr, "\x1b[%zuA\x1b[J", stations_.size());
    drawn_ = false;
  }
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

void LineRun::DrawProgress(const Station& station) {
  if (options_.quiet) return;
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
  const std::size_t index = IndexOf(station);
  const unsigned tenth = station.Percent() / 10;
  const bool downloading = station.Result() == Station::State::Downloading;
  if (downloading && tenth == printedTenths_[index]) return;
  if (!downloading && station.Result() == shown_[index]) return;
  printedTenths_[index] = downloading ? tenth : 11;
  std::fprintf(stderr, "%s %u%% %s\n", station.Port().c_str(), station.Percent(),
               ResultText(station.Result()));
  std::fflush(stderr);
}

void LineRun::PrintSummary() {
  if (terminal_ && drawn_) std::fputc('\n', stderr);
  if (options_.json) {
    std::string ports;
    for (const auto& station : stations_) {
      ports += std::string(ports.empty() ? "" : ",") + "{\"port\":" + JsonString(station->Port()) +
               ",\"result\":" + JsonString(ResultText(station->Result())) +
               ",\"message\":" + JsonString(station->Message()) + "}";
    }
    std::printf(
        "{\"summary\":true,\"time\":%s,\"host\":%s,\"hex_file\":%s,\"image_size\":%llu,"
        "\"image_sha256\":%s,\"passed\":%d,\"failed\":%d,\"interrupted\":%d,"
        "\"record_failed\":%s,\"ports\":[%s]}\n",
        JsonString(IsoTimeNow()).c_str(), JsonString(host_).c_str(),
        JsonString(options_.hexFile).c_str(),
        static_cast<unsigned long long>(image_ ? image_->size : 0),
        JsonString(imageSha256_).c_str(), passed_, failed_, interruptedBoards_,
        stopped_ ? "true" : "false", ports.c_str());
    std::fflush(stdout);
    return;
  }
  for (const auto& station : stations_) {
    std::printf("%s\t%s\t%.1f s", station->Port().c_str(), ResultText(station->Result()),
                station->Seconds());
    if (!station->Message().empty()) std::printf("\t%s", station->Message().c_str());
    std::printf("\n");
  }
  std::printf("boards passed %d, failed %d", passed_, failed_);
  if (interruptedBoards_ > 0) std::printf(", interrupted %d", interruptedBoards_);
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace flash
