// Takes the documentation's pictures of the real windows on an X server (Xvfb will do):
// the power-on prompt over the main window and the wrong-reply message.
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "program_rig.h"
#include "sim_target.h"
#include "ui/qt/application.h"
#include "ui/qt/widgets/tool_bar.h"

namespace {

using apptest::ProgramRig;
using apptest::SimTarget;
using testsupport::ModalWatcher;
using testsupport::WaitFor;

// Gives the windows time to be mapped and painted; a picture has no condition to wait on.
void Settle() {
  QTest::qWait(400);
}

bool Save(const QRect& area, const QString& file) {
  const QRect shot = area.adjusted(-12, -12, 12, 12);
  const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0, shot.x(), shot.y(),
                                                                       shot.width(), shot.height());
  const bool saved = picture.save(file);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
  return saved;
}

bool StartProgram(ProgramRig& rig, SimTarget& sim, const QStringList& faults) {
  const auto hex = rig.WriteHex("board.hex", 5000);
  if (!sim.Start(QStringList{"--no-pace"} + faults)) return false;
  const std::string port = sim.SlavePath().toStdString();
  rig.WriteSettings("[PortName]\nName=" + port + "\n[FileName]\nName=" + hex.string() + "\n");
  rig.Create({port});
  rig.Show();
  return QTest::qWaitForWindowExposed(&rig.Form1());
}

bool PromptPicture(const QString& folder) {
  ProgramRig rig;
  SimTarget sim;
  if (!StartProgram(rig, sim, {"--silent-after", "0"})) return false;  // never says hello
  QTest::mouseClick(rig.Form1().ToolButton3, Qt::LeftButton);
  if (!QTest::qWaitForWindowExposed(&rig.Form2())) return false;
  Settle();
  return Save(rig.Form1().frameGeometry().united(rig.Form2().frameGeometry()),
              folder + "/prompt.png");
}

bool WrongReplyPicture(const QString& folder) {
  ProgramRig rig;
  SimTarget sim;
  if (!StartProgram(rig, sim, {"--wrong-reply-at", "6"})) return false;
  bool saved = false;
  QElapsedTimer up;
  rig.watcher.Expect("information", [&](QWidget* modal) {
    if (!up.isValid()) up.start();
    if (up.elapsed() < 400) return false;  // let it be painted first
    saved = Save(rig.Form1().frameGeometry().united(modal->frameGeometry()),
                 folder + "/error-reply.png");
    static_cast<QDialog*>(modal)->accept();
    return true;
  });
  QTest::mouseClick(rig.Form1().ToolButton3, Qt::LeftButton);
  return WaitFor([&] { return rig.watcher.Pending() == 0; }) && saved;
}

}  // namespace

int main(int argc, char** argv) {
  ui::Application app(argc, argv);
  const QString folder = argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).absolutePath()
                                  : QDir::current().absoluteFilePath(QStringLiteral("docs"));
  if (!SimTarget::Available()) {
    std::fprintf(stderr, "app-screenshots: zagruzchik-sim is not built\n");
    return 2;
  }
  const bool ok = PromptPicture(folder) && WrongReplyPicture(folder);
  return ok ? 0 : 1;
}
