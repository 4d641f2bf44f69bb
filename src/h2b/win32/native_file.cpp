#include "h2b/native_file.h"

#include <windows.h>

#include <cstdlib>
#include <utility>

#include "h2b/win32/wide_text.h"

namespace h2b::sys {

const Error kNotFound = ERROR_FILE_NOT_FOUND;
// ERROR_DIRECTORY_NOT_SUPPORTED, newer than the headers at hand.
const Error kIsFolder = 336;
const Error kNoSpace = ERROR_DISK_FULL;
const Error kExists = ERROR_FILE_EXISTS;
const char* const kPathSeparators = "\\/:";

std::string ErrorText(Error error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return "Error " + std::to_string(error);
  std::string narrow = Narrow(std::wstring(text, length));
  LocalFree(text);
  return narrow;
}

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
  // The image is shared with nobody until it is complete.
  return File(Opened(CreateFileW(Wide(name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
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

std::string AbsolutePath(const std::string& name) {
  const std::wstring wide = Wide(name);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return name;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return name;
  full.resize(length);
  return Narrow(full);
}

unsigned long ProcessId() {
  return GetCurrentProcessId();
}

bool CopyPermissions(const std::string&, File&, Error&) {
  return true;
}

void SyncFolder(const std::string&) {}

std::string ExecutablePath() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return {};
  path.resize(length);
  return Narrow(path);
}

bool FolderWritable(const std::string& folder) {
  // Access rights are lists here: trying is the one sure test.
  const std::string probe = folder + "\\.zagruzchik-probe-" + std::to_string(ProcessId());
  Error ignored = 0;
  File file = File::CreateNew(probe, ignored);
  if (!file.IsOpen()) return false;
  file.Close(ignored);
  Remove(probe);
  return true;
}

std::string UserConfigurationFolder() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  return appData != nullptr ? Narrow(appData) : std::string();
}

}  // namespace h2b::sys
