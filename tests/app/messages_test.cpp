#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "behaviour/error_report_cases.h"
#include "modal_watcher.h"
#include "program_rig.h"
#include "ui/qt/messages.h"
#include "ui/qt/widgets/information_dialog.h"

namespace {

using testsupport::ModalWatcher;
using testsupport::WaitFor;
using ui::ErrorReportText;

const QString kTitle = QStringLiteral("Загрузчик");

TEST(ErrorReportText, AddsAFullStopOnlyAfterCharactersAboveTheFullStop) {
  // Texts the program really produces.
  EXPECT_EQ(ErrorReportText("Specified device not found (COM7)."),
            "Specified device not found (COM7).");
  EXPECT_EQ(ErrorReportText("Can't open specified device /dev/ttyS7 (Error 2, No such file or "
                            "directory)"),
            "Can't open specified device /dev/ttyS7 (Error 2, No such file or directory)");
  EXPECT_EQ(ErrorReportText("'$G1' is not a valid integer value"),
            "'$G1' is not a valid integer value.");
  EXPECT_EQ(ErrorReportText("Unable to write to /opt/loader/loader.ini"),
            "Unable to write to /opt/loader/loader.ini.");
  EXPECT_EQ(ErrorReportText(""), "");
  // A Cyrillic last letter: its UTF-8 bytes are all above 0x7F.
  EXPECT_EQ(ErrorReportText("Ошибка ответа"), "Ошибка ответа.");
  // The boundary: "." (0x2E) and below stay as they are, "/" (0x2F) and above get one.
  EXPECT_EQ(ErrorReportText("Stop!"), "Stop!");
  EXPECT_EQ(ErrorReportText("say \"x\""), "say \"x\"");
  EXPECT_EQ(ErrorReportText("trailing "), "trailing ");
  EXPECT_EQ(ErrorReportText("minus -"), "minus -");
  EXPECT_EQ(ErrorReportText("path /"), "path /.");
  EXPECT_EQ(ErrorReportText("code 7"), "code 7.");
  EXPECT_EQ(ErrorReportText("Reason:"), "Reason:.");
  EXPECT_EQ(ErrorReportText("Why?"), "Why?.");
}

TEST(ReportException, ShowsTheStopBoxWithTheTitleAndTheCompletedText) {
  ModalWatcher watcher;
  watcher.Expect("error", ModalWatcher::CheckThenAccept([](QWidget* modal) {
                   auto* box = qobject_cast<QMessageBox*>(modal);
                   ASSERT_NE(box, nullptr);
                   EXPECT_EQ(box->icon(), QMessageBox::Critical);
                   EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
                   // Qt's own texts are Russian like the rest of the program; its Russian
                   // for OK is OK.
                   EXPECT_EQ(box->button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
                   EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                             QString::fromUtf8("Отмена"));
                   EXPECT_TRUE(box->isModal());
                 }));
  ui::ReportException(
      std::make_exception_ptr(std::runtime_error("'$G1' is not a valid integer value")));
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].kind, QStringLiteral("error"));
  EXPECT_EQ(watcher.Seen()[0].title, kTitle);
  EXPECT_EQ(watcher.Seen()[0].text, QStringLiteral("'$G1' is not a valid integer value."));
  EXPECT_EQ(watcher.Pending(), 0u);
}

// The one rule of both toolkits' reports (the Windows window's tests run the same table).
TEST(ReportException, FollowsTheSharedRuleForEveryKindOfFailure) {
  for (const ErrorReportCase& each : ErrorReportCases()) {
    ModalWatcher watcher;
    if (each.shown) watcher.Expect("error", ModalWatcher::Accept());
    ui::ReportException(each.failure);
    ASSERT_EQ(watcher.Seen().size(), each.shown ? 1u : 0u) << each.kind;
    if (each.shown) {
      EXPECT_EQ(watcher.Seen()[0].text, QString::fromStdString(*each.shown));
    }
  }
}

TEST(ReportException, ClosesAnOpenMenuFirstAndGivesTheFocusBack) {
  QWidget window;
  auto* first = new QLineEdit(&window);
  auto* second = new QLineEdit(&window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(first);
  layout->addWidget(second);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  second->setFocus();
  ASSERT_TRUE(WaitFor([&] { return second->hasFocus(); }));

  QMenu menu;
  menu.addAction(QStringLiteral("COM1"));
  menu.popup(window.mapToGlobal(QPoint(0, 0)));
  ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() != nullptr; }));

  bool menuOpenDuringReport = true;
  ModalWatcher watcher;
  watcher.Expect("error", ModalWatcher::CheckThenAccept([&](QWidget*) {
                   menuOpenDuringReport = QApplication::activePopupWidget() != nullptr;
                 }));
  ui::ReportException(std::make_exception_ptr(std::runtime_error("Unable to write to x")));
  EXPECT_FALSE(menuOpenDuringReport);
  EXPECT_FALSE(menu.isVisible());
  EXPECT_TRUE(WaitFor([&] { return second->hasFocus(); }));
}

// A receiver whose handler fails, as an action or a port menu item might.
class FailingReceiver : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("Unable to write to /tmp/x");
    return QObject::event(event);
  }
};

TEST(NotifyCatchPoint, ReportsAFailureThatLeavesAHandlerAndTheLoopGoesOn) {
  FailingReceiver receiver;
  ModalWatcher watcher;
  watcher.Expect("error", ModalWatcher::Accept());
  bool later = false;
  QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
  QTimer::singleShot(0, &receiver, [&] { later = true; });
  ASSERT_TRUE(WaitFor([&] { return later; }));
  EXPECT_EQ(watcher.Kinds(), QStringLiteral("error"));
  EXPECT_EQ(watcher.Seen().at(0).text, QStringLiteral("Unable to write to /tmp/x."));
}

TEST(NotifyCatchPoint, CatchesInsideAModalLoopAndThatLoopGoesOn) {
  FailingReceiver receiver;
  QPointer<QWidget> information;
  bool informationStillUp = false;
  ModalWatcher watcher;
  // While the information window is up a handler fails; the failure is reported on top of it.
  watcher.Expect("information", [&](QWidget* modal) {
    information = modal;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    return true;
  });
  watcher.Expect("error", ModalWatcher::Accept());
  QTimer closer;
  closer.setInterval(5);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (watcher.Seen().size() == 2 && information &&
        QApplication::activeModalWidget() == information) {
      informationStillUp = information->isVisible();
      qobject_cast<QDialog*>(information.data())->accept();
    }
  });
  closer.start();
  ui::ShowInformation("Ошибка ответа");
  EXPECT_TRUE(informationStillUp);
  EXPECT_EQ(watcher.Kinds(), QStringLiteral("information,error"));
}

TEST(ShowInformation, CarriesTheTitleTheTextAndOneCentredOk) {
  ui::TInformationDialog dialog(QString::fromUtf8(ui::kApplicationTitle),
                                QStringLiteral("Последовательный порт не определен"));
  EXPECT_EQ(dialog.windowTitle(), kTitle);
  EXPECT_TRUE(dialog.OkButton->isDefault());
  EXPECT_EQ(dialog.OkButton->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  const QRect ok = dialog.OkButton->geometry();
  EXPECT_LE(std::abs(ok.center().x() - dialog.rect().center().x()), 1);
  const QRect screen = dialog.screen()->geometry();
  EXPECT_LE(std::abs(dialog.frameGeometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(dialog.frameGeometry().center().y() - screen.center().y()), 1);
}

TEST(ShowInformation, WrapsOnlyATextWiderThanHalfTheScreen) {
  ui::TInformationDialog shortText(QString::fromUtf8(ui::kApplicationTitle),
                                   QStringLiteral("Последовательный порт не определен"));
  shortText.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&shortText));
  EXPECT_LT(shortText.TextLabel->height(), 2 * shortText.TextLabel->fontMetrics().height());

  std::string text;
  for (int i = 0; i < 60; ++i) text += "Ошибка ответа ";
  ui::TInformationDialog dialog(QString::fromUtf8(ui::kApplicationTitle),
                                QString::fromStdString(text));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_LE(dialog.TextLabel->width(), dialog.screen()->geometry().width() / 2);
  EXPECT_GT(dialog.TextLabel->height(), 3 * dialog.TextLabel->fontMetrics().height());
}

TEST(ShowInformation, EnterEscapeClickAndTheCloseBoxAllDismissIt) {
  const std::vector<std::function<void(QWidget*)>> ways = {
      [](QWidget* m) { QTest::keyClick(m, Qt::Key_Return); },
      [](QWidget* m) { QTest::keyClick(m, Qt::Key_Enter, Qt::KeypadModifier); },
      [](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); },
      [](QWidget* m) {
        QTest::mouseClick(qobject_cast<ui::TInformationDialog*>(m)->OkButton, Qt::LeftButton);
      },
      [](QWidget* m) { m->close(); },
  };
  for (const auto& way : ways) {
    ModalWatcher watcher;
    watcher.Expect("information", ModalWatcher::Do(way));
    ui::ShowInformation("Ошибка ответа");  // returns only once dismissed
    EXPECT_EQ(watcher.Kinds(), QStringLiteral("information"));
    EXPECT_EQ(watcher.Seen().at(0).text, QStringLiteral("Ошибка ответа"));
    EXPECT_EQ(watcher.Seen().at(0).title, kTitle);
  }
}

TEST(ShowInformation, CtrlCPutsTheSevenLinesOnTheClipboard) {
  QString copied;
  ModalWatcher watcher;
  watcher.Expect("information", ModalWatcher::CopyThenAccept(&copied));
  ui::ShowInformation("Ошибка ответа");
  const QString divider(27, QLatin1Char('-'));
  EXPECT_EQ(copied, divider + "\r\nЗагрузчик\r\n" + divider + "\r\nОшибка ответа\r\n" + divider +
                        "\r\nOK   \r\n" + divider + "\r\n");
}

}  // namespace

// A HEX file for another memory map: the window asks before a 37-hour download, No being the
// default, and No leaves the folder and the window as they were.
TEST(LongDownloadQuestion, AskedBeforeThePromptAndNoLeavesEverythingAsItWas) {
  apptest::ProgramRig rig;
  const std::filesystem::path hex = rig.Folder() / "board.hex";
  std::ofstream(hex)
      << ":020000040800F2\n:10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n";
  rig.WriteSettings("[PortName]\nName=ttyS7\n[FileName]\nName=" + hex.string() + "\n");
  rig.Create({"ttyS7"});
  rig.Show();
  rig.DispatchQueued();
  QString text;
  bool noIsTheDefault = false;
  rig.watcher.Expect("messagebox", ModalWatcher::Do([&](QWidget* modal) {
                       auto* box = qobject_cast<QMessageBox*>(modal);
                       ASSERT_NE(box, nullptr);
                       text = box->text();
                       noIsTheDefault = box->defaultButton() == box->button(QMessageBox::No);
                       box->button(QMessageBox::No)->click();
                     }));
  rig.Form1().ABegin->trigger();
  ASSERT_TRUE(testsupport::WaitFor([&] { return rig.watcher.Seen().size() == 1; }));
  EXPECT_TRUE(
      text.startsWith(QString::fromUtf8("Загрузка займёт 37 ч 15 мин: образ 134217744 "
                                        "байт, 1048577 блоков. Данные HEX-файла "
                                        "начинаются с адреса 0x08000000")));
  EXPECT_TRUE(noIsTheDefault);
  EXPECT_FALSE(rig.Form2().isVisible());
  EXPECT_FALSE(std::filesystem::exists(rig.Folder() / "board.BIN"));
  EXPECT_EQ(rig.Form1().Behaviour().Transfer().TransferState(), transfer::State::Idle);
}
