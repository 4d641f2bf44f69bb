#include "recording_view.h"

#include <algorithm>

namespace transfer::testing {

void RecordingView::SetProgressTotal(std::uint32_t totalParts) {
  total = totalParts;
  Note(journal_, "total " + std::to_string(totalParts));
}

void RecordingView::SetProgressParts(std::uint32_t partsComplete) {
  parts = partsComplete;
  mostParts = std::max(mostParts, partsComplete);
  Note(journal_, "parts " + std::to_string(partsComplete));
}

void RecordingView::ShowProgress() {
  progressVisible = true;
  Note(journal_, "show progress");
}

void RecordingView::HideProgress() {
  progressVisible = false;
  Note(journal_, "hide progress");
}

void RecordingView::SetControlsEnabled(bool enabled) {
  controlsEnabled = enabled;
  Note(journal_, enabled ? "controls on" : "controls off");
}

void RecordingView::ShowPrompt() {
  promptVisible = true;
  Note(journal_, "show prompt");
}

void RecordingView::HidePrompt() {
  promptVisible = false;
  Note(journal_, "hide prompt");
}

void RecordingView::ShowInformation(const std::string& text) {
  informations.push_back(text);
  Note(journal_, "info " + text);
  if (WhileInformationShown) WhileInformationShown();
}

}  // namespace transfer::testing
