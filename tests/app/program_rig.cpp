#include "program_rig.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QToolButton>

#include <cstdio>
#include <fstream>

#include "ui/qt/widgets/port_button.h"

namespace apptest {

namespace {

std::string HexRecord(std::uint16_t address, const std::uint8_t* data, std::size_t count) {
  unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF);
  char text[16];
  std::snprintf(text, sizeof text, ":%02X%04X00", static_cast<unsigned>(count), address);
  std::string line = text;
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(text, sizeof text, "%02X", data[i]);
    line += text;
    sum += data[i];
  }
  std::snprintf(text, sizeof text, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  return line + text + "\r\n";
}

}  // namespace

ProgramRig::ProgramRig() : previousDirectory_(QDir::currentPath()) {
  settingsFile_ = Folder() / "loader.ini";
  QDir::setCurrent(folder_.path());
}

ProgramRig::~ProgramRig() {
  program_.reset();
  QDir::setCurrent(previousDirectory_);
}

std::filesystem::path ProgramRig::Folder() const {
  return std::filesystem::path(folder_.path().toStdString());
}

void ProgramRig::WriteSettings(const std::string& iniText) const {
  std::ofstream(settingsFile_, std::ios::binary) << iniText;
}

std::filesystem::path ProgramRig::WriteHex(const std::string& name, std::size_t size) {
  data_.resize(size);
  for (std::size_t i = 0; i < size; ++i) data_[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const std::filesystem::path path = Folder() / name;
  std::ofstream out(path, std::ios::binary);
  for (std::size_t at = 0; at < size; at += 16) {
    out << HexRecord(static_cast<std::uint16_t>(at), data_.data() + at,
                     std::min<std::size_t>(16, size - at));
  }
  out << ":00000001FF\r\n";
  return path;
}

void ProgramRig::Create(std::vector<std::string> ports) {
  ui::ProgramSetup setup;
  setup.ListPorts = [ports = std::move(ports)] { return ports; };
  setup.SettingsFile = settingsFile_;
  program_ = std::make_unique<ui::TLoaderProgram>(std::move(setup));
}

void ProgramRig::Show() {
  program_->Show();
}

void ProgramRig::DispatchQueued() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

bool ProgramRig::ControlsEnabled() {
  return Form1().ABegin->isEnabled() && Form1().ASelectFile->isEnabled() &&
         Form1().ToolButton2->isEnabled();
}

bool ProgramRig::ControlsDisabled() {
  return !Form1().ABegin->isEnabled() && !Form1().ASelectFile->isEnabled() &&
         !Form1().ToolButton2->isEnabled();
}

EventProbe::EventProbe(QObject* target, QEvent::Type type, std::function<void()> record)
    : type_(type), record_(std::move(record)) {
  target->installEventFilter(this);
}

bool EventProbe::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == type_) record_();
  return QObject::eventFilter(watched, event);
}

}  // namespace apptest
