#include "sys/error.h"

#include <cerrno>
#include <cstring>

namespace sys {

const Error kNotFound = ENOENT;
const Error kIsFolder = EISDIR;
const Error kNoSpace = ENOSPC;
const Error kExists = EEXIST;
const Error kNoMemory = ENOMEM;
const Error kBusy = EBUSY;

std::string ErrorText(Error error) {
  char buffer[256] = {};
  // The GNU strerror_r may return a static string instead of filling the buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace sys
