// Start-up of the whole program: what comes up, in which order, and how often.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QTest>

#include <fstream>
#include <sstream>

#include "program_rig.h"
#include "serial/port_device.h"
#include "ui/qt/widgets/information_dialog.h"

namespace {

using apptest::ProgramRig;
using testsupport::ModalWatcher;
using testsupport::WaitFor;

const QString kPortNotDefined = QStringLiteral("Последовательный порт не определен");

QFileDialog* VisibleFileDialog() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

// The main window while it is still being created (the rig has no hold of it yet).
bool MainWindowVisible() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QLatin1String("Form1")) return w->isVisible();
  }
  return false;
}

std::string Contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Answers the file-open dialog with the given file, but only once the port message has been
// met, so that the message's place in front of the dialog can be checked.
ModalWatcher::Answer ChooseFileAfterTheMessage(ModalWatcher& watcher, std::filesystem::path file) {
  return [&watcher, file](QWidget* modal) {
    if (!watcher.Kinds().contains(QStringLiteral("information"))) return false;
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    dialog->selectFile(QString::fromStdString(file.string()));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept() checks the choice
    return true;
  };
}

TEST(StartUp, WithoutSettingsTheFileDialogComesFirstWithThePortMessageInFrontOfIt) {
  ProgramRig rig;
  const auto hex = rig.WriteHex("first.hex", 200);
  bool dialogBehindMessage = false;
  bool mainWindowShownDuringMessage = true;
  rig.watcher.Expect("information", ModalWatcher::CheckThenAccept([&](QWidget* modal) {
                       QFileDialog* files = VisibleFileDialog();
                       dialogBehindMessage = files && QApplication::activeModalWidget() == modal;
                       mainWindowShownDuringMessage = MainWindowVisible();
                     }));
  rig.watcher.Expect("file", ChooseFileAfterTheMessage(rig.watcher, hex));
  rig.Create({"/dev/ttyS0"});
  // Both came and went during the main window's creation, before it was ever shown.
  EXPECT_EQ(rig.watcher.Kinds().split(',').size(), 2);
  EXPECT_EQ(rig.watcher.Pending(), 0u);
  EXPECT_TRUE(dialogBehindMessage);
  EXPECT_FALSE(mainWindowShownDuringMessage);
  EXPECT_FALSE(rig.Form1().isVisible());

  rig.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.Form1()));
  rig.DispatchQueued();
  EXPECT_EQ(rig.watcher.Seen().size(), 2u) << rig.watcher.Kinds().toStdString();
  EXPECT_EQ(rig.watcher.Unexpected(), 0);
  EXPECT_TRUE(rig.Form1().Behaviour().DeferredMessage.empty());
  EXPECT_EQ(rig.Form1().windowTitle(), QStringLiteral("first.hex"));
  EXPECT_NE(Contents(rig.SettingsFile()).find(hex.string()), std::string::npos);
  EXPECT_FALSE(rig.Form2().isVisible());
}

TEST(StartUp, AStoredFileWithAMissingPortShowsTheMainWindowThenTheMessage) {
  ProgramRig rig;
  const auto hex = rig.WriteHex("stored.hex", 200);
  rig.WriteSettings("[PortName]\nName=/dev/ttyUSB7\n[FileName]\nName=" + hex.string() + "\n");
  bool mainShownBehind = false;
  rig.watcher.Expect("information", ModalWatcher::CheckThenAccept([&](QWidget* modal) {
                       mainShownBehind = rig.Form1().isVisible() &&
                                         modal->windowModality() == Qt::ApplicationModal &&
                                         QApplication::activeModalWidget() == modal;
                     }));
  rig.Create({"/dev/ttyS0", "/dev/ttyS1"});
  EXPECT_TRUE(rig.watcher.Seen().empty());  // nothing before the main window is shown
  rig.Show();
  ASSERT_TRUE(WaitFor([&] { return rig.watcher.Pending() == 0; }));
  rig.DispatchQueued();
  EXPECT_TRUE(mainShownBehind);
  ASSERT_EQ(rig.watcher.Seen().size(), 1u) << rig.watcher.Kinds().toStdString();
  EXPECT_EQ(rig.watcher.Seen()[0].text, kPortNotDefined);
  EXPECT_EQ(rig.watcher.Seen()[0].title, QStringLiteral("Загрузчик"));
  EXPECT_TRUE(rig.Form1().Behaviour().DeferredMessage.empty());
  EXPECT_EQ(rig.Form1().windowTitle(), QStringLiteral("stored.hex"));
}

TEST(StartUp, WithPortAndFileBothValidNothingIsShown) {
  ProgramRig rig;
  const auto hex = rig.WriteHex("ok.hex", 200);
  rig.WriteSettings("[PortName]\nName=/dev/ttyS1\n[FileName]\nName=" + hex.string() + "\n");
  rig.Create({"/dev/ttyS0", "/dev/ttyS1"});
  rig.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.Form1()));
  rig.DispatchQueued();
  EXPECT_TRUE(rig.watcher.Seen().empty()) << rig.watcher.Kinds().toStdString();
  EXPECT_TRUE(rig.Form1().Behaviour().DeferredMessage.empty());
  EXPECT_EQ(rig.Form1().Behaviour().Comm1.DeviceName(), "/dev/ttyS1");
  EXPECT_FALSE(rig.Form1().Behaviour().Comm1.Active());
  EXPECT_FALSE(rig.Form2().isVisible());
}

TEST(StartUp, AFailureInsideFormCreateIsReportedBeforeTheWindowAndStartUpGoesOn) {
  ProgramRig rig;
  const auto hex = rig.WriteHex("chosen.hex", 200);
  // The settings file's folder is a plain file: the chosen file cannot be remembered.
  const auto blocker = rig.Folder() / "blocker";
  std::ofstream(blocker) << "x";
  rig.SetSettingsFile(blocker / "loader.ini");
  bool mainShownDuringError = true;
  rig.watcher.Expect("information", ModalWatcher::Accept());
  rig.watcher.Expect("file", ChooseFileAfterTheMessage(rig.watcher, hex));
  rig.watcher.Expect("error", ModalWatcher::CheckThenAccept(
                                  [&](QWidget*) { mainShownDuringError = MainWindowVisible(); }));
  rig.Create({"/dev/ttyS0"});
  ASSERT_EQ(rig.watcher.Seen().size(), 3u) << rig.watcher.Kinds().toStdString();
  EXPECT_EQ(rig.watcher.Seen()[2].kind, QStringLiteral("error"));
  EXPECT_EQ(rig.watcher.Seen()[2].title, QStringLiteral("Загрузчик"));
  EXPECT_EQ(rig.watcher.Seen()[2].text.toStdString(),
            "Unable to write to " + (blocker / "loader.ini").string() + ".");
  EXPECT_FALSE(mainShownDuringError);
  // The rest of the creation was skipped: the caption stays the designed one.
  EXPECT_EQ(rig.Form1().windowTitle(), QStringLiteral("Загрузчик"));

  rig.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.Form1()));
  rig.DispatchQueued();
  EXPECT_EQ(rig.watcher.Seen().size(), 3u);
  EXPECT_EQ(rig.watcher.Unexpected(), 0);
}

}  // namespace
