#include "ui/settings/settings_store.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "sys/native_file.h"
#include "sys/paths.h"

namespace {

namespace fs = std::filesystem;
using ui::ESettingsError;
using ui::TSettingsStore;

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "settings.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    file_ = folder_ / "loader.ini";
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Put(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }
  std::string Contents() const {
    std::ostringstream text;
    text << std::ifstream(file_, std::ios::binary).rdbuf();
    return text.str();
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.push_back(entry.path().filename().string());
    return names;
  }
  // "Unable to write to <path>", and the old file or its absence left as it was.
  void ExpectWriteFails(const fs::path& file, const std::string& value = "COM3") {
    const std::string before = fs::exists(file_) ? Contents() : "<none>";
    try {
      TSettingsStore(file).WriteValue("PortName", "Name", value);
      ADD_FAILURE() << "writing " << file << " succeeded";
    } catch (const ESettingsError& error) {
      EXPECT_STREQ(error.what(), ("Unable to write to " + file.string()).c_str());
    }
    EXPECT_EQ(fs::exists(file_) ? Contents() : "<none>", before);
  }

  fs::path folder_;
  fs::path file_;
};

TEST_F(SettingsFile, FirstRunReadsDefaultsAndCreatesNothing) {
  TSettingsStore store(file_);
  EXPECT_FALSE(store.HasSection("PortName"));
  EXPECT_EQ(store.ReadValue("PortName", "Name", "COM1"), "COM1");
  EXPECT_FALSE(store.HasSection("FileName"));
  EXPECT_EQ(store.ReadValue("FileName", "Name", ""), "");
  EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(SettingsFile, WritesAreReadBackByANewStoreByteForByte) {
  const std::string hex = "/home/пользователь/Прошивки/блок управления.hex";
  {
    TSettingsStore store(file_);
    store.WriteValue("PortName", "Name", "ttyUSB0");
    store.WriteValue("FileName", "Name", hex);
    store.WriteValue("PortName", "Name", "ttyS0");
  }
  TSettingsStore next(file_);
  EXPECT_TRUE(next.HasSection("PortName"));
  EXPECT_EQ(next.ReadValue("PortName", "Name", "COM1"), "ttyS0");
  EXPECT_EQ(next.ReadValue("FileName", "Name", ""), hex);
  EXPECT_EQ(Contents(), "[PortName]\nName=ttyS0\n[FileName]\nName=" + hex + "\n");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"loader.ini"});  // no temporary left
}

TEST_F(SettingsFile, StoredValuesAreTakenAsTheyStand) {
  Put("[PortName]\nBaud=9600\n[FileName]\n\n; no key here\n[Lower]\nName=com3\n"
      "[Empty]\nName=\n[Stale]\nName=/gone/away.hex\n");
  TSettingsStore store(file_);
  EXPECT_TRUE(store.HasSection("PortName"));
  EXPECT_EQ(store.ReadValue("PortName", "Name", "COM1"), "COM1");
  EXPECT_FALSE(store.HasSection("FileName"));
  EXPECT_EQ(store.ReadValue("Lower", "Name", "COM1"), "com3");
  EXPECT_TRUE(store.HasSection("Empty"));
  EXPECT_EQ(store.ReadValue("Empty", "Name", "COM1"), "");
  store.WriteValue("PortName", "Name", "COM2");
  EXPECT_EQ(TSettingsStore(file_).ReadValue("Stale", "Name", ""), "/gone/away.hex");
}

TEST_F(SettingsFile, NamesMatchWithoutRegardToCase) {
  Put("[portNAME]\nNAME=COM7\n");
  TSettingsStore store(file_);
  EXPECT_TRUE(store.HasSection("PortName"));
  EXPECT_EQ(store.ReadValue("PortName", "Name", "COM1"), "COM7");
  store.WriteValue("PORTNAME", "name", "COM8");
  EXPECT_EQ(Contents(), "[portNAME]\nNAME=COM8\n");
}

TEST_F(SettingsFile, EditKeepsEveryOtherLineAndItsLineEnds) {
  Put("; loader settings\r\n\r\n[PortName]\r\nName = COM1 \r\nBaud=10400\r\n\r\n"
      "[FileName]\r\n# old=1\r\n\r\n[Other]\r\nx=1");
  TSettingsStore store(file_);
  store.WriteValue("PortName", "Name", "COM4");
  store.WriteValue("FileName", "Name", "/tmp/a.hex");
  store.WriteValue("PortName", "Parity", "none");
  store.WriteValue("Added", "Name", "x");
  EXPECT_EQ(Contents(),
            "; loader settings\r\n\r\n[PortName]\r\nName = COM4\r\nBaud=10400\r\nParity=none\r\n"
            "\r\n[FileName]\r\nName=/tmp/a.hex\r\n# old=1\r\n\r\n[Other]\r\nx=1\r\n"
            "[Added]\r\nName=x\r\n");
}

TEST_F(SettingsFile, ValuesWithEdgeBlanksOrQuotesRoundTrip) {
  TSettingsStore store(file_);
  for (const std::string value : {" lead", "trail ", "\tboth\t", "\"quoted\"", "\"", "a\"b", "="}) {
    store.WriteValue("FileName", "Name", value);
    EXPECT_EQ(TSettingsStore(file_).ReadValue("FileName", "Name", "?"), value);
  }
  Put("[FileName]\nName =  \"  spaced \"  \n[PortName]\nName=  COM5\t\n");
  EXPECT_EQ(store.ReadValue("FileName", "Name", ""), "  spaced ");
  EXPECT_EQ(store.ReadValue("PortName", "Name", ""), "COM5");
}

TEST_F(SettingsFile, ReadsAtMost2047Bytes) {
  TSettingsStore store(file_);
  store.WriteValue("FileName", "Name", std::string(3000, 'a'));
  EXPECT_EQ(store.ReadValue("FileName", "Name", ""), std::string(2047, 'a'));
  store.WriteValue("FileName", "Name", std::string(2047, 'b'));
  EXPECT_EQ(store.ReadValue("FileName", "Name", ""), std::string(2047, 'b'));

  // Cut before a two-byte letter rather than through it.
  std::string cyrillic;
  for (int i = 0; i < 1500; ++i) cyrillic += "Ж";
  store.WriteValue("FileName", "Name", cyrillic);
  EXPECT_EQ(store.ReadValue("FileName", "Name", ""), cyrillic.substr(0, 2046));
}

TEST_F(SettingsFile, GarbageIsReadAsBestItCanAndKeptOnWrite) {
  std::mt19937 random(7);
  std::string garbage;
  for (int i = 0; i < 65536; ++i) garbage += static_cast<char>(random());
  garbage += "\n[PortName]\nName=COM9\n";
  Put(garbage);
  TSettingsStore store(file_);
  EXPECT_EQ(store.ReadValue("PortName", "Name", "COM1"), "COM9");
  store.WriteValue("FileName", "Name", "/x.hex");
  EXPECT_EQ(Contents().substr(0, garbage.size()), garbage);
  EXPECT_EQ(store.ReadValue("FileName", "Name", ""), "/x.hex");
}

TEST_F(SettingsFile, AWriteThatCannotBeDoneFailsWithTheFilesPath) {
  ExpectWriteFails(folder_ / "no such folder" / "loader.ini");
  ExpectWriteFails("/proc/loader.ini");  // not even root creates files there
  fs::create_directory(file_);
  ExpectWriteFails(file_);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"loader.ini"});
  fs::remove(file_);

  // A line break would split the value into a second, forged line.
  Put("[PortName]\nName=COM1\n");
  ExpectWriteFails(file_, "COM2\n[FileName]\nName=/etc/passwd");
  ExpectWriteFails(file_, "COM2\r");
}

TEST_F(SettingsFile, RewriteKeepsTheFilesModeAndSymbolicLink) {
  Put("[PortName]\nName=COM1\n");
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const fs::path link = folder_ / "link.ini";
  fs::create_symlink(file_.filename(), link);
  TSettingsStore(link).WriteValue("PortName", "Name", "COM2");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Contents(), "[PortName]\nName=COM2\n");
  EXPECT_EQ(fs::status(file_).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A link whose file does not exist yet (a dotfiles repository's, say) gets its file made where
// it points; one pointing into a missing folder is refused. The link itself stays.
TEST_F(SettingsFile, ADanglingLinkIsWrittenThroughOrRefusedButNeverReplaced) {
  const fs::path link = folder_ / "link.ini";
  fs::create_symlink("kept/real.ini", link);
  fs::create_directory(folder_ / "kept");
  TSettingsStore(link).WriteValue("PortName", "Name", "COM2");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(fs::is_regular_file(folder_ / "kept" / "real.ini"));
  EXPECT_EQ(TSettingsStore(link).ReadValue("PortName", "Name", ""), "COM2");

  const fs::path nowhere = folder_ / "nowhere.ini";
  fs::create_symlink("missing/real.ini", nowhere);
  try {
    TSettingsStore(nowhere).WriteValue("PortName", "Name", "COM3");
    ADD_FAILURE() << "wrote through a link into a missing folder";
  } catch (const std::exception& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Unable to write to", 0), 0u) << error.what();
  }
  EXPECT_TRUE(fs::is_symlink(nowhere));
}

TEST(SettingsPath, IsTheExecutablesPathWithIniForItsExtension) {
  EXPECT_EQ(ui::SettingsPathFor("/work/build/zagruzchik"), "/work/build/zagruzchik.ini");
  EXPECT_EQ(ui::SettingsPathFor("/opt/tools/loader.exe"), "/opt/tools/loader.ini");
  EXPECT_EQ(ui::SettingsPathFor("/opt/v1.2/loader"), "/opt/v1.2/loader.ini");
  // The tests run from the build tree, which is writable.
  EXPECT_EQ(ui::DefaultSettingsPath(), fs::read_symlink("/proc/self/exe").string() + ".ini");
}

TEST(SettingsPath, AnInstalledProgramKeepsThemInTheUsersConfigurationFolder) {
  EXPECT_EQ(ui::ChooseSettingsPath("/media/stick/zagruzchik", true, "/home/u/.config"),
            "/media/stick/zagruzchik.ini");
  EXPECT_EQ(ui::ChooseSettingsPath("/usr/bin/zagruzchik", false, "/home/u/.config"),
            "/home/u/.config/zagruzchik/zagruzchik.ini");
}

// Run as root from the package, the window must not write /usr/bin/zagruzchik.ini, which no
// package owns: a system program folder never takes the settings, writable or not. A program
// in a folder of the user's keeps them beside itself, and so does one whose settings file is
// there already (put there on purpose).
TEST(SettingsPath, SystemProgramFoldersNeverTakeTheSettings) {
  for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin", "/opt/zagruzchik", "/usr"})
    EXPECT_TRUE(sys::IsSystemProgramFolder(folder)) << folder;
  for (const char* folder : {"/home/u/build", "/tmp", "/media/stick", "/usrx", "/optical"})
    EXPECT_FALSE(sys::IsSystemProgramFolder(folder)) << folder;
  EXPECT_FALSE(ui::KeepsSettingsBeside("/usr/bin/zagruzchik")) << "also for root";

  const fs::path folder = fs::path(::testing::TempDir()) / ("beside-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  EXPECT_TRUE(ui::KeepsSettingsBeside(folder / "zagruzchik"));
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  if (::geteuid() != 0) {
    EXPECT_FALSE(ui::KeepsSettingsBeside(folder / "zagruzchik"));
  }
  fs::permissions(folder, fs::perms::owner_all);
  std::ofstream(folder / "zagruzchik.ini") << "[PortName]\n";
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_TRUE(ui::KeepsSettingsBeside(folder / "zagruzchik")) << "its file is there already";
  fs::permissions(folder, fs::perms::owner_all);
  fs::remove_all(folder);
}

// The XDG base directory rules: $XDG_CONFIG_HOME when absolute, else ~/.config.
TEST(SettingsPath, TheConfigurationFolderFollowsTheXdgBaseDirectoryRules) {
  const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string xdg = savedXdg ? savedXdg : "";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", "/home/u", 1);
  ::setenv("XDG_CONFIG_HOME", "/home/u/.cfg", 1);
  EXPECT_EQ(sys::UserConfigurationFolder(), "/home/u/.cfg");
  ::setenv("XDG_CONFIG_HOME", "cfg", 1);
  EXPECT_EQ(sys::UserConfigurationFolder(), "/home/u/.config") << "relative: ignored";
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(sys::UserConfigurationFolder(), "/home/u/.config");
  ::setenv("HOME", home.c_str(), 1);
  if (savedXdg) ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
}

TEST_F(SettingsFile, TheFirstWriteCreatesTheConfigurationFolder) {
  const fs::path file = ui::UserSettingsPath((folder_ / "home" / ".config").string());
  ui::TSettingsStore store(file, true);
  EXPECT_FALSE(store.HasSection("PortName"));
  EXPECT_FALSE(fs::exists(folder_ / "home")) << "reading creates nothing";
  store.WriteValue("PortName", "Name", "ttyUSB0");
  EXPECT_EQ(store.ReadValue("PortName", "Name", ""), "ttyUSB0");
  EXPECT_TRUE(fs::is_regular_file(folder_ / "home/.config/zagruzchik/zagruzchik.ini"));
}

}  // namespace
