#pragma once

#include <QImage>
#include <QSize>
#include <QTemporaryDir>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "memory_images.h"
#include "modal_watcher.h"
#include "scripted_port_device.h"
#include "ui/qt/tform1.h"

namespace uitest {

using transfer::testing::ScriptedPortDevice;

// A main window on a temporary settings file, a list of ports chosen by the test, the
// scripted port and images held in memory. Modal windows are watched throughout.
class WindowRig {
 public:
  WindowRig();
  ~WindowRig();

  std::filesystem::path Folder() const;
  std::filesystem::path SettingsFile() const { return Folder() / "loader.ini"; }
  void WriteSettings(const std::string& iniText) const;
  std::string ReadSettings() const;
  // An empty file in the temporary folder (or a sub-folder of it), returned as a full path.
  std::filesystem::path MakeFile(const std::string& relativeName) const;

  // Settings naming the first port and an existing HEX file, so that creation asks nothing.
  void WriteValidSettings();

  ui::TForm1& Create();
  ui::TForm1& Form() { return *form; }

  std::vector<std::string> ports{"COM1", "COM2"};
  ScriptedPortDevice port;
  transfer::testing::MemoryImages images;
  testsupport::ModalWatcher guard;
  std::unique_ptr<ui::TForm1> form;

 private:
  QTemporaryDir dir_;
  std::filesystem::path startDir_;
};

// Lets queued calls and events run.
void ProcessEvents();

// Shows a control on its own, at its size in the window and with the window's font; true
// once it can paint.
bool ShowControl(QWidget& control, const QSize& size);
// The control's picture as plain RGB pixels.
QImage GrabPixels(QWidget& control);

}  // namespace uitest
