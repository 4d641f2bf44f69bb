#include "sys/paths.h"

#include <windows.h>

#include <cstdlib>

#include "sys/native_file.h"
#include "sys/process.h"
#include "sys/win32/wide_text.h"

namespace sys {

const char* const kPathSeparators = "\\/:";

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

bool IsSystemProgramFolder(const std::string& folder) {
  const std::wstring path = Wide(AbsolutePath(folder));
  for (const wchar_t* variable : {L"ProgramFiles", L"ProgramFiles(x86)", L"SystemRoot"}) {
    const wchar_t* root = _wgetenv(variable);
    if (root == nullptr || *root == L'\0') continue;
    const std::wstring prefix = root;
    if (path.size() >= prefix.size() &&
        CompareStringOrdinal(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                             static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL &&
        (path.size() == prefix.size() || path[prefix.size()] == L'\\'))
      return true;
  }
  return false;
}

std::string UserConfigurationFolder() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  return appData != nullptr ? Narrow(appData) : std::string();
}

}  // namespace sys
