#pragma once

#include <functional>
#include <string>

#include "progress_printer.h"
#include "transfer/view.h"

namespace flash {

// The download's effects as console output: the prompt on standard output, progress on
// standard error. A notice ends the run, so it is handed on instead of waiting for a user;
// so is the end of a finished download.
class ConsoleView : public transfer::View {
 public:
  ConsoleView(ProgressPrinter& progress, std::function<void(const std::string&)> onNotice,
              std::function<void()> onFinished)
      : progress_(progress), onNotice_(std::move(onNotice)), onFinished_(std::move(onFinished)) {}

  void SetProgressTotal(std::uint32_t totalParts) override { progress_.SetTotal(totalParts); }
  void SetProgressParts(std::uint32_t parts) override { progress_.SetParts(parts); }
  void ShowProgress() override { progress_.Show(); }
  // The ending decides: a finished download shows 100 % first.
  void HideProgress() override {}
  void SetControlsEnabled(bool) override {}
  void ShowPrompt() override;
  void HidePrompt() override {}
  void ShowInformation(const std::string& text) override { onNotice_(text); }
  // Other endings come with their notice or their failure.
  void DownloadEnded(transfer::Ending how) override {
    if (how == transfer::Ending::Finished) progress_.Complete();
    progress_.Hide();
    if (how == transfer::Ending::Finished) onFinished_();
  }

 private:
  ProgressPrinter& progress_;
  std::function<void(const std::string&)> onNotice_;
  std::function<void()> onFinished_;
};

}  // namespace flash
