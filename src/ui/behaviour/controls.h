#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

// The main window's controls that can be switched on and off.
enum class Control {
  SelectFile,    // the File action and its button
  Begin,         // the Start action and its button
  PortButton,    // the Port button, which has no action
  ChangeComPort  // the action that asks for a port; it has no control
};

// What the user did in the file-open dialog.
struct FileChoice {
  bool confirmed = false;
  std::string file;         // the chosen file's full path, when confirmed
  std::string shownFolder;  // the folder the dialog showed last; empty if it has no path
};

// What the main window's behaviour needs of whatever draws it: the Qt widgets, another
// toolkit's, or a test's fake. Everything is called on the user-interface thread.
class TForm1Controls {
 public:
  virtual ~TForm1Controls() = default;

  // The port menu's items, in this order, each captioned exactly with its name.
  virtual void SetPortMenu(const std::vector<std::string>& names) = 0;
  virtual void SetPortCaption(const std::string& name) = 0;
  virtual void SetCaption(const std::string& text) = 0;

  virtual bool Enabled(Control control) const = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;

  // Shows the file-open dialog modally.
  virtual FileChoice ChooseFile() = 0;
  virtual void CloseWindow() = 0;

  virtual void SetProgressTotal(std::uint32_t totalParts) = 0;
  virtual void SetProgressParts(std::uint32_t partsComplete) = 0;
  virtual void ShowProgress() = 0;
  virtual void HideProgress() = 0;
  virtual void ShowPrompt() = 0;
  virtual void HidePrompt() = 0;
  // Modal notice; returns once the user has dismissed it.
  virtual void ShowInformation(const std::string& text) = 0;
  // Modal question with Yes and No, No the default; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // Runs call from whichever event loop runs next, a modal one included; never from here.
  virtual void Post(std::function<void()> call) = 0;
};

}  // namespace ui
