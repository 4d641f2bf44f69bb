#include "fake_controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace behaviourtest {

FakeControls::~FakeControls() {
  EXPECT_TRUE(posted.empty()) << "a posted call was never run";
  EXPECT_TRUE(choices.empty()) << "a scripted file dialog never came";
}

ui::FileChoice FakeControls::ChooseFile() {
  ++dialogs;
  if (choices.empty()) {
    ADD_FAILURE() << "a file dialog nobody expected";
    return {};
  }
  ui::FileChoice choice = choices.front();
  choices.pop_front();
  return choice;
}

void FakeControls::RunPosted() {
  while (!posted.empty()) {
    auto call = std::move(posted.front());
    posted.erase(posted.begin());
    call();
  }
}

void FakeControls::Choose(const std::string& file, const std::string& shownFolder) {
  choices.push_back({true, file, shownFolder});
}

void FakeControls::Cancel(const std::string& shownFolder) {
  choices.push_back({false, "", shownFolder});
}

bool FakeControls::DownloadControlsEnabled() const {
  return enabled.at(ui::Control::Begin) && enabled.at(ui::Control::SelectFile) &&
         enabled.at(ui::Control::PortButton);
}

bool FakeControls::DownloadControlsDisabled() const {
  return !enabled.at(ui::Control::Begin) && !enabled.at(ui::Control::SelectFile) &&
         !enabled.at(ui::Control::PortButton);
}

}  // namespace behaviourtest
