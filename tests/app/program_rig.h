#pragma once

#include <QEvent>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modal_watcher.h"
#include "ui/qt/application.h"
#include "ui/qt/tform1.h"
#include "ui/qt/widgets/form2.h"

namespace apptest {

using testsupport::ModalWatcher;
using testsupport::SeenModal;
using testsupport::WaitFor;

// The whole program on the offscreen platform in a temporary folder, which is also the
// current directory (where the image file goes) while the rig lives. Modal windows are
// watched from before the windows exist.
class ProgramRig {
 public:
  ProgramRig();
  ~ProgramRig();

  std::filesystem::path Folder() const;
  std::filesystem::path SettingsFile() const { return settingsFile_; }
  void SetSettingsFile(const std::filesystem::path& file) { settingsFile_ = file; }
  void WriteSettings(const std::string& iniText) const;
  // A HEX file of size data bytes from address 0 in records of 16; returns its path.
  std::filesystem::path WriteHex(const std::string& name, std::size_t size);
  const std::vector<std::uint8_t>& Data() const { return data_; }

  // Start-up up to the main window becoming visible: creates both windows (FormCreate runs
  // inside), then Show() makes the main window visible.
  void Create(std::vector<std::string> ports);
  void Show();
  // Lets the event loop dispatch everything queued so far (the deferred message included).
  void DispatchQueued();
  // Shutdown: destroys the prompt and then the main window, closing the port.
  void Shutdown() { program_.reset(); }

  ui::TForm1& Form1() { return program_->Form1(); }
  ui::TForm2& Form2() { return program_->Form2(); }
  bool ControlsEnabled();
  bool ControlsDisabled();

  ModalWatcher watcher;

 private:
  QTemporaryDir folder_;
  QString previousDirectory_;
  std::filesystem::path settingsFile_;
  std::vector<std::uint8_t> data_;
  std::unique_ptr<ui::TLoaderProgram> program_;
};

// Calls record for every event of the given type that reaches target.
class EventProbe : public QObject {
 public:
  EventProbe(QObject* target, QEvent::Type type, std::function<void()> record);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QEvent::Type type_;
  std::function<void()> record_;
};

}  // namespace apptest
