#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/behaviour/controls.h"

namespace behaviourtest {

// The main window's controls as plain state. File choices are scripted in advance; a dialog
// nobody scripted fails the test, as does a posted call left unrun at the end.
class FakeControls : public ui::TForm1Controls {
 public:
  ~FakeControls() override;

  // Case-insensitive byte order, enough to tell a sort from none.
  void SetPortMenu(const std::vector<std::string>& names) override { portMenu = names; }
  void SetPortCaption(const std::string& name) override { portCaption = name; }
  void SetCaption(const std::string& text) override { caption = text; }
  bool Enabled(ui::Control control) const override { return enabled.at(control); }
  void SetEnabled(ui::Control control, bool on) override { enabled[control] = on; }
  ui::FileChoice ChooseFile() override;
  void CloseWindow() override { closed = true; }
  void SetProgressTotal(std::uint32_t totalParts) override { progressTotal = totalParts; }
  void SetProgressParts(std::uint32_t partsComplete) override { progressParts = partsComplete; }
  void ShowProgress() override { progressShown = true; }
  void HideProgress() override { progressShown = false; }
  void ShowPrompt() override {
    promptShown = true;
    ++promptShowings;
  }
  void HidePrompt() override { promptShown = false; }
  void ShowInformation(const std::string& text) override { informations.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    return answerYes;
  }
  void Post(std::function<void()> call) override { posted.push_back(std::move(call)); }

  // Runs the posted calls as the event loop would, in order.
  void RunPosted();

  // Answers for the next file dialogs, in order.
  void Choose(const std::string& file, const std::string& shownFolder);
  void Cancel(const std::string& shownFolder);

  // Start, File and Port as a download switches them.
  bool DownloadControlsEnabled() const;
  bool DownloadControlsDisabled() const;

  std::vector<std::string> portMenu;
  std::optional<std::string> portCaption;
  std::optional<std::string> caption;
  std::map<ui::Control, bool> enabled{{ui::Control::SelectFile, true},
                                      {ui::Control::Begin, true},
                                      {ui::Control::PortButton, true},
                                      {ui::Control::ChangeComPort, true}};
  std::deque<ui::FileChoice> choices;
  int dialogs = 0;
  bool closed = false;
  std::uint32_t progressTotal = 0;
  std::uint32_t progressParts = 0;
  bool progressShown = false;
  bool promptShown = false;
  int promptShowings = 0;
  std::vector<std::string> informations;
  std::vector<std::string> questions;
  bool answerYes = false;
  std::vector<std::function<void()>> posted;
};

}  // namespace behaviourtest
