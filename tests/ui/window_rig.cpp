#include "window_rig.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPixmap>
#include <QTest>
#include <fstream>
#include <sstream>

#include "ui/qt/widgets/fonts.h"

namespace uitest {

WindowRig::WindowRig() : startDir_(std::filesystem::current_path()) {
  EXPECT_TRUE(dir_.isValid());
}

WindowRig::~WindowRig() {
  form.reset();
  ProcessEvents();
  // The file dialog changes the process's folder; later tests must not depend on that.
  std::filesystem::current_path(startDir_);
}

std::filesystem::path WindowRig::Folder() const {
  return dir_.path().toStdString();
}

void WindowRig::WriteSettings(const std::string& iniText) const {
  std::ofstream(SettingsFile(), std::ios::binary) << iniText;
}

std::string WindowRig::ReadSettings() const {
  std::ifstream in(SettingsFile(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::filesystem::path WindowRig::MakeFile(const std::string& relativeName) const {
  const std::filesystem::path file = Folder() / relativeName;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << ":00000001FF\n";
  return file;
}

void WindowRig::WriteValidSettings() {
  WriteSettings("[PortName]\nName=" + ports.front() +
                "\n[FileName]\nName=" + MakeFile("board.hex").string() + "\n");
}

ui::TForm1& WindowRig::Create() {
  ui::ProgramSetup setup;
  setup.ListPorts = [this] { return ports; };
  setup.SettingsFile = SettingsFile();
  setup.Port = &port;
  setup.Images = &images;
  form = std::make_unique<ui::TForm1>(std::move(setup));
  port.target.SetOnRxChar([this](std::int32_t count) { form->Behaviour().Comm1RxChar(count); });
  return *form;
}

bool ShowControl(QWidget& control, const QSize& size) {
  control.setFont(ui::WindowFont());
  control.resize(size);
  control.show();
  return QTest::qWaitForWindowExposed(&control);
}

QImage GrabPixels(QWidget& control) {
  return control.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void ProcessEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

}  // namespace uitest
