#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <stdexcept>

#include "behaviour_rig.h"
#include "sys/paths.h"

namespace {

using behaviourtest::BehaviourRig;
using ui::Control;

const char kPortNotDefined[] = "Последовательный порт не определен";

TEST(Creation, ValidSettingsRestorePortAndFileWithoutAsking) {
  BehaviourRig rig;
  rig.ports = {"COM2", "COM10", "com3", "COM1"};
  rig.WriteValidSettings();  // COM2
  ui::TForm1Behaviour& form = rig.Create();
  EXPECT_EQ(rig.controls.portMenu, (std::vector<std::string>{"COM1", "COM10", "COM2", "com3"}));
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::Idle);
  EXPECT_EQ(form.Comm1.DeviceName(), "COM2");
  EXPECT_FALSE(form.Comm1.Active()) << "restoring the port does not open it";
  EXPECT_EQ(rig.controls.portCaption, "COM2");
  EXPECT_EQ(form.HexFileName, (rig.Folder() / "board.hex").string());
  EXPECT_EQ(rig.controls.caption, "board.hex");
  EXPECT_EQ(rig.controls.dialogs, 0);
  EXPECT_TRUE(rig.controls.posted.empty());
  EXPECT_TRUE(form.DeferredMessage.empty());
}

// An installed program started from its shortcut runs in its own folder, where only an
// installer writes: a remembered file then converts beside itself; elsewhere the current
// folder stays the folder the program was started in.
TEST(Creation, StartedInASystemProgramFolderTheRememberedFileConvertsBesideItself) {
#ifdef _WIN32
  wchar_t windows[MAX_PATH];
  const std::filesystem::path system =
      GetWindowsDirectoryW(windows, MAX_PATH) ? windows : L"C:\\Windows";
#else
  const std::filesystem::path system = "/usr";
#endif
  for (const bool inSystemFolder : {true, false}) {
    BehaviourRig rig;
    rig.WriteSettings("[PortName]\nName=COM1\n[FileName]\nName=" + rig.MakeFile("boards/a.hex") +
                      "\n");
    const std::filesystem::path started = inSystemFolder ? system : rig.Folder();
    std::filesystem::current_path(started);
    rig.Create();
    EXPECT_EQ(std::filesystem::current_path(), inSystemFolder ? rig.Folder() / "boards" : started);
  }
}

// The stored port must be one of the menu's names exactly; a missing key means COM1.
TEST(Creation, AStoredPortIsMatchedCaseSensitivelyWithCom1ForAMissingKey) {
  {
    BehaviourRig rig;
    rig.ports = {"COM3"};
    rig.WriteSettings("[PortName]\nName=com3\n[FileName]\nName=" + rig.MakeFile("board.hex") +
                      "\n");
    ui::TForm1Behaviour& form = rig.Create();
    // Left for the event loop, not shown during creation.
    EXPECT_TRUE(rig.controls.informations.empty());
    EXPECT_EQ(form.DeferredMessage, kPortNotDefined);
    EXPECT_EQ(rig.controls.posted.size(), 1u);
    rig.controls.RunPosted();
    EXPECT_EQ(rig.controls.informations, std::vector<std::string>{kPortNotDefined});
    EXPECT_TRUE(form.DeferredMessage.empty());
    EXPECT_EQ(form.Comm1.DeviceName(), "COM%d");
    EXPECT_FALSE(rig.controls.portCaption.has_value());
    // Start with no port chosen does nothing at all.
    form.ABeginExecute();
    EXPECT_EQ(form.Transfer().TransferState(), transfer::State::Idle);
    EXPECT_EQ(rig.port.target.OpenCalls(), 0);
    EXPECT_FALSE(rig.controls.promptShown);
  }
  {
    BehaviourRig rig;
    rig.ports = {"COM1", "COM4"};
    rig.WriteSettings("[PortName]\nOther=1\n[FileName]\nName=" + rig.MakeFile("board.hex") + "\n");
    ui::TForm1Behaviour& form = rig.Create();
    EXPECT_EQ(form.Comm1.DeviceName(), "COM1");
    EXPECT_EQ(rig.controls.portCaption, "COM1");
    EXPECT_TRUE(rig.controls.posted.empty());
  }
}

// The first run asks for both: the dialog during creation, the port message afterwards.
TEST(Creation, FirstRunAsksForTheFileAndLeavesThePortMessageForLater) {
  BehaviourRig rig;
  const std::string hex = rig.MakeFile("fw/board.hex");
  rig.controls.Choose(hex, rig.Folder().string());
  ui::TForm1Behaviour& form = rig.Create();
  EXPECT_EQ(rig.controls.dialogs, 1);
  EXPECT_EQ(form.HexFileName, hex);
  EXPECT_EQ(rig.controls.caption, "board.hex");
  EXPECT_EQ(std::filesystem::current_path(), rig.Folder() / "fw")
      << "the image is written beside the chosen HEX file, not in the folder shown";
  EXPECT_NE(rig.ReadSettings().find("Name=" + hex), std::string::npos);
  EXPECT_EQ(rig.ReadSettings().find("PortName"), std::string::npos);
  EXPECT_EQ(form.DeferredMessage, kPortNotDefined);
  rig.controls.RunPosted();
  EXPECT_EQ(rig.controls.informations, std::vector<std::string>{kPortNotDefined});
}

// A stored HEX file that is gone, or that names a folder, counts as missing.
TEST(Creation, AMissingFileAsksAndCancellingLeavesTheCaptionEmpty) {
  for (const std::string stored : {"gone.hex", "папка с прошивкой.hex"}) {
    SCOPED_TRACE(stored);
    BehaviourRig rig;
    const std::string storedPath = sys::Utf8Of(rig.Folder() / sys::PathOf(stored));
    if (stored != "gone.hex") std::filesystem::create_directories(sys::PathOf(storedPath));
    rig.WriteSettings("[PortName]\nName=COM1\n[FileName]\nName=" + storedPath + "\n");
    const auto shown = rig.Folder() / sys::PathOf("где-то ещё");
    std::filesystem::create_directories(shown);
    rig.controls.Cancel(sys::Utf8Of(shown));
    ui::TForm1Behaviour& form = rig.Create();
    EXPECT_EQ(rig.controls.dialogs, 1);
    EXPECT_TRUE(form.HexFileName.empty());
    EXPECT_EQ(rig.controls.caption, "");
    EXPECT_TRUE(rig.controls.Enabled(Control::Begin));
    EXPECT_EQ(std::filesystem::current_path(), shown) << "cancelling also changes the folder";
    EXPECT_NE(rig.ReadSettings().find(storedPath), std::string::npos) << "the setting stays";
  }
}

// An action that is switched off does nothing when creation would execute it.
TEST(Creation, DisabledActionsAreNotExecuted) {
  BehaviourRig rig;
  rig.controls.enabled[Control::SelectFile] = false;
  rig.controls.enabled[Control::ChangeComPort] = false;
  ui::TForm1Behaviour& form = rig.Create();
  EXPECT_EQ(rig.controls.dialogs, 0);
  EXPECT_TRUE(rig.controls.posted.empty());
  EXPECT_TRUE(form.DeferredMessage.empty());
}

TEST(Creation, TheCaptionKeepsTheRestoredFileAfterChoosingAnother) {
  BehaviourRig rig;
  rig.WriteValidSettings();
  const std::string other = rig.MakeFile("other.hex");
  ui::TForm1Behaviour& form = rig.Create();
  ASSERT_EQ(rig.controls.caption, "board.hex");
  rig.controls.Choose(other, "/");
  form.ASelectFileExecute();
  EXPECT_EQ(form.HexFileName, other);
  EXPECT_EQ(rig.controls.caption, "board.hex");
  EXPECT_NE(rig.ReadSettings().find("other.hex"), std::string::npos);
}

// Names as a user has them: Cyrillic letters and blanks, in the folder and in the file. The
// chosen file's folder becomes current (the image lands there) and the file is restored at the
// next start without asking.
TEST(Creation, CyrillicNamesWithBlanksAreChosenAndRestored) {
  std::string hex;
  {
    BehaviourRig rig;
    rig.WriteValidSettings();
    hex = rig.MakeFile("мои прошивки/плата 2.hex");
    ui::TForm1Behaviour& form = rig.Create();
    rig.controls.Choose(hex, "/");
    form.ASelectFileExecute();
    EXPECT_EQ(form.HexFileName, hex);
    EXPECT_EQ(std::filesystem::current_path(), rig.Folder() / sys::PathOf("мои прошивки"));
  }
  BehaviourRig rig;
  const std::string stored = rig.MakeFile("мои прошивки/плата 2.hex");
  rig.WriteSettings("[PortName]\nName=" + rig.ports.front() + "\n[FileName]\nName=" + stored +
                    "\n");
  ui::TForm1Behaviour& form = rig.Create();
  EXPECT_EQ(rig.controls.dialogs, 0);
  EXPECT_EQ(form.HexFileName, stored);
  EXPECT_EQ(rig.controls.caption, "плата 2.hex");
}

// A failing setting ends creation where it happens: the caption is never set.
TEST(Creation, AFailureEndsCreationWithTheFileAlreadyTaken) {
  BehaviourRig rig;
  rig.ports.clear();
  const std::string hex = rig.MakeFile("board.hex");
  std::filesystem::create_directories(rig.SettingsFile());  // a folder cannot be written as a file
  rig.controls.Choose(hex, rig.Folder().string());
  EXPECT_THROW(rig.Create(), ui::ESettingsError);
  EXPECT_FALSE(rig.controls.caption.has_value());
  EXPECT_EQ(rig.form->HexFileName, hex);
  EXPECT_EQ(rig.form->DeferredMessage, kPortNotDefined);
  rig.controls.RunPosted();
}

TEST(Creation, FileNamePartIsTheTextAfterTheLastSlash) {
  EXPECT_EQ(ui::FileNamePart("/home/u/fw/board.hex"), "board.hex");
  EXPECT_EQ(ui::FileNamePart("board.hex"), "board.hex");
  EXPECT_EQ(ui::FileNamePart("/fw/"), "");
  EXPECT_EQ(ui::FileNamePart(""), "");
#ifdef _WIN32
  // A full Windows path: the name after the last "\" or ":".
  EXPECT_EQ(ui::FileNamePart("D:\\fw\\board.hex"), "board.hex");
  EXPECT_EQ(ui::FileNamePart("D:board.hex"), "board.hex");
#endif
}

TEST(PortChoice, ReopensTheLineAndRemembersIt) {
  BehaviourRig rig;
  rig.WriteValidSettings();
  ui::TForm1Behaviour& form = rig.Create();
  form.PortMenuItemClick("COM2");
  EXPECT_TRUE(rig.port.Active());
  EXPECT_EQ(rig.port.DeviceName(), "COM2");
  EXPECT_EQ(rig.controls.portCaption, "COM2");
  EXPECT_NE(rig.ReadSettings().find("Name=COM2"), std::string::npos);
  EXPECT_EQ(rig.port.closes, 0);

  // Choosing again closes the open port first.
  form.PortMenuItemClick("COM2");
  EXPECT_EQ(rig.port.closes, 1);
  EXPECT_TRUE(rig.port.Active());
}

TEST(PortChoice, APortThatCannotOpenKeepsThePaneAndTheSetting) {
  BehaviourRig rig;
  rig.WriteValidSettings();
  ui::TForm1Behaviour& form = rig.Create();
  form.PortMenuItemClick("COM1");
  const std::string before = rig.ReadSettings();
  rig.port.target.FailOpen("Can't open specified device COM2");
  EXPECT_THROW(form.PortMenuItemClick("COM2"), std::runtime_error);
  EXPECT_EQ(rig.port.closes, 1) << "the previous port is closed by then";
  EXPECT_EQ(rig.port.DeviceName(), "COM2") << "a later Start tries the chosen port";
  EXPECT_EQ(rig.controls.portCaption, "COM1");
  EXPECT_EQ(rig.ReadSettings(), before);
}

TEST(Exit, ClosesTheWindowAndDestructionClosesThePort) {
  BehaviourRig rig;
  rig.WriteValidSettings();
  ui::TForm1Behaviour& form = rig.Create();
  form.PortMenuItemClick("COM1");
  form.AExitExecute();
  EXPECT_TRUE(rig.controls.closed);
  form.FormDestroy();
  EXPECT_FALSE(rig.port.Active());
  form.Comm1RxChar(1);  // a late notification is ignored
  EXPECT_TRUE(form.Comm1LineLost(true));
}

}  // namespace
