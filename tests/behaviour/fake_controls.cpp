#include "fake_controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace behaviourtest {

FakeControls::~FakeControls() {
  EXPECT_TRUE(posted.empty()) << "a posted call was never run";
  EXPECT_TRUE(choices.empty()) << "a scripted file dialog never came";
}

int FakeControls::CompareText(const std::string& a, const std::string& b) const {
  const auto lower = [](unsigned char c) { return std::tolower(c); };
  const auto n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = lower(a[i]) - lower(b[i]);
    if (d != 0) return d;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
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
