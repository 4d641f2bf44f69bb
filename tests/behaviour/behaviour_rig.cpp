#include "behaviour_rig.h"
#include "sys/paths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace behaviourtest {

BehaviourRig::BehaviourRig() : startDir_(std::filesystem::current_path()) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    folder_ = std::filesystem::temp_directory_path() / ("window-" + std::to_string(random()));
    if (std::filesystem::create_directory(folder_)) return;
  }
  ADD_FAILURE() << "no temporary folder";
}

BehaviourRig::~BehaviourRig() {
  if (form) form->FormDestroy();
  form.reset();
  std::filesystem::current_path(startDir_);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void BehaviourRig::WriteSettings(const std::string& iniText) const {
  std::ofstream(SettingsFile(), std::ios::binary) << iniText;
}

std::string BehaviourRig::ReadSettings() const {
  std::ifstream in(SettingsFile(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string BehaviourRig::MakeFile(const std::string& relativeName) const {
  const std::filesystem::path file = folder_ / sys::PathOf(relativeName);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << ":00000001FF\n";
  return sys::Utf8Of(file);
}

void BehaviourRig::WriteValidSettings() {
  WriteSettings("[PortName]\nName=" + ports.front() +
                "\n[FileName]\nName=" + MakeFile("board.hex") + "\n");
}

ui::TForm1Behaviour& BehaviourRig::Create() {
  form = std::make_unique<ui::TForm1Behaviour>(
      controls, port, images, ui::TSettingsStore(SettingsFile()), [this] { return ports; },
      [this](const std::string& name) {
        const auto found = identities.find(name);
        return found == identities.end() ? std::string() : found->second;
      });
  port.target.SetOnRxChar([this](std::int32_t count) { form->Comm1RxChar(count); });
  form->FormCreate();
  return *form;
}

}  // namespace behaviourtest
