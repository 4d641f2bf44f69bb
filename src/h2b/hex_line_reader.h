#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "h2b/native_file.h"

namespace h2b {

// Reads a text file line by line in large chunks. A line ends at CR, at LF or at CR LF;
// a NUL byte ends the text; a break at the very end adds no empty line.
class HexLineReader {
 public:
  // Opens the file for reading; throws EFileError "Cannot open file ..." on failure, also for
  // anything but a regular file (a FIFO or a device would block or never end).
  explicit HexLineReader(const std::string& fileName);
  ~HexLineReader();
  HexLineReader(const HexLineReader&) = delete;
  HexLineReader& operator=(const HexLineReader&) = delete;

  // The next line, valid until the next call; false at the end of the text.
  bool Next(std::string_view& line);

  // Reads the rest of the file into memory now, so that a file that cannot be read fails
  // before anything else is touched (and a file about to be replaced is already in memory).
  void ReadAll();

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
