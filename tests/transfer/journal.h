#pragma once

#include <string>
#include <vector>

namespace transfer::testing {

// One line per effect, shared by the fakes of a test so that it sees the order of effects
// across the port, the window and the image.
using Journal = std::vector<std::string>;

inline void Note(Journal* journal, std::string line) {
  if (journal) journal->push_back(std::move(line));
}

}  // namespace transfer::testing
