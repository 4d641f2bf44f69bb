#include "sys/native_file.h"

#include <windows.h>

#include <utility>

#include "sys/win32/wide_text.h"

namespace sys {

namespace {

HANDLE Handle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t Opened(HANDLE handle, Error& error) {
  if (handle == INVALID_HANDLE_VALUE) error = static_cast<Error>(GetLastError());
  return reinterpret_cast<std::intptr_t>(handle);
}

}  // namespace

Kind KindOf(const std::string& name, bool followLinks) {
  // The attributes of a link are the link's own; following it means opening it.
  if (followLinks) {
    HANDLE handle =
        CreateFileW(Wide(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Kind::Missing
                                                                            : Kind::Unknown;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    if (!known) return Kind::Unknown;
    if (type != FILE_TYPE_DISK) return Kind::Other;
    return info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::Folder : Kind::File;
  }
  const DWORD attributes = GetFileAttributesW(Wide(name).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Kind::Missing
                                                                          : Kind::Unknown;
  }
  if (attributes & FILE_ATTRIBUTE_DEVICE) return Kind::Other;
  return attributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::Folder : Kind::File;
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kClosed)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) CloseHandle(Handle(handle_));
    handle_ = std::exchange(other.handle_, kClosed);
  }
  return *this;
}

File::~File() {
  if (IsOpen()) CloseHandle(Handle(handle_));
}

File File::OpenForReading(const std::string& name, Error& error) {
  // Others may read it meanwhile but not change it. It may be renamed while open, as on POSIX:
  // an image being downloaded, or a HEX file that is its own image, is moved aside by the
  // next conversion.
  return File(
      Opened(CreateFileW(Wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
             error));
}

File File::CreateNew(const std::string& name, Error& error) {
  // Nobody else may read or write it while it is open. It may be renamed, as on POSIX: an
  // image being downloaded is moved aside by the next conversion.
  return File(
      Opened(CreateFileW(Wide(name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                         FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
             error));
}

bool File::Describe(Kind& kind, std::uint64_t& size, Error& error) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(Handle(handle_), &info)) {
    error = static_cast<Error>(GetLastError());
    return false;
  }
  kind = GetFileType(Handle(handle_)) != FILE_TYPE_DISK     ? Kind::Other
         : info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::Folder
                                                            : Kind::File;
  size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return true;
}

std::int64_t File::Read(void* buffer, std::size_t count, Error& error) {
  DWORD got = 0;
  const DWORD asked = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
  if (!ReadFile(Handle(handle_), buffer, asked, &got, nullptr)) {
    error = static_cast<Error>(GetLastError());
    return -1;
  }
  return got;
}

std::int64_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t count,
                          Error& error) const {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  const DWORD asked = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
  if (!ReadFile(Handle(handle_), buffer, asked, &got, &at)) {
    const DWORD failure = GetLastError();
    if (failure == ERROR_HANDLE_EOF) return 0;
    error = static_cast<Error>(failure);
    return -1;
  }
  return got;
}

std::int64_t File::WriteAt(std::uint64_t offset, const void* data, std::size_t count,
                           Error& error) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD written = 0;
  const DWORD asked = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
  if (!WriteFile(Handle(handle_), data, asked, &written, &at)) {
    error = static_cast<Error>(GetLastError());
    return -1;
  }
  return written;
}

bool File::SyncData(Error& error) {
  if (FlushFileBuffers(Handle(handle_))) return true;
  error = static_cast<Error>(GetLastError());
  return false;
}

bool File::Close(Error& error) {
  if (CloseHandle(Handle(std::exchange(handle_, kClosed)))) return true;
  error = static_cast<Error>(GetLastError());
  return false;
}

bool RenameNoReplace(const std::string& from, const std::string& to, Error& error) {
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), 0)) return true;
  error = static_cast<Error>(GetLastError());
  return false;
}

bool RenameReplacing(const std::string& from, const std::string& to, Error& error) {
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  error = static_cast<Error>(GetLastError());
  return false;
}

void Remove(const std::string& name) {
  DeleteFileW(Wide(name).c_str());
}

bool CopyPermissions(const std::string&, File&, Error&) {
  return true;
}

void SyncFolder(const std::string&) {}

}  // namespace sys
