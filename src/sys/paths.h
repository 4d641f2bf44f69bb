#pragma once

#include <filesystem>
#include <string>

// Names of files and folders: the program keeps them as UTF-8 text.
namespace sys {

// UTF-8 names as std::filesystem paths and back: a plain std::string would be taken in the
// ANSI code page on Windows, which cannot hold every name.
inline std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

// The characters after which a path's last name starts: "/" on POSIX, "\/:" on Windows.
extern const char* const kPathSeparators;

// The absolute form of name, as the system resolves it against the current folder; name
// itself when that fails.
std::string AbsolutePath(const std::string& name);
// The running program's own file.
std::string ExecutablePath();
// Whether the user may create and rename files in the folder.
bool FolderWritable(const std::string& folder);
// Whether the folder is where the system installs programs (/usr, /bin, /sbin, /opt on POSIX;
// the program and Windows folders on Windows): nothing but an installer writes there, also when
// the user could (root, an administrator).
bool IsSystemProgramFolder(const std::string& folder);
// Where the user's programs keep their settings: $XDG_CONFIG_HOME (when absolute) or
// ~/.config on POSIX, %APPDATA% on Windows.
std::string UserConfigurationFolder();

}  // namespace sys
