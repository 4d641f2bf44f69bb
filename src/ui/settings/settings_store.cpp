#include "ui/settings/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <utility>

#include "ui/settings/ini_text.h"

namespace ui {
namespace {

namespace fs = std::filesystem;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Close reports a failed delayed write (NFS, full disk), so its result counts.
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

// The file's bytes; an empty text when it does not exist; nothing when it exists but
// cannot be read.
std::optional<std::string> Load(const fs::path& file) {
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT ? std::optional<std::string>("") : std::nullopt;
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) return text;
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    } else if (errno != EINTR) {
      return std::nullopt;
    }
  }
}

bool WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno != EINTR) return false;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes a sibling file and renames it over the target, so the target is at every moment
// either the old file or the complete new one, even after a crash or on a full disk.
bool ReplaceFile(const fs::path& target, const std::string& text) {
  static std::atomic<unsigned> counter{0};
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const fs::path temp = folder / (target.filename().string() + ".tmp" + std::to_string(::getpid()) +
                                  "." + std::to_string(counter++));
  struct stat old_file {};
  const bool existed = ::stat(target.c_str(), &old_file) == 0;

  Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) return false;
  const bool written = (!existed || ::fchmod(fd.get(), old_file.st_mode & 07777) == 0) &&
                       WriteAll(fd.get(), text) && ::fsync(fd.get()) == 0 && fd.Close() &&
                       ::rename(temp.c_str(), target.c_str()) == 0;
  if (!written) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename is done; syncing the folder only makes it survive a power cut sooner.
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return true;
}

// A settings file reached through a symbolic link is rewritten where the link points.
fs::path Resolved(const fs::path& file) {
  std::error_code error;
  if (!fs::is_symlink(file, error)) return file;
  fs::path target = fs::weakly_canonical(file, error);
  return error ? file : target;
}

// Cuts at most three bytes more so that a UTF-8 sequence is not split.
std::string Capped(std::string value) {
  if (value.size() <= TSettingsStore::kMaxValue) return value;
  std::size_t cut = TSettingsStore::kMaxValue;
  for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80;
       ++back)
    --cut;
  value.resize(cut);
  return value;
}

}  // namespace

bool TSettingsStore::HasSection(const std::string& section) const {
  const auto text = Load(file_);
  return text && TIniText(*text).HasSection(section);
}

std::string TSettingsStore::ReadValue(const std::string& section, const std::string& key,
                                      const std::string& default_value) const {
  const auto text = Load(file_);
  if (!text) return default_value;
  return Capped(TIniText(*text).Find(section, key).value_or(default_value));
}

void TSettingsStore::WriteValue(const std::string& section, const std::string& key,
                                const std::string& value) {
  const fs::path target = Resolved(file_);
  // An existing file that cannot be read is left alone rather than replaced by one key.
  const auto text = Load(target);
  std::optional<TIniText> ini;
  if (text) ini.emplace(*text);
  // The user's configuration folder may not exist before the first setting is written.
  std::error_code noFolder;
  if (ini && createFolder_) fs::create_directories(target.parent_path(), noFolder);
  if (!ini || !ini->Set(section, key, value) || !ReplaceFile(target, ini->Text()))
    throw ESettingsError("Unable to write to " + file_.string());
}

fs::path SettingsPathFor(const fs::path& executable) {
  fs::path settings = executable;
  return settings.replace_extension(".ini");
}

fs::path UserSettingsPath(const std::string& xdgConfigHome, const std::string& home) {
  // The base directory specification ignores a relative XDG_CONFIG_HOME.
  const fs::path base = !xdgConfigHome.empty() && fs::path(xdgConfigHome).is_absolute()
                            ? fs::path(xdgConfigHome)
                            : fs::path(home) / ".config";
  return base / kSettingsFolder / (std::string(kSettingsFolder) + ".ini");
}

fs::path ChooseSettingsPath(const fs::path& executable, bool besideWritable,
                            const std::string& xdgConfigHome, const std::string& home) {
  return besideWritable ? SettingsPathFor(executable) : UserSettingsPath(xdgConfigHome, home);
}

namespace {

fs::path RunningExecutable() {
  std::error_code error;
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  // Without /proc the program's own name is unknown; the working folder is the fallback.
  if (error) executable = fs::current_path(error) / kSettingsFolder;
  return executable;
}

}  // namespace

fs::path DefaultSettingsPath() {
  const fs::path executable = RunningExecutable();
  // The settings file is replaced whole through a temporary file beside it, so the folder
  // itself must be writable: an installed program's is not.
  const bool besideWritable = ::access(executable.parent_path().c_str(), W_OK | X_OK) == 0;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string homeFolder = home ? home : "";
  if (homeFolder.empty()) {
    if (const passwd* user = ::getpwuid(::getuid())) homeFolder = user->pw_dir;
  }
  return ChooseSettingsPath(executable, besideWritable, xdg ? xdg : "", homeFolder);
}

TSettingsStore DefaultSettingsStore() {
  const fs::path file = DefaultSettingsPath();
  return TSettingsStore(file, file != SettingsPathFor(RunningExecutable()));
}

}  // namespace ui
