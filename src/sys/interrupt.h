#pragma once

namespace sys {

// The user's request to stop (SIGINT, SIGTERM, SIGHUP, a console's Ctrl+C), as a flag that long
// work such as a conversion polls, so that it ends at once rather than when it is done.
void RequestInterrupt();  // async-signal-safe
bool InterruptRequested();
void ClearInterruptRequest();

}  // namespace sys
