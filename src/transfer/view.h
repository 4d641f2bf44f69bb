#pragma once

#include <cstdint>
#include <string>

namespace transfer {

// How a download ended.
enum class Ending {
  Finished,        // the end command has crossed the line: its echo has come back
  WrongReply,      // the notice "Ошибка ответа" follows
  LineLost,        // the port closed itself; it reports the failure
  ImageUnreadable  // reading the image failed; the failure is thrown on
};

// The effects of a download on whatever shows it: the main window, the command-line
// flasher or a test. Called on the user-interface thread, in the order the download needs.
class View {
 public:
  virtual ~View() = default;

  virtual void SetProgressTotal(std::uint32_t totalParts) = 0;
  virtual void SetProgressParts(std::uint32_t partsComplete) = 0;
  virtual void ShowProgress() = 0;
  virtual void HideProgress() = 0;
  // Start, File and the port button, switched together.
  virtual void SetControlsEnabled(bool enabled) = 0;
  // The power-on prompt.
  virtual void ShowPrompt() = 0;
  virtual void HidePrompt() = 0;
  // Modal notice; returns once the user has dismissed it.
  virtual void ShowInformation(const std::string& text) = 0;
  // The download has ended, after its effects above; nothing more goes on the line for it.
  virtual void DownloadEnded(Ending how) = 0;
};

}  // namespace transfer
