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
#include "scripted_target.h"
#include "serial/port_device.h"
#include "ui/tform1.h"

namespace uitest {

// The scripted boot loader behind the window's port interface.
class ScriptedPortDevice : public serial::TPortDevice {
 public:
  ScriptedPortDevice() : target(nullptr, "COM%d") {}

  std::string DeviceName() const override { return target.DeviceName(); }
  bool Active() const override { return target.Active(); }
  void Open() override { target.Open(); }
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override {
    return target.WriteBuf(buffer, count);
  }
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override {
    return target.ReadBuf(buffer, count);
  }
  void SetDeviceName(const std::string& name) override { target.SetDeviceName(name); }
  void Close() override {
    ++closes;
    target.SetActive(false);
  }

  transfer::testing::ScriptedTarget target;
  int closes = 0;
};

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
