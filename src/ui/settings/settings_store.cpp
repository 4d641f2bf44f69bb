#include "ui/settings/settings_store.h"

#include <atomic>
#include <optional>
#include <utility>

#include "sys/native_file.h"
#include "sys/paths.h"
#include "sys/process.h"
#include "ui/settings/ini_text.h"

namespace ui {
namespace {

namespace fs = std::filesystem;

// The file's bytes; an empty text when it does not exist; nothing when it exists but
// cannot be read.
std::optional<std::string> Load(const fs::path& file) {
  sys::Error error = 0;
  sys::File in = sys::File::OpenForReading(sys::Utf8Of(file), error);
  if (!in.IsOpen()) {
    return sys::KindOf(sys::Utf8Of(file), true) == sys::Kind::Missing
               ? std::optional<std::string>("")
               : std::nullopt;
  }
  std::string text;
  char buffer[4096];
  for (;;) {
    const std::int64_t n = in.Read(buffer, sizeof buffer, error);
    if (n == 0) return text;
    if (n < 0) return std::nullopt;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

bool WriteAll(sys::File& out, const std::string& text) {
  sys::Error error = 0;
  for (std::size_t done = 0; done < text.size();) {
    const std::int64_t n = out.WriteAt(done, text.data() + done, text.size() - done, error);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes a sibling file and renames it over the target, so the target is at every moment
// either the old file or the complete new one, even after a crash or on a full disk.
bool ReplaceFile(const fs::path& target, const std::string& text) {
  static std::atomic<unsigned> counter{0};
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string temp = sys::Utf8Of(target) + ".tmp" + std::to_string(sys::ProcessId()) + "." +
                           std::to_string(counter++);
  sys::Error error = 0;
  sys::File out = sys::File::CreateNew(temp, error);
  if (!out.IsOpen()) return false;
  const bool written = sys::CopyPermissions(sys::Utf8Of(target), out, error) &&
                       WriteAll(out, text) && out.SyncData(error) && out.Close(error) &&
                       sys::RenameReplacing(temp, sys::Utf8Of(target), error);
  if (!written) {
    if (out.IsOpen()) out.Close(error);
    sys::Remove(temp);
    return false;
  }
  // The rename is done; syncing the folder only makes it survive a power cut sooner.
  sys::SyncFolder(sys::Utf8Of(folder));
  return true;
}

// A settings file reached through a symbolic link is rewritten where the link points, also
// where it points at nothing yet: the link is never replaced by a file.
fs::path Resolved(const fs::path& file) {
  fs::path target = file;
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(target, error); ++hops) {
    const fs::path next = fs::read_symlink(target, error);
    if (error) return file;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
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

std::vector<std::string> TSettingsStore::ReadValues(const std::string& section) const {
  const auto text = Load(file_);
  if (!text) return {};
  std::vector<std::string> values = TIniText(*text).Values(section);
  for (std::string& value : values) value = Capped(value);
  return values;
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
    throw ESettingsError("Unable to write to " + sys::Utf8Of(file_));
}

fs::path SettingsPathFor(const fs::path& executable) {
  fs::path settings = executable;
  return settings.replace_extension(".ini");
}

fs::path UserSettingsPath(const std::string& configurationFolder) {
  return sys::PathOf(configurationFolder) / kSettingsFolder /
         (std::string(kSettingsFolder) + ".ini");
}

bool KeepsSettingsBeside(const fs::path& executable) {
  std::error_code error;
  if (fs::is_regular_file(SettingsPathFor(executable), error)) return true;
  // The settings file is replaced whole through a temporary file beside it, so the folder
  // itself must be writable; and an installed program never writes into its install folder,
  // even run as root, where no package would own the file.
  const std::string folder = sys::Utf8Of(executable.parent_path());
  return sys::FolderWritable(folder) && !sys::IsSystemProgramFolder(folder);
}

fs::path ChooseSettingsPath(const fs::path& executable, bool beside,
                            const std::string& configurationFolder) {
  return beside ? SettingsPathFor(executable) : UserSettingsPath(configurationFolder);
}

namespace {

// Where the running program keeps its settings, and whether that is the user's configuration
// folder (made by the first write) rather than the program's own.
struct SettingsPlace {
  fs::path file;
  bool userFolder;
};

SettingsPlace DefaultSettingsPlace() {
  const std::string path = sys::ExecutablePath();
  std::error_code error;
  // Without it the program's own name is unknown; the working folder is the fallback.
  const fs::path executable =
      path.empty() ? fs::current_path(error) / kSettingsFolder : sys::PathOf(path);
  const bool beside = KeepsSettingsBeside(executable);
  return {ChooseSettingsPath(executable, beside, sys::UserConfigurationFolder()), !beside};
}

}  // namespace

fs::path DefaultSettingsPath() {
  return DefaultSettingsPlace().file;
}

TSettingsStore DefaultSettingsStore() {
  const SettingsPlace place = DefaultSettingsPlace();
  return TSettingsStore(place.file, place.userFolder);
}

}  // namespace ui
