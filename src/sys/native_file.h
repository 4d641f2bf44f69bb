#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sys/error.h"

// The few file-system calls the program makes (the converter, the settings), one backend per
// platform. Names are UTF-8; failures come back as the system's own error codes, which the
// callers word themselves.
namespace sys {

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
  // A new file under a name nothing holds yet (a link there counts as taken). Nobody else may
  // read or write it while it is open; it may be renamed.
  static File CreateNew(const std::string& name, Error& error);

  bool IsOpen() const { return handle_ != kClosed; }
  bool Describe(Kind& kind, std::uint64_t& size, Error& error) const;
  // Bytes read, 0 at the end of the file, -1 on failure.
  std::int64_t Read(void* buffer, std::size_t count, Error& error);
  // The same from offset on, leaving the file's position alone.
  std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count, Error& error) const;
  // Bytes written at offset, -1 on failure.
  std::int64_t WriteAt(std::uint64_t offset, const void* data, std::size_t count, Error& error);
  // The data on the disk.
  bool SyncData(Error& error);
  // Closes now, reporting what the close reports (a delayed write error).
  bool Close(Error& error);

 private:
  friend class PendingFile;
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

// A new file takes the access rights of the file it replaces (POSIX modes; on Windows the
// folder's inherited rights do).
bool CopyPermissions(const std::string& from, File& to, Error& error);
// Makes a completed rename in the folder survive a power cut sooner, where the system needs it.
void SyncFolder(const std::string& folder);

}  // namespace sys
