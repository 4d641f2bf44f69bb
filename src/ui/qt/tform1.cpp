#include "ui/qt/tform1.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QShowEvent>

#include "serial/qt/qt_dispatcher.h"
#include "ui/qt/messages.h"
#include "ui/qt/widgets/balloon_hint.h"
#include "ui/qt/widgets/empty_caption.h"
#include "ui/qt/widgets/fonts.h"
#include "ui/qt/widgets/form2.h"
#include "ui/qt/widgets/frame_placement.h"
#include "ui/qt/widgets/glyphs.h"
#include "ui/qt/widgets/port_button.h"
#include "ui/qt/widgets/port_status_pane.h"
#include "ui/qt/widgets/progress_bar.h"
#include "ui/qt/widgets/status_bar.h"
#include "ui/qt/widgets/system_colors.h"
#include "ui/qt/widgets/tool_bar.h"

namespace ui {

namespace {

QString Text(const char* utf8) {
  return QString::fromUtf8(utf8);
}
QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QRect Rect(const design::Box& box) {
  return QRect(box.x, box.y, box.width, box.height);
}

}  // namespace

TForm1::TForm1(ProgramSetup setup)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Text(kApplicationTitle));
  setFixedSize(design::kClientWidth, design::kClientHeight);
  setFont(WindowFont());
  QPalette background = palette();
  background.setColor(QPalette::Window, WindowColor());
  setPalette(background);
  setAutoFillBackground(true);

  dispatcher_ = std::make_unique<serial::QtDispatcher>();
  program_ = std::make_unique<Program>(
      *this, *dispatcher_, [](const std::exception_ptr& failure) { ReportException(failure); },
      std::move(setup));

  CreateActions();
  CreateControls();
  Guarded([this] { program_->Behaviour().FormCreate(); });
}

TForm1::~TForm1() {
  Guarded([this] { program_->Behaviour().FormDestroy(); });
}

void TForm1::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ReportException(std::current_exception());
  }
}

QAction* TForm1::CreateAction(const design::Action& design) {
  auto* action = new QAction(GlyphIcon(design.glyph), Text(design.caption), this);
  action->setObjectName(QString::fromLatin1(design.name));
  action->setToolTip(Text(design.hint));
  action->setStatusTip(Text(design.hint));
  connect(action, &QAction::triggered, this, [this, handler = design.handler] {
    Guarded([=, this] { (program_->Behaviour().*handler)(); });
  });
  return action;
}

void TForm1::CreateActions() {
  AExit = CreateAction(design::kAExit);
  ASelectFile = CreateAction(design::kASelectFile);
  ABegin = CreateAction(design::kABegin);
  AChangeComPort = CreateAction(design::kAChangeComPort);
}

void TForm1::CreateControls() {
  Toolbar1 = new TToolBar(this);
  Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
  Toolbar1->setGeometry(Rect(design::kToolbar));

  auto actionButton = [&](const char* name, QAction* action, int place) {
    auto* button = new TFlatToolButton(Toolbar1);
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(action);
    button->setGeometry(Rect(design::ButtonBox(place)));
    return button;
  };
  ToolButton1 = actionButton("ToolButton1", ASelectFile, design::kASelectFile.button);
  ToolButton2 = new TPortButton(Toolbar1);
  ToolButton2->setObjectName(QStringLiteral("ToolButton2"));
  ToolButton2->setText(Text(design::kPortButtonCaption));
  ToolButton2->setToolTip(Text(design::kPortButtonHint));
  ToolButton2->setIcon(GlyphIcon(design::kPortButtonGlyph));
  ToolButton2->setGeometry(Rect(design::ButtonBox(design::kPortButton)));
  ToolButton3 = actionButton("ToolButton3", ABegin, design::kABegin.button);
  ToolButton4 = actionButton("ToolButton4", AExit, design::kAExit.button);

  StatusBar1 = new TStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setGeometry(Rect(design::kStatusBar));
  PortStatusPane = new TPortStatusPane(StatusBar1);
  PortStatusPane->setObjectName(QStringLiteral("PortStatusPane"));
  PortStatusPane->setGeometry(Rect(design::kPortStatusPane));
  ProgressBar1 = new TProgressBar(StatusBar1);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setGeometry(Rect(design::kProgressBar));
  ProgressBar1->hide();

  BalloonHints1 = new TBalloonHints(this);
  for (QWidget* button : {static_cast<QWidget*>(ToolButton1), static_cast<QWidget*>(ToolButton2),
                          static_cast<QWidget*>(ToolButton3), static_cast<QWidget*>(ToolButton4)}) {
    BalloonHints1->Attach(button);
  }
}

void TForm1::SetPortMenu(const std::vector<std::string>& names) {
  if (!ToolButton2->DropDownMenu()) {
    PortMenu = new QMenu(this);
    PortMenu->setObjectName(QStringLiteral("PortMenu"));
    PortMenu->setFont(WindowFont());
    ToolButton2->SetDropDownMenu(PortMenu);
  }
  const QList<QAction*> old = PortMenu->actions();
  PortMenu->clear();
  qDeleteAll(old);
  for (const std::string& name : names) {
    // "&" would mark a mnemonic: doubled, the caption shows the name exactly.
    auto* item = new QAction(Text(name).replace(QLatin1Char('&'), QStringLiteral("&&")), this);
    item->setData(Text(name));
    connect(item, &QAction::triggered, this,
            [this, item] { Guarded([this, item] { PortMenuItemClick(item); }); });
    PortMenu->addAction(item);
  }
}

std::string TForm1::PortName(const QAction* item) {
  return item->data().toString().toStdString();
}

void TForm1::PortMenuItemClick(QObject* sender) {
  if (auto* item = qobject_cast<QAction*>(sender))
    program_->Behaviour().PortMenuItemClick(PortName(item));
}

void TForm1::SetPortCaption(const std::string& name) {
  PortStatusPane->SetCaption(Text(name));
}

void TForm1::SetCaption(const std::string& text) {
  setWindowTitle(Text(text));
  KeepCaptionEmpty(*this);
}

bool TForm1::Enabled(Control control) const {
  switch (control) {
    case Control::SelectFile:
      return ASelectFile->isEnabled();
    case Control::Begin:
      return ABegin->isEnabled();
    case Control::PortButton:
      return ToolButton2->isEnabled();
    case Control::ChangeComPort:
      return AChangeComPort->isEnabled();
  }
  return false;
}

void TForm1::SetEnabled(Control control, bool enabled) {
  switch (control) {
    case Control::SelectFile:
      return ASelectFile->setEnabled(enabled);
    case Control::Begin:
      return ABegin->setEnabled(enabled);
    case Control::PortButton:
      return ToolButton2->setEnabled(enabled);
    case Control::ChangeComPort:
      return AChangeComPort->setEnabled(enabled);
  }
}

QFileDialog& TForm1::FileDialog() {
  // Built when first needed: building it (its model, its icons) was most of the start-up.
  if (OpenDialog1) return *OpenDialog1;
  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
  OpenDialog1->setWindowTitle(Text(design::kFileDialogTitle));
  OpenDialog1->setNameFilter(Text(design::kHexFilterName) + QStringLiteral(" (") +
                             Text(design::kHexFilterPattern) + QStringLiteral(")"));
  OpenDialog1->setDefaultSuffix(Text(design::kHexExtension));
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  // Names are matched as the file system's owner would see them: BOARD.HEX is a HEX file too.
  OpenDialog1->setFilter(OpenDialog1->filter() & ~QDir::CaseSensitive);
  return *OpenDialog1;
}

FileChoice TForm1::ChooseFile() {
  FileDialog();
  PlaceFileDialog();
  const int result = OpenDialog1->exec();
  // The name field's completion list could outlive the dialog and swallow the next click.
  for (QCompleter* completer : OpenDialog1->findChildren<QCompleter*>()) {
    if (completer->popup()) completer->popup()->hide();
  }
  FileChoice choice;
  const QStringList chosen = OpenDialog1->selectedFiles();
  choice.confirmed = result == QDialog::Accepted && !chosen.isEmpty();
  if (choice.confirmed) choice.file = QFileInfo(chosen.first()).absoluteFilePath().toStdString();
  choice.shownFolder = OpenDialog1->directory().absolutePath().toStdString();
  return choice;
}

void TForm1::PlaceFileDialog() {
  // Over the main window once it is shown; during creation, when it is not yet, in the middle
  // of the screen instead of at the invisible window's corner.
  OpenDialog1->setAttribute(Qt::WA_Moved, false);
  if (isVisible()) return;
  QScreen* where = screen();
  if (!where) return;
  OpenDialog1->ensurePolished();
  const QSize size = OpenDialog1->size().expandedTo(OpenDialog1->sizeHint());
  OpenDialog1->resize(size);
  OpenDialog1->move(where->availableGeometry().center() -
                    QPoint(size.width() / 2, size.height() / 2));
}

void TForm1::CloseWindow() {
  close();
}

void TForm1::Post(std::function<void()> call) {
  // The port's queue, the program's only one: a call still queued when the window is
  // destroyed is dropped with it.
  dispatcher_->Post([call = std::move(call)] { Guarded(call); });
}

void TForm1::SetProgressTotal(std::uint32_t totalParts) {
  ProgressBar1->SetTotalParts(totalParts);
}
void TForm1::SetProgressParts(std::uint32_t partsComplete) {
  ProgressBar1->SetPartsComplete(partsComplete);
}
void TForm1::ShowProgress() {
  ProgressBar1->show();
}
void TForm1::HideProgress() {
  ProgressBar1->hide();
}

void TForm1::ShowPrompt() {
  if (Form2) Form2->Show();
}

void TForm1::HidePrompt() {
  if (Form2) Form2->Hide();
}

void TForm1::ShowInformation(const std::string& text) {
  ui::ShowInformation(text);
}

bool TForm1::AskYesNo(const std::string& text) {
  return ui::AskYesNo(text);
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  KeepCaptionEmpty(*this);
  if (placed_) return;
  placed_ = true;
  if (QScreen* where = screen()) {
    const QRect desktop = where->geometry();
    move(CentredFramePosition(desktop, frameGeometry().size()));
    PlaceWhenFramed(*this,
                    [desktop](const QSize& frame) { return CentredFramePosition(desktop, frame); });
  }
}

}  // namespace ui
