#include "sys/pending_file.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#include "sys/paths.h"
#include "sys/process.h"

namespace sys {

namespace {

std::atomic<unsigned> hiddenCount{0};

// The folder part of name ("" for none) and the rest.
void SplitName(const std::string& name, std::string& folder, std::string& base) {
  const std::size_t slash = name.find_last_of(kPathSeparators);
  folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
  base = slash == std::string::npos ? name : name.substr(slash + 1);
}

// The process number in ".BASE.<pid>-<n>.tmp"; 0 when the name is not of that form.
unsigned long LeftoverOwner(const std::string& entry, const std::string& base) {
  const std::string head = "." + base + ".";
  const std::string tail = ".tmp";
  if (entry.size() <= head.size() + tail.size() || entry.compare(0, head.size(), head) != 0 ||
      entry.compare(entry.size() - tail.size(), tail.size(), tail) != 0)
    return 0;
  const std::string middle = entry.substr(head.size(), entry.size() - head.size() - tail.size());
  const std::size_t dash = middle.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 10 ||
      middle.find_first_not_of("0123456789-") != std::string::npos ||
      middle.find('-', dash + 1) != std::string::npos || dash + 1 == middle.size())
    return 0;
  return std::stoul(middle.substr(0, dash));
}

}  // namespace

std::string PendingFile::HiddenName(const std::string& name) {
  std::string folder;
  std::string base;
  SplitName(name, folder, base);
  return folder + "." + base + "." + std::to_string(ProcessId()) + "-" +
         std::to_string(hiddenCount++) + ".tmp";
}

void PendingFile::RemoveLeftovers(const std::string& name) {
  std::string folder;
  std::string base;
  SplitName(name, folder, base);
  std::error_code error;
  std::filesystem::directory_iterator entries(PathOf(folder.empty() ? "." : folder), error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    const std::string entry = Utf8Of(entries->path().filename());
    const unsigned long owner = LeftoverOwner(entry, base);
    if (owner != 0 && owner != ProcessId() && !ProcessRunning(owner)) Remove(folder + entry);
  }
}

}  // namespace sys
