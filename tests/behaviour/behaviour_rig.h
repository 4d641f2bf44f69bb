#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fake_controls.h"
#include "memory_images.h"
#include "scripted_port_device.h"
#include "ui/behaviour/form1_behaviour.h"

namespace behaviourtest {

// The window's behaviour on fake controls, the scripted port, images in memory and a settings
// file in a fresh folder. The process's current directory is put back afterwards.
class BehaviourRig {
 public:
  BehaviourRig();
  ~BehaviourRig();
  BehaviourRig(const BehaviourRig&) = delete;
  BehaviourRig& operator=(const BehaviourRig&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path SettingsFile() const { return folder_ / "loader.ini"; }
  void WriteSettings(const std::string& iniText) const;
  std::string ReadSettings() const;
  // A small file in the folder (sub-folders made as needed), as a full path.
  std::string MakeFile(const std::string& relativeName) const;
  // The first port and an existing board.hex, so that creation asks nothing.
  void WriteValidSettings();

  // Constructs the behaviour and runs its FormCreate.
  ui::TForm1Behaviour& Create();

  std::vector<std::string> ports{"COM1", "COM2"};
  // What stays of each port when its name changes; none for the others.
  std::map<std::string, std::string> identities;
  FakeControls controls;
  transfer::testing::ScriptedPortDevice port;
  transfer::testing::MemoryImages images;
  std::unique_ptr<ui::TForm1Behaviour> form;

 private:
  std::filesystem::path startDir_;
  std::filesystem::path folder_;
};

}  // namespace behaviourtest
