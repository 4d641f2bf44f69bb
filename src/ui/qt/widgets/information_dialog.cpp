#include "ui/qt/widgets/information_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/qt/widgets/app_icon.h"

namespace ui {

namespace {

constexpr int kTitleBarRoom = 100;

QScreen* ScreenForMessages() {
  if (QWidget* active = QApplication::activeWindow()) {
    if (QScreen* screen = active->screen()) return screen;
  }
  return QGuiApplication::primaryScreen();
}

}  // namespace

TInformationDialog::TInformationDialog(const QString& caption, const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("InformationDialog"));
  setWindowTitle(caption);
  setWindowIcon(BlankWindowIcon());
  setModal(true);

  TextLabel = new QLabel(text, this);
  TextLabel->setObjectName(QStringLiteral("TextLabel"));
  TextLabel->setTextFormat(Qt::PlainText);
  TextLabel->setWordWrap(true);
  TextLabel->setFont(QApplication::font("QMessageBox"));
  if (QScreen* screen = ScreenForMessages()) {
    TextLabel->setMaximumWidth(screen->geometry().width() / 2);
  }

  OkButton = new QPushButton(QStringLiteral("OK"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  OkButton->setDefault(true);
  // Esc and the close box reject, OK accepts: the caller ignores the difference.
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // As wide as the text needs up to half the screen (a wrapping label would otherwise pick a
  // narrow column), and wide enough for the caption beside the title bar's close box.
  const int captionWidth = QFontMetrics(QApplication::font()).horizontalAdvance(windowTitle());
  const int textWidth =
      QFontMetrics(TextLabel->font())
          .boundingRect(QRect(0, 0, TextLabel->maximumWidth(), 1 << 20), Qt::TextWordWrap, text)
          .width();
  TextLabel->setMinimumWidth(
      std::min(std::max(textWidth, captionWidth + kTitleBarRoom), TextLabel->maximumWidth()));
  layout->addWidget(TextLabel);
  layout->addLayout(buttons);
}

QString TInformationDialog::ClipboardText() const {
  const QString divider(27, QLatin1Char('-'));
  const QString eol = QStringLiteral("\r\n");
  QString button = OkButton->text();
  button.remove(QLatin1Char('&'));
  return divider + eol + windowTitle() + eol + divider + eol + TextLabel->text() + eol + divider +
         eol + button + QStringLiteral("   ") + eol + divider + eol;
}

void TInformationDialog::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::beep();
    QGuiApplication::clipboard()->setText(ClipboardText());
    return;
  }
  QDialog::keyPressEvent(event);
}

void TInformationDialog::showEvent(QShowEvent* event) {
  if (QScreen* screen = ScreenForMessages()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
  }
  QDialog::showEvent(event);
}

}  // namespace ui
