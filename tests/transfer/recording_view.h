#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "journal.h"
#include "transfer/view.h"

namespace transfer::testing {

// Keeps what a window would show, and journals every call.
class RecordingView : public View {
 public:
  explicit RecordingView(Journal* journal = nullptr) : journal_(journal) {}

  void SetProgressTotal(std::uint32_t totalParts) override;
  void SetProgressParts(std::uint32_t partsComplete) override;
  void ShowProgress() override;
  void HideProgress() override;
  void SetControlsEnabled(bool enabled) override;
  void ShowPrompt() override;
  void HidePrompt() override;
  // Runs WhileInformationShown, standing in for the modal window's nested event loop.
  void ShowInformation(const std::string& text) override;
  // Kept apart from the journal: the order of the window's effects is the journal's.
  void DownloadEnded(Ending how) override { endings.push_back(how); }

  std::function<void()> WhileInformationShown;

  std::uint32_t total = 0;
  std::uint32_t parts = 0;
  std::uint32_t mostParts = 0;
  bool progressVisible = false;
  bool controlsEnabled = true;
  bool promptVisible = false;
  std::vector<std::string> informations;
  std::vector<Ending> endings;

 private:
  Journal* journal_;
};

}  // namespace transfer::testing
