#pragma once

#include <windows.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "memory_images.h"
#include "scripted_port_device.h"
#include "ui/win32/application.h"

namespace wintest {

// Dispatches the thread's messages until done() holds or timeoutMs has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// Watches the dialogs of this thread (message boxes, file dialogs) as they come up: each one
// is handed, from inside its own modal loop and once it is fully built, to the next handler
// the test expects. A dialog that no handler expects fails the test and is closed.
class DialogWatch {
 public:
  using Handler = std::function<void(HWND dialog)>;

  DialogWatch();
  ~DialogWatch();
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;

  void Expect(Handler handler) { handlers_.push_back(std::move(handler)); }
  bool AllHandled() const { return handlers_.empty(); }
  int Seen() const { return seen_; }

  static std::string Caption(HWND dialog);
  // A message box's text.
  static std::string Text(HWND box);
  // Whether a message box shows an icon.
  static bool HasIcon(HWND box);
  // Presses one of the dialog's buttons (IDOK, IDCANCEL) by its command.
  static void Press(HWND dialog, int command);
  // The first edit field of a dialog (the file name's, in a file dialog).
  static HWND FirstEdit(HWND dialog);

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Inspect(HWND dialog);

  HHOOK hook_ = nullptr;
  HWND helper_ = nullptr;
  std::set<HWND> known_;
  std::deque<Handler> handlers_;
  int seen_ = 0;
};

using transfer::testing::ScriptedPortDevice;

// The loader's windows on a temporary settings file, a list of ports chosen by the test, the
// scripted port and images held in memory (or the real port and converter, for the line
// tests). Dialogs are watched throughout.
class WindowRig {
 public:
  WindowRig();
  ~WindowRig();

  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path SettingsFile() const { return folder_ / "loader.ini"; }
  void WriteSettings(const std::string& iniText) const;
  // A file in the temporary folder (or a sub-folder of it), returned as a full path.
  std::filesystem::path MakeFile(const std::string& relativeName,
                                 const std::string& content = {}) const;
  // Settings naming the first port and an existing HEX file, so that creation asks nothing.
  void WriteValidSettings();

  // realParts: the real serial port and HEX converter instead of the scripted ones.
  ui::TLoaderProgram& Create(bool realParts = false);
  ui::TForm1& Form() { return program->Form1(); }
  void Destroy() { program.reset(); }

  std::vector<std::string> ports{"COM1", "COM2"};
  ScriptedPortDevice port;
  transfer::testing::MemoryImages images;
  DialogWatch watch;
  std::unique_ptr<ui::TLoaderProgram> program;

 private:
  std::filesystem::path folder_;
  std::filesystem::path startFolder_;
};

// A child window's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);

}  // namespace wintest
