#include "ui/qt/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "ui/qt/widgets/app_icon.h"
#include "ui/qt/widgets/information_dialog.h"

namespace ui {

namespace {

// Ends a drag or closes an open menu before the report takes the input.
void CancelMode() {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  while (QWidget* popup = QApplication::activePopupWidget()) {
    if (!popup->close()) break;
  }
}

void ShowErrorBox(const std::string& message) {
  const QPointer<QWidget> active = QApplication::activeWindow();
  const QPointer<QWidget> focus = QApplication::focusWidget();
  {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                    QString::fromStdString(message), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorReport"));
    box.setWindowIcon(BlankWindowIcon());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
  }
  if (active) active->activateWindow();
  if (focus) focus->setFocus(Qt::OtherFocusReason);
}

}  // namespace

bool AskYesNo(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kApplicationTitle),
                  QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No);
  box.setObjectName(QStringLiteral("Question"));
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  box.setWindowIcon(BlankWindowIcon());
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec() == QMessageBox::Yes;
}

void ShowInformation(const std::string& text) {
  TInformationDialog dialog(QString::fromUtf8(kApplicationTitle), QString::fromStdString(text));
  dialog.exec();
}

void ReportException(const std::exception_ptr& failure) {
  if (!failure) return;
  CancelMode();
  if (const std::optional<std::string> text = ReportedText(failure)) ShowErrorBox(*text);
}

}  // namespace ui
