#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// The few file-system calls the program makes (the converter, the settings), one backend per
// platform. Names are UTF-8; failures come back as the system's own error codes, which the
// callers word themselves.
namespace h2b::sys {

// errno on POSIX, a GetLastError() code on Windows.
using Error = int;

// UTF-8 names as std::filesystem paths and back: a plain std::string would be taken in the
// ANSI code page on Windows, which cannot hold every name.
inline std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

// The errors the converter names itself.
extern const Error kNotFound;  // nothing of that name
extern const Error kIsFolder;  // a folder where a file is wanted
extern const Error kNoSpace;   // a write that wrote nothing
extern const Error kExists;    // a new file's name is taken

// The system's text for an error, as the system words it (trailing blanks included).
std::string ErrorText(Error error);

// The characters after which a path's last name starts: "/" on POSIX, "\/:" on Windows.
extern const char* const kPathSeparators;

enum class Kind {
  Missing,  // nothing of that name (or a folder on the way is missing)
  File,     // a regular file
  Folder,
  Other,   // a device, FIFO or socket
  Unknown  // a name that could not be looked at
};

// What a name names, following links unless followLinks is false.
Kind KindOf(const std::string& name, bool followLinks);

// An open file, closed with its owner.
class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  ~File();

  // For reading, shared with other readers; opening a FIFO does not wait for a writer.
  static File OpenForReading(const std::string& name, Error& error);
  // A new file under a name nothing holds yet (a link there counts as taken), shared with
  // nobody while it is open.
  static File CreateNew(const std::string& name, Error& error);

  bool IsOpen() const { return handle_ != kClosed; }
  bool Describe(Kind& kind, std::uint64_t& size, Error& error) const;
  // Bytes read, 0 at the end of the file, -1 on failure.
  std::int64_t Read(void* buffer, std::size_t count, Error& error);
  // Bytes written at offset, -1 on failure.
  std::int64_t WriteAt(std::uint64_t offset, const void* data, std::size_t count, Error& error);
  // The data on the disk.
  bool SyncData(Error& error);
  // Closes now, reporting what the close reports (a delayed write error).
  bool Close(Error& error);

 private:
  friend bool CopyPermissions(const std::string& from, File& to, Error& error);
  static constexpr std::intptr_t kClosed = -1;
  explicit File(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = kClosed;  // a descriptor or a HANDLE
};

// Renames unless `to` already names something.
bool RenameNoReplace(const std::string& from, const std::string& to, Error& error);
// Renames, replacing whatever `to` names.
bool RenameReplacing(const std::string& from, const std::string& to, Error& error);
// Removes a file, quietly: for leftovers.
void Remove(const std::string& name);
// The absolute form of name, as the system resolves it against the current folder; name
// itself when that fails.
std::string AbsolutePath(const std::string& name);
unsigned long ProcessId();

// A new file takes the access rights of the file it replaces (POSIX modes; on Windows the
// folder's inherited rights do).
bool CopyPermissions(const std::string& from, File& to, Error& error);
// Makes a completed rename in the folder survive a power cut sooner, where the system needs it.
void SyncFolder(const std::string& folder);
// The running program's own file.
std::string ExecutablePath();
// Whether the user may create and rename files in the folder.
bool FolderWritable(const std::string& folder);
// Where the user's programs keep their settings: $XDG_CONFIG_HOME (when absolute) or
// ~/.config on POSIX, %APPDATA% on Windows.
std::string UserConfigurationFolder();

}  // namespace h2b::sys
