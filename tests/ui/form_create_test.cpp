#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "ui/qt/widgets/port_status_pane.h"
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
    // Qt's own texts, in Russian like the rest of the program.
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Отмена"));
    EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text(), QString::fromUtf8("&Открыть"));
    dialog->setDirectory(QString::fromStdString(file.parent_path().string()));
    dialog->selectFile(QString::fromStdString(file.filename().string()));
    QMetaObject::invokeMethod(dialog, "accept");
  };
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
  EXPECT_EQ(form.Behaviour().HexFileName, hex.string());
  EXPECT_EQ(form.windowTitle(), QStringLiteral("board.hex"));
  EXPECT_EQ(std::filesystem::current_path(), hex.parent_path())
      << "the image is written beside the chosen HEX file";
  EXPECT_NE(rig.ReadSettings().find("Name=" + hex.string()), std::string::npos);
  EXPECT_TRUE(form.Behaviour().DeferredMessage.empty());
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
  EXPECT_EQ(form.Behaviour().HexFileName, other.string());
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
  EXPECT_EQ(form.Behaviour().HexFileName, hex.string()) << "set before the setting failed";
}

// With no HEX file the caption is empty, and the window system must not put the application's
// name there instead.
TEST(FormCreate, AnEmptyCaptionStaysBlank) {
  WindowRig rig;
  for (int i = 0; i < 2; ++i) rig.guard.ExpectAny(ModalWatcher::Dismiss);  // dialog, port message
  ui::TForm1& form = rig.Create();
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.guard.Pending() == 0; }, 5000));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_TRUE(form.windowTitle().isEmpty());
  EXPECT_EQ(form.windowHandle()->title(), QStringLiteral(" "));
}

}  // namespace
