#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "h2b/converted_image.h"
#include "serial/loader_link.h"
#include "serial/ui_dispatcher.h"
#include "transfer/download.h"

namespace flash {

// One port of a production line: its own serial port device and download engine on the line's
// loop, sending the line's one image. A failure ends this port's board only.
//
// Threading: everything runs on the loop's thread, as for the single-port run.
class Station : private transfer::View, private serial::LinkConsumer {
 public:
  enum class State { Waiting, Downloading, Passed, Failed };
  using Clock = std::chrono::steady_clock;

  // changed: after every change worth showing (state, percent); the station may be restarted
  // from it only through the loop.
  // image: the line's one conversion of hexFile.
  Station(serial::UiDispatcher& loop, std::string port, std::string hexFile,
          std::shared_ptr<const h2b::ConvertedImage> image, std::function<void(Station&)> changed);
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  // Opens the port (when closed) and waits for a board's hello: the next board's, or again
  // the same one's. A port that cannot open fails the board at once.
  void Begin(bool nextBoard = true);
  // Closes the port, the download with it.
  void Stop();

  const std::string& Port() const { return port_; }
  State Result() const { return state_; }
  unsigned Percent() const { return percent_; }
  const std::string& Message() const { return message_; }
  int Board() const { return board_; }
  // The last board's time from its hello to its end; 0 before a hello.
  double Seconds() const;
  // Whether the port itself could not be had (no board can follow on it).
  bool PortFailed() const { return portFailed_; }
  // Whether the line went away before the board said hello: between boards, an adapter that
  // the board powers goes with it.
  bool LostBeforeHello() const { return lostBeforeHello_; }

 private:
  void Fail(const std::string& message);

  // serial::LinkConsumer
  void Received(std::int32_t count) override;
  bool LineLost(bool allWritten) override;
  void Failed(const std::exception_ptr& failure) override { Fail(serial::MessageOf(failure)); }

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
  std::function<void(Station&)> changed_;
  serial::LoaderLink link_;
  serial::TCommPort& device_;
  transfer::Download download_;
  State state_ = State::Waiting;
  std::uint32_t total_ = 0;
  unsigned percent_ = 0;
  std::string message_;
  int board_ = 0;
  bool portFailed_ = false;
  bool lostBeforeHello_ = false;
  Clock::time_point started_{};
  Clock::time_point ended_{};
};

}  // namespace flash
