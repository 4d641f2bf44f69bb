// The settings file as every platform keeps it: any alphabet in its path and values, the
// user's configuration folder made by the first write, nothing left beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "sys/native_file.h"
#include "sys/paths.h"
#include "ui/settings/settings_store.h"

namespace {

namespace fs = std::filesystem;

fs::path Utf8(const std::string& name) {
  return fs::path(std::u8string(name.begin(), name.end()));
}

class SettingsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = fs::temp_directory_path() / ("settings-" + std::to_string(random()));
    ASSERT_TRUE(fs::create_directory(folder_));
  }
  void TearDown() override { fs::remove_all(folder_); }

  // A path under the folder, named in UTF-8.
  fs::path Name(const std::string& relative) const { return folder_ / Utf8(relative); }

  fs::path folder_;
};

TEST_F(SettingsFiles, CyrillicPathsAndValuesGoAndComeBackWhole) {
  const fs::path file = Name("Пользователь/zagruzchik.ini");
  ui::TSettingsStore store(file, true);
  const std::string hex = sys::Utf8Of(Name("прошивки/загрузка.hex"));
  store.WriteValue("FileName", "Name", hex);
  store.WriteValue("PortName", "Name", "COM3");
  store.WriteValue("PortName", "Name", "COM4");
  EXPECT_EQ(ui::TSettingsStore(file).ReadValue("FileName", "Name", ""), hex);
  EXPECT_EQ(ui::TSettingsStore(file).ReadValue("PortName", "Name", ""), "COM4");
  // Replaced whole each time: no temporary file stays beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_ / Utf8("Пользователь")))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(SettingsFiles, OnlyTheConfigurationFolderIsMadeByAWrite) {
  const fs::path beside = Name("missing/zagruzchik.ini");
  EXPECT_THROW(ui::TSettingsStore(beside).WriteValue("PortName", "Name", "COM1"),
               ui::ESettingsError);
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
  const fs::path user = ui::UserSettingsPath(sys::Utf8Of(Name("config")));
  ui::TSettingsStore(user, true).WriteValue("PortName", "Name", "COM1");
  EXPECT_TRUE(fs::is_regular_file(folder_ / "config" / "zagruzchik" / "zagruzchik.ini"));
}

}  // namespace
