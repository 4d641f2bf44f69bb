#include "serial/linux/uucp_lock.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// A lock file just made may still be empty: its maker writes the number next.
constexpr auto kFreshLock = std::chrono::seconds(10);

// Whether the lock file names a running process, or is too young to name one yet. Its number
// is written as text ("%10d\n", the usual form) or, by older programs, as 4 binary bytes.
bool HeldByAnother(const std::string& file) {
  sys::Error error = 0;
  sys::File in = sys::File::OpenForReading(file, error);
  if (!in.IsOpen()) return false;
  unsigned char bytes[32] = {};
  const auto n = in.Read(reinterpret_cast<char*>(bytes), sizeof bytes - 1, error);
  if (n < 0) return false;
  if (n == 0) {
    std::error_code noTime;
    const auto written = std::filesystem::last_write_time(file, noTime);
    return !noTime && std::filesystem::file_time_type::clock::now() - written < kFreshLock;
  }
  unsigned long pid = 0;
  const bool text = std::all_of(bytes, bytes + n,
                                [](unsigned char c) { return std::isdigit(c) || std::isspace(c); });
  if (n == 4 && !text) {
    std::int32_t binary = 0;
    std::memcpy(&binary, bytes, sizeof binary);  // as the holder wrote it: its own byte order
    pid = binary > 0 ? static_cast<unsigned long>(binary) : 0;
  } else {
    pid = std::strtoul(reinterpret_cast<const char*>(bytes), nullptr, 10);
  }
  return pid != 0 && pid <= INT_MAX && sys::ProcessRunning(pid);
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
    if (HeldByAnother(file)) return EBUSY;
    sys::Remove(file);  // stale (or unreadable as a lock): the next round takes it
  }
  // Without a lock of our own, still never beside a running holder.
  return HeldByAnother(file) ? EBUSY : 0;
}

}  // namespace serial::linux_tty
