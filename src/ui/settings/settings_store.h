#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui {

class ESettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The remembered settings: an INI file read afresh by every call. Constructing the store
// touches nothing on disk; the file is created by the first WriteValue.
class TSettingsStore {
 public:
  // createFolder: the first write also creates the file's folder (the user's configuration
  // folder); otherwise a missing folder fails the write.
  explicit TSettingsStore(std::filesystem::path file, bool createFolder = false)
      : file_(std::move(file)), createFolder_(createFolder) {}

  // True when the section holds at least one key.
  bool HasSection(const std::string& section) const;
  // At most kMaxValue bytes of the value; default_value when the file, section or key is
  // missing (a key with an empty value reads as empty).
  std::string ReadValue(const std::string& section, const std::string& key,
                        const std::string& default_value) const;
  // The values of every key of the section in the file's order, each at most kMaxValue bytes;
  // none when the file or the section is missing.
  std::vector<std::string> ReadValues(const std::string& section) const;
  // Replaces or adds the key, adding the section at the end and the file if missing. The file
  // is replaced whole, so a failure leaves the old one as it was. Throws ESettingsError
  // "Unable to write to <file>", also for a value holding a line break.
  void WriteValue(const std::string& section, const std::string& key, const std::string& value);

  const std::filesystem::path& FileName() const { return file_; }

  static constexpr std::size_t kMaxValue = 2047;

 private:
  std::filesystem::path file_;
  bool createFolder_;
};

// The folder and base name of the settings in the user's configuration folder.
inline constexpr char kSettingsFolder[] = "zagruzchik";

// The executable's path with its extension replaced by ".ini" (or ".ini" appended).
std::filesystem::path SettingsPathFor(const std::filesystem::path& executable);
// zagruzchik/zagruzchik.ini in the user's configuration folder.
std::filesystem::path UserSettingsPath(const std::string& configurationFolder);
// Whether the executable keeps its settings beside itself: when its settings file is there
// already, or when the user may write its folder (a build tree, a copy on a stick) and that is
// no system program folder. An installed program never does, also when run as root.
bool KeepsSettingsBeside(const std::filesystem::path& executable);
// Beside the executable, or in the user's configuration folder (an installed program).
std::filesystem::path ChooseSettingsPath(const std::filesystem::path& executable, bool beside,
                                         const std::string& configurationFolder);
// ChooseSettingsPath for the running executable, its folder and the user's configuration
// folder ($XDG_CONFIG_HOME or ~/.config; %APPDATA% on Windows).
std::filesystem::path DefaultSettingsPath();
// The store at DefaultSettingsPath, creating the user's configuration folder when it is there.
TSettingsStore DefaultSettingsStore();

}  // namespace ui
