#pragma once

#include <stdexcept>
#include <string>

namespace h2b {

// A file could not be opened, created, written or read; the text names the file.
class EFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A field of a HEX record is not a hexadecimal number.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace h2b
