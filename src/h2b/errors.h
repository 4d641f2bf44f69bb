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

// The user asked the program to stop while it was converting; the image was not made.
class EInterrupted : public std::runtime_error {
 public:
  EInterrupted() : std::runtime_error("Прервано") {}
};

}  // namespace h2b
