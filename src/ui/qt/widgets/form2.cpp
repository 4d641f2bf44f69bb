#include "ui/qt/widgets/form2.h"
#include "ui/behaviour/window_design.h"

#include <QFont>
#include <QLabel>
#include <QVBoxLayout>
#include <QWindow>

#include "ui/behaviour/placement.h"
#include "ui/qt/widgets/app_icon.h"
#include "ui/qt/widgets/empty_caption.h"
#include "ui/qt/widgets/frame_placement.h"
#include "ui/qt/widgets/system_colors.h"
#include "ui/qt/widgets/x11_taskbar.h"

namespace ui {

namespace {

constexpr int kClientWidth = design::kPromptClientWidth;
constexpr int kClientHeight = design::kPromptClientHeight;

QFont PromptFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  // Pixels, not points: 14 pt at 96 dpi, right on every screen the test or user has.
  font.setPixelSize(design::kPromptTextHeightPx);
  return font;
}

}  // namespace

QPoint PromptPosition(const QRect& mainFrame, const QSize& promptFrame) {
  const ScreenPoint at = PromptPlace(mainFrame.left(), mainFrame.top(), mainFrame.width(),
                                     mainFrame.height(), promptFrame.width(), promptFrame.height());
  return QPoint(at.x, at.y);
}

TForm2::TForm2(QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow) {
  setObjectName(QStringLiteral("Form2"));
  setFixedSize(kClientWidth, kClientHeight);
  setWindowIcon(BlankWindowIcon());
  // Closing the prompt must never count as closing the application.
  setAttribute(Qt::WA_QuitOnClose, false);
  // The same system window colour as the main window's background.
  QPalette colours = palette();
  colours.setColor(QPalette::Window, WindowColor());
  colours.setColor(QPalette::WindowText, WindowTextColor());
  setPalette(colours);
  setAutoFillBackground(true);

  Label1 = new QLabel(QString::fromUtf8(design::kPromptText), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(false);
  Label1->setFont(PromptFont());
  Label1->setAutoFillBackground(true);
  Label1->setBackgroundRole(QPalette::Window);
  Label1->setForegroundRole(QPalette::WindowText);
  Label1->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Label1);

  create();
  KeepCaptionEmpty(*this);
}

void TForm2::Show() {
  if (!isVisible()) {
    KeepOffTaskbar(this);
    show();
    KeepCaptionEmpty(*this);
  }
  raise();
  activateWindow();
}

void TForm2::Hide() {
  if (!isVisible()) return;
  const bool wasActive = isActiveWindow();
  hide();
  if (wasActive && mainWindow_) mainWindow_->activateWindow();
}

void TForm2::showEvent(QShowEvent* event) {
  if (!placed_ && mainWindow_) {
    placed_ = true;
    // Until the prompt is framed, the main window's frame widths stand in for its own: it has
    // the same decoration. Once framed it is placed exactly.
    const QRect mainFrame = mainWindow_->frameGeometry();
    const QRect mainClient = mainWindow_->geometry();
    const QSize frame(kClientWidth + mainFrame.width() - mainClient.width(),
                      kClientHeight + mainFrame.height() - mainClient.height());
    move(PromptPosition(mainFrame, frame));
    PlaceWhenFramed(*this, [main = mainWindow_](const QSize& ownFrame) {
      return PromptPosition(main ? main->frameGeometry() : QRect(), ownFrame);
    });
  }
  QWidget::showEvent(event);
}

}  // namespace ui
