#include "line_record.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "h2b/file_errors.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "sys/win32/wide_text.h"
#else
#include <unistd.h>
#endif

namespace flash {

namespace {

constexpr const char* kColumns[] = {"time",   "host",     "port",       "identity",
                                    "board",  "hex_file", "image_size", "image_sha256",
                                    "result", "seconds",  "message"};
constexpr std::size_t kBoardColumn = 4;

// A CSV field, quoted when it holds a separator, a quote or a line break (RFC 4180).
std::string Csv(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (const char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

// The records of a CSV text, each a list of fields; quoted fields may hold line breaks.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records(1);
  std::string field;
  bool quoted = false, started = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
      started = true;
    } else if (c == ',') {
      records.back().push_back(std::move(field));
      field.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      records.back().push_back(std::move(field));
      field.clear();
      records.emplace_back();
      started = false;
    } else {
      field += c;
      started = true;
    }
  }
  if (started || !field.empty() || !records.back().empty()) {
    records.back().push_back(std::move(field));
  } else {
    records.pop_back();
  }
  return records;
}

}  // namespace

std::string CsvHeader() {
  std::string header;
  for (const char* column : kColumns) header += std::string(header.empty() ? "" : ",") + column;
  return header + "\n";
}

std::string CsvLine(const BoardRecord& r) {
  return Csv(r.time) + "," + Csv(r.host) + "," + Csv(r.port) + "," + Csv(r.identity) + "," +
         std::to_string(r.board) + "," + Csv(r.hexFile) + "," + std::to_string(r.imageSize) + "," +
         r.imageSha256 + "," + r.result + "," + Seconds(r.seconds) + "," + Csv(r.message) + "\n";
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonLine(const BoardRecord& r) {
  return "{\"time\":" + JsonString(r.time) + ",\"host\":" + JsonString(r.host) +
         ",\"port\":" + JsonString(r.port) + ",\"identity\":" + JsonString(r.identity) +
         ",\"board\":" + std::to_string(r.board) + ",\"hex_file\":" + JsonString(r.hexFile) +
         ",\"image_size\":" + std::to_string(r.imageSize) +
         ",\"image_sha256\":" + JsonString(r.imageSha256) + ",\"result\":" + JsonString(r.result) +
         ",\"seconds\":" + Seconds(r.seconds) + ",\"message\":" + JsonString(r.message) + "}\n";
}

std::string IsoTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{}, utc{};
#ifdef _WIN32
  localtime_s(&local, &now);
  gmtime_s(&utc, &now);
#else
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
#endif
  // The offset from the two broken-down times (strftime's %z is a zone's name on Windows).
  int days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  const int minutes =
      days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  char text[48];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  std::snprintf(text + n, sizeof text - n, "%c%02d:%02d", minutes < 0 ? '-' : '+',
                std::abs(minutes) / 60, std::abs(minutes) % 60);
  return text;
}

std::string HostName() {
#ifdef _WIN32
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return sys::Narrow(std::wstring(name, size));
#else
  char name[256] = "";
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
#endif
}

LineRecordFile::LineRecordFile(const std::string& path) : path_(path) {
  // Only a regular file is read back: a device (/dev/full, a FIFO) may never end.
  std::error_code error;
  std::ifstream existing;
  if (std::filesystem::is_regular_file(path, error)) existing.open(path, std::ios::binary);
  if (existing) {
    std::stringstream text;
    text << existing.rdbuf();
    const std::vector<std::vector<std::string>> records = ParseCsv(text.str());
    if (!records.empty()) {
      std::string header;
      for (const std::string& field : records.front())
        header += (header.empty() ? "" : ",") + field;
      if (header + "\n" != CsvHeader())
        throw h2b::FileError("Cannot append to", path,
                             "It is not a record of this version (its columns: " + header +
                                 "); give another --log file");
      for (std::size_t i = 1; i < records.size(); ++i) {
        if (records[i].size() <= kBoardColumn) continue;
        const long long board = std::atoll(records[i][kBoardColumn].c_str());
        if (board > lastBoard_) lastBoard_ = board;
      }
    }
  }
  file_ = std::fopen(path.c_str(), "ab");
  if (file_ == nullptr) throw h2b::FileError("Cannot open", path, std::strerror(errno));
  std::fseek(file_, 0, SEEK_END);
  if (std::ftell(file_) == 0) Write(CsvHeader());
}

LineRecordFile::~LineRecordFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void LineRecordFile::Append(const BoardRecord& record) {
  Write(CsvLine(record));
}

// On the disk before the next board starts: a power cut loses no board's line.
void LineRecordFile::Write(const std::string& text) {
  errno = 0;
  bool written =
      std::fwrite(text.data(), 1, text.size(), file_) == text.size() && std::fflush(file_) == 0;
#ifdef _WIN32
  written = written && _commit(_fileno(file_)) == 0;
#else
  written = written && ::fsync(::fileno(file_)) == 0;
#endif
  if (!written)
    throw h2b::FileError("Cannot write", path_, std::strerror(errno != 0 ? errno : EIO));
}

}  // namespace flash
