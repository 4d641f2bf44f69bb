#pragma once

#include <optional>

#include "boot_loader.h"
#include "line.h"
#include "options.h"
#include "paced_output.h"

namespace sim {

// One download as the target sees it: the hello, then an echo of every byte and a reply
// to every packet, with the faults the options ask for. Run returns the exit code.
class Session {
 public:
  Session(const Options& options, Line& line)
      : options_(options), line_(line), out_(options.pace, options.burst) {}

  int Run();

  // The same in steps, for a loop that plays many targets on one thread: Start, then Advance
  // (writes what is due by horizon; the exit code once done), AfterWait when the line is
  // readable, and a wait until WakeAt or the line's readiness (writable too while Blocked).
  void Start();
  // Start without waiting: false while the other side has not opened the line yet.
  bool TryStart();
  std::optional<int> Advance(Clock::time_point horizon);
  std::optional<int> AfterWait();
  std::optional<Clock::time_point> WakeAt() const;
  bool Blocked() const { return out_.Blocked(); }
  int Fd() const { return line_.Fd(); }

 private:
  void Greet();
  // False once the other side has closed the line.
  bool Receive();
  void Answer(const Packet& packet);
  std::uint8_t Reply(std::uint8_t correct, int number) const;
  void Wait();
  void PrintSummary() const;

  const Options& options_;
  Line& line_;
  PacedOutput out_;
  BootLoader loader_;
  int answered_ = 0;
  bool hangUpWhenSent_ = false;
  bool hangUpNow_ = false;
  std::optional<int> result_;  // set by the end command
  std::string fileFailure_;    // --out or --expect could not be used at the end
  Clock::time_point lingerUntil_{};
};

}  // namespace sim
