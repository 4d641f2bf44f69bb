#pragma once

#include <string>

namespace serial::linux_tty {

// The lock files by which terminal programs (minicom, picocom, cu) say that they hold a port:
// LCK..NAME in /run/lock, holding the holder's process number as text. A port one of them holds
// would lose the target's hello to it, so it is refused; while we hold a port, our own lock
// tells them the same.
class UucpLock {
 public:
  UucpLock() = default;
  ~UucpLock();  // removes our lock
  UucpLock(UucpLock&& other) noexcept : file_(std::move(other.file_)) { other.file_.clear(); }
  UucpLock& operator=(UucpLock&&) = delete;

  // For the device at path: 0, or EBUSY when a running process holds its lock. Locks of
  // processes that no longer run are removed; where the folder cannot be written the port goes
  // without a lock of ours.
  int Take(const std::string& devicePath);

 private:
  std::string file_;  // our lock, while we hold one
};

// Where the lock files are: /run/lock unless a test says otherwise.
void SetUucpLockFolder(const std::string& folder);

}  // namespace serial::linux_tty
