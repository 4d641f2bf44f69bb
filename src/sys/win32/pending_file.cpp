#include "sys/pending_file.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "sys/paths.h"
#include "sys/win32/wide_text.h"

namespace sys {

namespace {

bool SetDeleteOnClose(HANDLE file, bool remove) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) !=
         0;
}

}  // namespace

PendingFile::~PendingFile() {
  file_ = File();
  if (!deleteOnClose_ && !hiddenName_.empty()) Remove(hiddenName_);
}

bool PendingFile::Create(const std::string& name, Error& error) {
  name_ = name;
  RemoveLeftovers(name);
  for (int attempt = 0; attempt < 100; ++attempt) {
    hiddenName_ = HiddenName(name);
    // Shared with nobody; DELETE access lets it be renamed through its own handle.
    file_ = File::CreateNew(hiddenName_, error);
    if (file_.IsOpen()) break;
    if (error != kExists) {
      hiddenName_.clear();
      return false;
    }
  }
  if (!file_.IsOpen()) return false;
  // The system removes it when the last handle closes, also after a crash or a kill.
  deleteOnClose_ = SetDeleteOnClose(reinterpret_cast<HANDLE>(file_.handle_), true);
  return true;
}

bool PendingFile::Commit(Error& error) {
  const HANDLE handle = reinterpret_cast<HANDLE>(file_.handle_);
  if (deleteOnClose_ && !SetDeleteOnClose(handle, false)) {
    error = static_cast<Error>(GetLastError());
    return false;
  }
  deleteOnClose_ = false;
  // Renamed through the handle, which stays open: nobody can open the image in between.
  const std::wstring target = Wide(AbsolutePath(name_));
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), rename->FileName);
  rename->FileName[target.size()] = L'\0';
  if (!SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                  static_cast<DWORD>(buffer.size()))) {
    error = static_cast<Error>(GetLastError());
    // A file of that name that another program holds open refuses the replacement as "access
    // denied": say that it is in use, which the user can do something about.
    if (error == ERROR_ACCESS_DENIED) {
      const HANDLE probe = CreateFileW(target.c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
      if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
      } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
        error = ERROR_SHARING_VIOLATION;
      }
    }
    return false;
  }
  hiddenName_.clear();
  return true;
}

}  // namespace sys
