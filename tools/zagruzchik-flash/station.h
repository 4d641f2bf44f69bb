#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "h2b/converted_image.h"
#include "serial/first_hello.h"
#include "serial/loader_link.h"
#include "serial/ui_dispatcher.h"
#include "transfer/download.h"

namespace flash {

// One port of a production line: its own serial port device and download engine on the line's
// loop, sending the line's one image. A failure ends this port's board only.
//
// Board after board (repeat), a board begins at its hello: what the line says between boards
// (a finished board's new firmware talking, noise) is read and dropped, and a port that goes
// away between boards (an adapter the board powers) is waited for and opened again.
//
// A station named "auto" listens on every USB adapter for the first hello and keeps the port
// that heard it; Port() names that port from then on.
//
// Threading: everything runs on the loop's thread, as for the single-port run.
class Station : private transfer::View, private transfer::Port, private serial::LinkConsumer {
 public:
  enum class State {
    Waiting,            // for a board's hello
    WaitingForAdapter,  // the port cannot be had; tried again (repeat only)
    Downloading,
    Passed,
    Failed,
    TimedOut,
    Interrupted
  };
  using Clock = std::chrono::steady_clock;

  // image: the line's one conversion of hexFile. changed: after every change worth showing
  // (state, percent); the station may be restarted from it only through the loop.
  Station(serial::UiDispatcher& loop, std::string port, std::string hexFile,
          std::shared_ptr<const h2b::ConvertedImage> image, bool repeat,
          std::function<void(Station&)> changed);
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  // Opens the port (when closed) and waits for a board's hello. A port that cannot open fails
  // the board at once, or, board after board, waits for the adapter.
  void Begin();
  // The loop's regular call: a hello that has stood alone long enough begins the board.
  void Tick(Clock::time_point now);
  // The board under way, silent since LastActivity, fails as having given no answer.
  void TimeOut(double seconds);
  // The board under way ends as interrupted (a signal).
  void Interrupt();
  // Closes the port at once (the download with it); no pause.
  void Stop();

  const std::string& Port() const { return port_; }
  State Result() const { return state_; }
  bool Ended() const;
  unsigned Percent() const { return percent_; }
  const std::string& Message() const { return message_; }
  long long Board() const { return board_; }
  void SetBoard(long long board) { board_ = board; }
  // The board's time from its hello to its end (so far); 0 before a hello.
  double Seconds() const;
  Clock::time_point LastActivity() const { return lastActivity_; }
  // Whether the port itself could not be had (no board can follow on it).
  bool PortFailed() const { return portFailed_; }
  // Bytes read and dropped between boards since the last call.
  std::uint64_t TakeDropped();
  // What the station has to say in detail since the last call (-v): ports an automatic search
  // skipped, the port it found.
  std::vector<std::string> TakeNotes() { return std::exchange(notes_, {}); }
  // How many times the port was opened again after the adapter had gone.
  int Reopened() const { return reopened_; }
  // What the line is (network ports: the delay they add), once known.
  serial::LineLatency Latency() const {
    return link_ ? link_->Port().Latency() : serial::LineLatency{};
  }

 private:
  void Fail(const std::string& message, State how = State::Failed);
  void Take(serial::FirstHello::Found found);
  void End(State how);

  // serial::LinkConsumer
  void Received(std::int32_t count) override;
  bool LineLost(bool allWritten) override;
  void Failed(const std::exception_ptr& failure) override { Fail(serial::MessageOf(failure)); }

  // transfer::Port: the engine's view of the line, with the bytes before a hello left out.
  // Before an automatic search has found its port the engine sees the search.
  std::string DeviceName() const override { return link_ ? link_->Port().DeviceName() : port_; }
  bool Active() const override { return link_ ? link_->Port().Active() : search_->Listening(); }
  void Open() override;
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override {
    return link_ ? link_->Port().WriteBuf(buffer, count) : 0;
  }
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override;
  void Await(std::int32_t count) override {
    if (link_) link_->Port().Await(count);
  }

  // transfer::View
  void SetProgressTotal(std::uint32_t totalParts) override { total_ = totalParts; }
  void SetProgressParts(std::uint32_t partsComplete) override;
  void ShowProgress() override;
  void HideProgress() override {}
  void SetControlsEnabled(bool) override {}
  void ShowPrompt() override {}
  void HidePrompt() override {}
  void ShowInformation(const std::string& text) override { Fail(text); }
  void DownloadEnded(transfer::Ending how) override;

  std::string port_;
  std::string hexFile_;
  std::unique_ptr<transfer::ImageSource> images_;
  bool repeat_;
  std::function<void(Station&)> changed_;
  std::unique_ptr<serial::LoaderLink> link_;    // none until an automatic search finds it
  std::unique_ptr<serial::FirstHello> search_;  // port "auto"
  std::vector<std::string> notes_;
  transfer::Download download_;
  State state_ = State::Waiting;
  std::uint32_t total_ = 0;
  unsigned percent_ = 0;
  std::string message_;
  long long board_ = 0;
  bool portFailed_ = false;
  std::vector<std::uint8_t> pending_;  // a hello, for the engine's next read
  Clock::time_point helloAt_{};        // when the hello in pending_ came
  std::uint64_t dropped_ = 0;
  int reopened_ = 0;
  Clock::time_point started_{};
  Clock::time_point ended_{};
  Clock::time_point lastActivity_{};
};

}  // namespace flash
