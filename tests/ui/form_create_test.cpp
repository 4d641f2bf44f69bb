#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "ui/widgets/port_status_pane.h"
#include "window_rig.h"

namespace {

using testsupport::ModalWatcher;
using uitest::WindowRig;

const char kPortNotDefined[] = "Последовательный порт не определен";

// Picks file in the open dialog the way a user would: by typing its name and confirming.
std::function<void(QWidget*)> ChooseFile(const std::filesystem::path& file) {
  return [file](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << "expected the file dialog";
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Выбери файл (*.hex) для загрузки"));
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("HexFiles (*.hex)")});
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("hex"));
    dialog->setDirectory(QString::fromStdString(file.parent_path().string()));
    dialog->selectFile(QString::fromStdString(file.filename().string()));
    QMetaObject::invokeMethod(dialog, "accept");
  };
}

std::function<void(QWidget*)> CancelFileDialogIn(const std::filesystem::path& folder) {
  return [folder](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << "expected the file dialog";
    dialog->setDirectory(QString::fromStdString(folder.string()));
    dialog->reject();
  };
}

std::function<void(QWidget*)> ExpectMessage(const char* text) {
  return [text](QWidget* box) {
    EXPECT_EQ(ModalWatcher::TextOf(box), QString::fromUtf8(text));
    ModalWatcher::Dismiss(box);
  };
}

TEST(FormCreate, ValidSettingsRestorePortAndFileWithoutAsking) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  uitest::ProcessEvents();
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::Idle);
  EXPECT_EQ(form.Comm1->DeviceName(), "COM1");
  EXPECT_FALSE(form.Comm1->Active());
  EXPECT_EQ(form.PortStatusPane->Caption(), QStringLiteral("COM1"));
  EXPECT_EQ(form.HexFileName, (rig.Folder() / "board.hex").string());
  EXPECT_EQ(form.windowTitle(), QStringLiteral("board.hex"));
  EXPECT_TRUE(form.DeferredMessage.empty());
}

TEST(FormCreate, PortNamesMatchCaseSensitively) {
  WindowRig rig;
  rig.ports = {"COM3"};
  rig.WriteSettings(
      "[PortName]\nName=com3\n[FileName]\nName=" + rig.MakeFile("board.hex").string() + "\n");
  rig.guard.ExpectAny(ExpectMessage(kPortNotDefined));
  ui::TForm1& form = rig.Create();
  // Queued, not shown during creation.
  EXPECT_EQ(rig.guard.Answered(), 0);
  EXPECT_EQ(form.DeferredMessage, kPortNotDefined);
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.guard.Answered() == 1; }, 5000));
  uitest::ProcessEvents();
  EXPECT_TRUE(form.DeferredMessage.empty());
  EXPECT_EQ(form.Comm1->DeviceName(), "COM%d");
  EXPECT_TRUE(form.PortStatusPane->Caption().isEmpty());
  // Start with no port chosen does nothing at all.
  form.ABegin->trigger();
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::Idle);
  EXPECT_EQ(rig.port.target.OpenCalls(), 0);
}

TEST(FormCreate, AMissingNameKeyMeansCom1) {
  WindowRig rig;
  rig.ports = {"COM1", "COM4"};
  rig.WriteSettings("[PortName]\nOther=1\n[FileName]\nName=" + rig.MakeFile("board.hex").string() +
                    "\n");
  ui::TForm1& form = rig.Create();
  uitest::ProcessEvents();
  EXPECT_EQ(form.Comm1->DeviceName(), "COM1");
  EXPECT_EQ(form.PortStatusPane->Caption(), QStringLiteral("COM1"));
}

TEST(FormCreate, FirstRunAsksForTheFileAndShowsThePortMessageInFrontOfTheDialog) {
  WindowRig rig;
  const auto hex = rig.MakeFile("fw/board.hex");
  // The deferred message comes up inside the file dialog's own loop, in front of it; which
  // of the two the guard notices first does not matter.
  bool dialogSeen = false;
  bool messageDone = false;
  const auto handler = [&](QWidget* modal) {
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      dialogSeen = true;
      if (messageDone) ChooseFile(hex)(dialog);
      return;
    }
    EXPECT_EQ(ModalWatcher::TextOf(modal), QString::fromUtf8(kPortNotDefined));
    EXPECT_TRUE(rig.form == nullptr) << "shown while the window is still being created";
    const auto open = QApplication::topLevelWidgets();
    const bool dialogOpen = std::any_of(open.begin(), open.end(), [](QWidget* w) {
      return qobject_cast<QFileDialog*>(w) && w->isVisible();
    });
    EXPECT_TRUE(dialogOpen) << "the message stands in front of the open file dialog";
    ModalWatcher::Dismiss(modal);
    messageDone = true;
    if (dialogSeen) {
      QTimer::singleShot(0, [hex] { ChooseFile(hex)(QApplication::activeModalWidget()); });
    }
  };
  rig.guard.ExpectAny(handler);
  rig.guard.ExpectAny(handler);
  ui::TForm1& form = rig.Create();
  EXPECT_TRUE(messageDone);
  EXPECT_EQ(form.HexFileName, hex.string());
  EXPECT_EQ(form.windowTitle(), QStringLiteral("board.hex"));
  EXPECT_EQ(std::filesystem::current_path(), hex.parent_path())
      << "the image is written beside the chosen HEX file";
  EXPECT_NE(rig.ReadSettings().find("Name=" + hex.string()), std::string::npos);
  EXPECT_TRUE(form.DeferredMessage.empty());
}

TEST(FormCreate, AMissingFileAsksAndCancellingLeavesTheCaptionEmpty) {
  WindowRig rig;
  rig.WriteSettings(
      "[PortName]\nName=COM1\n[FileName]\nName=" + (rig.Folder() / "gone.hex").string() + "\n");
  const auto shown = rig.Folder() / "elsewhere";
  std::filesystem::create_directories(shown);
  rig.guard.ExpectAny(CancelFileDialogIn(shown));
  ui::TForm1& form = rig.Create();
  EXPECT_EQ(rig.guard.Answered(), 1);
  EXPECT_TRUE(form.HexFileName.empty());
  EXPECT_TRUE(form.windowTitle().isEmpty());
  EXPECT_TRUE(form.ABegin->isEnabled());
  EXPECT_EQ(std::filesystem::current_path(), shown) << "cancelling also changes the folder";
  EXPECT_NE(rig.ReadSettings().find("gone.hex"), std::string::npos) << "the setting stays";
}

TEST(FormCreate, TheCaptionKeepsTheRestoredFileAfterChoosingAnother) {
  WindowRig rig;
  rig.WriteValidSettings();
  const auto other = rig.MakeFile("other.hex");
  ui::TForm1& form = rig.Create();
  ASSERT_EQ(form.windowTitle(), QStringLiteral("board.hex"));
  rig.guard.ExpectAny(ChooseFile(other));
  form.ASelectFile->trigger();
  EXPECT_EQ(form.HexFileName, other.string());
  EXPECT_EQ(form.windowTitle(), QStringLiteral("board.hex"));
  EXPECT_NE(rig.ReadSettings().find("other.hex"), std::string::npos);
}

// A full path typed into the name field, while the dialog shows another folder: the image must
// go beside the chosen file, and the name field's completion list must not outlive the dialog.
TEST(FormCreate, AFullPathTypedInTheDialogMakesItsFolderCurrent) {
  WindowRig rig;
  rig.WriteValidSettings();
  const auto other = rig.MakeFile("far/away/other.hex");
  const auto shown = rig.Folder() / "shown";
  std::filesystem::create_directories(shown);
  ui::TForm1& form = rig.Create();
  rig.guard.ExpectAny([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(QString::fromStdString(shown.string()));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(other.string()));
    QMetaObject::invokeMethod(dialog, "accept");
  });
  form.ASelectFile->trigger();
  EXPECT_EQ(form.HexFileName, other.string());
  EXPECT_EQ(std::filesystem::current_path(), other.parent_path());
  for (const QCompleter* completer : form.OpenDialog1->findChildren<QCompleter*>())
    EXPECT_FALSE(completer->popup() && completer->popup()->isVisible());
}

// A failure inside creation is reported and skips the rest of it: the caption keeps the
// design's title, and the program goes on.
TEST(FormCreate, AFailureDuringCreationIsReportedAndSkipsTheRest) {
  WindowRig rig;
  rig.ports.clear();
  const auto hex = rig.MakeFile("board.hex");
  std::filesystem::create_directories(rig.SettingsFile());  // a folder cannot be written as a file
  bool reported = false;
  const auto handler = [&](QWidget* modal) {
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      ChooseFile(hex)(dialog);
      return;
    }
    const QString text = ModalWatcher::TextOf(modal);
    if (text.startsWith(QStringLiteral("Unable to write to"))) reported = true;
    ModalWatcher::Dismiss(modal);
  };
  for (int i = 0; i < 3; ++i) rig.guard.ExpectAny(handler);  // dialog, port message, error report
  ui::TForm1& form = rig.Create();
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.guard.Pending() == 0; }, 5000));
  EXPECT_TRUE(reported);
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Загрузчик"));
  EXPECT_EQ(form.HexFileName, hex.string()) << "set before the setting failed";
}

TEST(FormCreate, FileNamePartIsTheTextAfterTheLastSlash) {
  EXPECT_EQ(ui::FileNamePart("/home/u/fw/board.hex"), "board.hex");
  EXPECT_EQ(ui::FileNamePart("board.hex"), "board.hex");
  EXPECT_EQ(ui::FileNamePart("/fw/"), "");
  EXPECT_EQ(ui::FileNamePart(""), "");
}

}  // namespace
