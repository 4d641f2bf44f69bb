#include "sys/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace sys {

const char* const kPathSeparators = "/";

std::string AbsolutePath(const std::string& name) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(name, error);
  if (error) return name;
  return full.lexically_normal().string();
}

std::string ExecutablePath() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : executable.string();
}

bool FolderWritable(const std::string& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsSystemProgramFolder(const std::string& folder) {
  const std::string path = AbsolutePath(folder);
  for (const char* root : {"/usr", "/bin", "/sbin", "/lib", "/opt", "/snap"}) {
    const std::string prefix = root;
    if (path == prefix || path.rfind(prefix + "/", 0) == 0) return true;
  }
  return false;
}

std::string UserConfigurationFolder() {
  // The XDG base directory rules ignore a relative XDG_CONFIG_HOME.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  std::string folder = home != nullptr ? home : "";
  if (folder.empty()) {
    if (const passwd* user = ::getpwuid(::getuid())) folder = user->pw_dir;
  }
  return folder + "/.config";
}

}  // namespace sys
