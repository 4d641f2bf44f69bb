#include "serial/linux/uucp_lock.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "sys/native_file.h"
#include "sys/process.h"

namespace serial::linux_tty {

namespace {

std::string lockFolder = "/run/lock";

// LCK..ttyUSB0 for /dev/ttyUSB0 (also when reached through a link), LCK..pts_3 for /dev/pts/3.
std::string LockFileFor(const std::string& devicePath) {
  std::error_code error;
  std::string device = std::filesystem::canonical(devicePath, error).string();
  if (error) device = devicePath;
  if (device.rfind("/dev/", 0) == 0) device.erase(0, 5);
  for (char& c : device)
    if (c == '/') c = '_';
  return lockFolder + "/LCK.." + device;
}

// The process number a lock file names; 0 when it names none.
unsigned long Holder(const std::string& file) {
  sys::Error error = 0;
  sys::File in = sys::File::OpenForReading(file, error);
  if (!in.IsOpen()) return 0;
  char text[32] = {};
  if (in.Read(text, sizeof text - 1, error) <= 0) return 0;
  const unsigned long pid = std::strtoul(text, nullptr, 10);
  return pid <= INT_MAX ? pid : 0;
}

}  // namespace

void SetUucpLockFolder(const std::string& folder) {
  lockFolder = folder;
}

UucpLock::~UucpLock() {
  if (!file_.empty()) sys::Remove(file_);
}

int UucpLock::Take(const std::string& devicePath) {
  const std::string file = LockFileFor(devicePath);
  for (int attempt = 0; attempt < 3; ++attempt) {
    sys::Error error = 0;
    sys::File lock = sys::File::CreateNew(file, error);
    if (lock.IsOpen()) {
      char text[16];
      const int length = std::snprintf(text, sizeof text, "%10lu\n", sys::ProcessId());
      const bool written = lock.WriteAt(0, text, static_cast<std::size_t>(length), error) == length;
      lock = sys::File();
      if (!written) {
        sys::Remove(file);
        return 0;
      }
      file_ = file;
      return 0;
    }
    if (error != sys::kExists) break;  // no lock folder, or not ours to write: go without
    const unsigned long holder = Holder(file);
    if (holder != 0 && sys::ProcessRunning(holder)) return EBUSY;
    sys::Remove(file);  // stale (or unreadable as a lock): the next round takes it
  }
  // Without a lock of our own, still never beside a running holder.
  const unsigned long holder = Holder(file);
  return holder != 0 && sys::ProcessRunning(holder) ? EBUSY : 0;
}

}  // namespace serial::linux_tty
