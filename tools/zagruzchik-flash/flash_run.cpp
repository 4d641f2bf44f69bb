#include "flash_run.h"

#include <cmath>
#include <csignal>
#include <cstdio>

#include "advice.h"
#include "h2b/convert_hex_file.h"
#include "heard_bytes.h"
#include "image_cost.h"
#include "sys/interrupt.h"
#include "sys/process.h"

namespace flash {

FlashRun::FlashRun(const FlashOptions& options)
    : options_(options),
      progress_(stderr, sys::StandardErrorIsTerminal()),
      view_(
          progress_, [this](const std::string& text) { Fail(text); }, [this] { Quit(0); }),
      images_(h2b::MakeImageSource()),
      download_(*this, view_, *images_),
      signals_(ui_, [this](int signal) { Interrupt(signal); }) {
  if (options_.port != kAutoPort) {
    link_ = std::make_unique<serial::LoaderLink>(ui_, static_cast<serial::LinkConsumer&>(*this));
    link_->Port().SetDeviceName(options_.port);
    return;
  }
  serial::FirstHello::Calls calls;
  calls.found = [this](serial::FirstHello::Found found) { Take(std::move(found)); };
  calls.skipped = [this](const std::string& port, const std::string& message) {
    if (options_.verbose) progress_.Note(port + ": skipped: " + message);
  };
  calls.failed = [this](const std::string& message) { Fail(message); };
  search_ = std::make_unique<serial::FirstHello>(ui_, serial::UsbSerialPorts, std::move(calls));
}

int FlashRun::Exec() {
  const int code = Run();
  // Closed before the console's closing handler lets Windows end the process.
  if (search_) search_->Close();
  if (link_) link_->Port().Close();
  signals_.Finished();
  return code;
}

int FlashRun::Run() {
  try {
    // The converter takes a missing file for no file at all and names it ""; here the user
    // typed a name, so the message gives it.
    h2b::RequireHexFile(options_.hexFile);
    if (const std::optional<int> refused = SayCost(options_)) return *refused;
    // The port before the conversion: a run that cannot have its port leaves the folder as it
    // was, no image written and none moved aside.
    Open();
    download_.Start(options_.hexFile);
  } catch (const sys::EInterrupted&) {
    // The signal's own call, already on its way to the loop, says so and sets the status.
    return ui_.Run();
  } catch (const std::exception& error) {
    Fail(error.what());
    return *exitCode_;
  }
  if (link_) SayLatency();
  if (options_.timeoutSeconds) {
    ui_.StartTimer(std::chrono::milliseconds(
                       static_cast<long long>(std::ceil(*options_.timeoutSeconds * 1000))),
                   [this] {
                     char text[96];
                     std::snprintf(text, sizeof text, "Нет ответа от устройства за %g с",
                                   *options_.timeoutSeconds);
                     Fail(text);
                   });
  }
  const int code = ui_.Run();
  return exitCode_.value_or(code);
}

void FlashRun::Received(std::int32_t count) {
  if (exitCode_) return;
  if (ui_.TimerActive()) ui_.RestartTimer();
  // A finished download quits from here once the end command's echo is back: it has left
  // the writer's queue and crossed the line, where closing the port earlier would drop it.
  download_.RxChar(count);
  // A network port knows its delay once the first packet's echo is back.
  if (!networkLatencySaid_ && link_ && link_->Port().Active()) {
    const serial::LineLatency latency = link_->Port().Latency();
    if (latency.networkMs >= 0) {
      networkLatencySaid_ = true;
      const std::string warning = NetworkLatencyWarning(latency);
      if (!warning.empty()) progress_.Note(warning);
    }
  }
}

void FlashRun::Take(serial::FirstHello::Found found) {
  link_ = std::move(found.link);
  link_->Connect(*this);
  heard_ = std::move(found.heard);
  progress_.Note("the target is on " + link_->Port().DeviceName());
  SayLatency();
  Received(static_cast<std::int32_t>(heard_.size()));
}

void FlashRun::SayLatency() {
  const std::string warning = LatencyWarning(link_->Port().Latency());
  if (!warning.empty()) progress_.Note(warning);
}

std::string FlashRun::DeviceName() const {
  return link_ ? link_->Port().DeviceName() : options_.port;
}

bool FlashRun::Active() const {
  return link_ ? link_->Port().Active() : search_->Listening();
}

void FlashRun::Open() {
  if (link_)
    link_->Port().Open();
  else
    search_->Open();
}

// The engine writes only after a hello, so only to a port that has been found.
std::int32_t FlashRun::WriteBuf(const std::uint8_t* buffer, std::int32_t count) {
  return link_ ? link_->Port().WriteBuf(buffer, count) : 0;
}

std::int32_t FlashRun::ReadBuf(std::uint8_t* buffer, std::int32_t count) {
  if (heard_.empty()) return link_ ? link_->Port().ReadBuf(buffer, count) : 0;
  return TakeHeard(heard_, buffer, count);
}

void FlashRun::Fail(const std::string& message) {
  if (exitCode_) return;
  progress_.Hide();
  std::fprintf(stderr, "%s\n", message.c_str());
  const std::string advice = AdviceFor(message);
  if (!advice.empty()) std::fprintf(stderr, "%s\n", advice.c_str());
  Quit(1);
}

// The port closes as the run is destroyed, which also lifts its exclusive use.
void FlashRun::Interrupt(int signal) {
  if (exitCode_) return;
  progress_.Hide();
  std::fputs("Прервано\n", stderr);
  Quit(signal == SIGINT ? 130 : 143);
}

void FlashRun::Quit(int code) {
  exitCode_ = code;
  ui_.StopTimer();
  ui_.Exit(code);
}

}  // namespace flash
