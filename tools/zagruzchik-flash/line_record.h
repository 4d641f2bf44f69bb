#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace flash {

// One board as the production record keeps it.
struct BoardRecord {
  std::string time;  // ISO 8601 with the UTC offset
  std::string host;
  std::string port;
  std::string identity;  // the adapter's stable name or serial number; the URL of a network port
  long long board = 0;   // continues across runs appending to the same record
  std::string hexFile;
  std::uint64_t imageSize = 0;
  std::string imageSha256;
  std::string result;  // passed, failed, timed-out, interrupted
  double seconds = 0;
  std::string message;
};

// The record as CSV (RFC 4180) and as one JSON object.
std::string CsvHeader();
std::string CsvLine(const BoardRecord& record);
std::string JsonLine(const BoardRecord& record);
// A JSON string literal.
std::string JsonString(const std::string& text);

// The local time now, ISO 8601 with the UTC offset: 2026-12-09T05:25:44+01:00.
std::string IsoTimeNow();
// This machine's name.
std::string HostName();

// The CSV file a production line appends to: the header once, each board's line flushed and
// synced to the disk before the next board starts, board numbers going on from the last one
// in the file. Every failure is an exception with the message for the user.
class LineRecordFile {
 public:
  // Opens (creates) the file; refuses one whose header is not this record's.
  explicit LineRecordFile(const std::string& path);
  ~LineRecordFile();
  LineRecordFile(const LineRecordFile&) = delete;
  LineRecordFile& operator=(const LineRecordFile&) = delete;

  // The highest board number in the file when it was opened; 0 for a new one.
  long long LastBoard() const { return lastBoard_; }
  void Append(const BoardRecord& record);

 private:
  void Write(const std::string& text);

  std::string path_;
  std::FILE* file_ = nullptr;
  long long lastBoard_ = 0;
};

}  // namespace flash
