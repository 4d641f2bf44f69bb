#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/loader_link.h"

namespace serial {

// The USB serial adapters present, in the port menu's order: the ports discovery finds on USB
// (never the board's own ttyS ports or Bluetooth ports).
std::vector<std::string> UsbSerialPorts();

// Finds the port a target is on without sending it a byte: every candidate is opened as a
// loader link (DTR and RTS low first, as always) and listened to; the first to hear a hello is
// kept and the others are closed at once. Line noise and other talk are read and dropped.
//
// Threading: the user-interface thread, as the links' handlers.
class FirstHello {
 public:
  struct Found {
    std::unique_ptr<LoaderLink> link;  // open; connect it to its new consumer at once
    std::vector<std::uint8_t> heard;   // read off the line, from the hello on
  };
  struct Calls {
    std::function<void(Found)> found;
    // A candidate that could not be opened or went away while the search went on.
    std::function<void(const std::string& port, const std::string& message)> skipped;
    // Every candidate has gone away: the search cannot end.
    std::function<void(const std::string& message)> failed;
  };

  // candidates: asked at each Open, so that an adapter plugged in later is found.
  FirstHello(UiDispatcher& ui, std::function<std::vector<std::string>()> candidates, Calls calls);
  FirstHello(const FirstHello&) = delete;
  FirstHello& operator=(const FirstHello&) = delete;
  ~FirstHello();

  // Opens every candidate that can be had. Throws when there is none, or none can be opened:
  // the message names what was found and why each failed.
  void Open();
  // Whether ports are open and listening (not found yet).
  bool Listening() const;
  // Closes whatever is still open.
  void Close();

 private:
  class Candidate;
  void Heard(Candidate& candidate, std::vector<std::uint8_t> heard);
  void Dropped(Candidate& candidate, const std::string& message);
  template <typename Which>
  void Retire(Which which);

  UiDispatcher& ui_;
  std::function<std::vector<std::string>()> candidateNames_;
  Calls calls_;
  std::vector<std::unique_ptr<Candidate>> candidates_;
};

}  // namespace serial
