#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sys/native_file.h"

namespace h2b {

// Reads a text file line by line in large chunks. A line ends at CR, at LF or at CR LF;
// a NUL byte ends the text; a break at the very end adds no empty line. Memory stays bounded
// whatever the file holds: a line is given only up to kMaxLine characters, far more than any
// record has.
class HexLineReader {
 public:
  // Opens the file for reading; throws EFileError "Cannot open file ..." on failure, also for
  // anything but a regular file (a FIFO or a device would block or never end).
  explicit HexLineReader(const std::string& fileName);
  ~HexLineReader();
  HexLineReader(const HexLineReader&) = delete;
  HexLineReader& operator=(const HexLineReader&) = delete;

  static constexpr std::size_t kMaxLine = 64 * 1024;

  // The next line, valid until the next call; false at the end of the text. A request to stop
  // (sys::InterruptRequested) throws EInterrupted.
  bool Next(std::string_view& line);

  // Lets go of the file: where an open file cannot be replaced (Windows), a HEX file that is
  // its own image must be closed before the new image takes its name.
  void Close() { file_ = sys::File(); }

 private:
  bool Fill();  // reads more after the unread bytes; false at the end of the file

  std::string fileName_;
  sys::File file_;
  std::size_t sizeHint_ = 0;  // the file's size when it was opened
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // first unread byte
  std::size_t end_ = 0;    // one past the last byte read
  bool atEnd_ = false;     // the file, or the text at a NUL, has ended
  bool skipLf_ = false;    // the last line ended at a CR: a following LF belongs to it
};

}  // namespace h2b
