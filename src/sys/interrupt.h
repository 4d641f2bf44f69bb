#pragma once

#include <stdexcept>

namespace sys {

// Long work stopped at the user's request (the flag below); nothing was made. Whoever catches
// it closes as the request said, with nothing to report.
class EInterrupted : public std::runtime_error {
 public:
  EInterrupted() : std::runtime_error("Прервано") {}
};

// The user's request to stop (SIGINT, SIGTERM, SIGHUP, a console's Ctrl+C), as a flag that long
// work such as a conversion polls, so that it ends at once rather than when it is done.
void RequestInterrupt();  // async-signal-safe
bool InterruptRequested();
void ClearInterruptRequest();

}  // namespace sys
