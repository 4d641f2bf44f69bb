#pragma once

#include <string>

#include "sys/native_file.h"

namespace sys {

// A new file that takes its name only once it is complete, replacing whatever the name held.
// Until then no other program can reach it, and a crash, a kill or a power cut leaves nothing
// of it behind where the system allows that (Linux: a file without a name; Windows: a file
// marked for deletion until it is complete). Elsewhere it has a hidden name beside its own,
// ".NAME.<process>-<n>.tmp", and the next pending file of the same name removes the leftovers
// of processes that no longer run.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();  // uncommitted: the file is gone
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the file, open for reading and writing; false with the system's error on failure.
  bool Create(const std::string& name, Error& error);
  File& file() { return file_; }
  // Gives the file its name; it stays open, as it was.
  bool Commit(Error& error);

 private:
  // ".NAME.<this process>-<n>.tmp" beside name; n counts up within the process.
  static std::string HiddenName(const std::string& name);
  static void RemoveLeftovers(const std::string& name);

  std::string name_;
  std::string hiddenName_;  // the name it has until Commit, if it has one
  File file_;
  bool deleteOnClose_ = false;  // Windows: the system removes it once closed
};

}  // namespace sys
