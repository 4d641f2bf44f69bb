#include "sys/error.h"

#include <windows.h>

#include "sys/win32/wide_text.h"

namespace sys {

const Error kNotFound = ERROR_FILE_NOT_FOUND;
// ERROR_DIRECTORY_NOT_SUPPORTED, newer than the headers at hand.
const Error kIsFolder = 336;
const Error kNoSpace = ERROR_DISK_FULL;
const Error kExists = ERROR_FILE_EXISTS;
const Error kNoMemory = ERROR_NOT_ENOUGH_MEMORY;
const Error kBusy = ERROR_ACCESS_DENIED;

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

}  // namespace sys
