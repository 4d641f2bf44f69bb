#include "ui/win32/file_dialog.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "sys/win32/wide_text.h"
#include "ui/behaviour/window_design.h"
#include "ui/win32/com_library.h"

namespace ui {

namespace {

// The design's texts as the dialogs take them.
struct DialogTexts {
  std::wstring title = sys::Wide(design::kFileDialogTitle);
  std::wstring filterName = sys::Wide(design::kHexFilterName);
  std::wstring filterPattern = sys::Wide(design::kHexFilterPattern);
  std::wstring defaultExtension = sys::Wide(design::kHexExtension);
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

 private:
  T* p_ = nullptr;
};

std::string PathOf(IShellItem* item) {
  PWSTR path = nullptr;
  if (!item || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) return {};
  std::string result = sys::Narrow(path);
  FreeTaskMemory(path);
  return result;
}

// Follows the folder the dialog shows, so that a cancelled dialog still tells it.
class FolderWatch : public IFileDialogEvents {
 public:
  std::string folder;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == IID_IFileDialogEvents) {
      *object = static_cast<IFileDialogEvents*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the caller's stack for the dialog's whole life: the count only keeps COM happy.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override {
    ComPtr<IShellItem> shown;
    if (SUCCEEDED(dialog->GetFolder(shown.Out()))) folder = PathOf(shown.Get());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*,
                                             FDE_SHAREVIOLATION_RESPONSE*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*,
                                        FDE_OVERWRITE_RESPONSE*) override {
    return S_OK;
  }

 private:
  ULONG references_ = 1;
};

// False when the shell's dialog cannot be had at all.
bool ChooseWithShell(HWND owner, FileChoice& choice) {
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CreateInstance(CLSID_FileOpenDialog, IID_IFileOpenDialog,
                            reinterpret_cast<void**>(dialog.Out()))))
    return false;
  const DialogTexts texts;
  const COMDLG_FILTERSPEC filter{texts.filterName.c_str(), texts.filterPattern.c_str()};
  dialog->SetTitle(texts.title.c_str());
  dialog->SetFileTypes(1, &filter);
  dialog->SetDefaultExtension(texts.defaultExtension.c_str());
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST);
  FolderWatch watch;
  DWORD cookie = 0;
  const bool watching = SUCCEEDED(dialog->Advise(&watch, &cookie));
  const HRESULT shown = dialog->Show(owner);
  if (watching) dialog->Unadvise(cookie);
  choice.shownFolder = watch.folder;
  if (FAILED(shown)) return true;  // cancelled
  ComPtr<IShellItem> result;
  if (SUCCEEDED(dialog->GetResult(result.Out()))) choice.file = PathOf(result.Get());
  choice.confirmed = !choice.file.empty();
  return true;
}

UINT_PTR CALLBACK FolderHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(hook, GWLP_USERDATA,
                      static_cast<LONG_PTR>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData));
  } else if (message == WM_NOTIFY &&
             reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(CDN_FOLDERCHANGE)) {
    wchar_t folder[MAX_PATH * 4] = L"";
    if (SendMessageW(GetParent(hook), CDM_GETFOLDERPATH, sizeof folder / sizeof folder[0],
                     reinterpret_cast<LPARAM>(folder)) > 0) {
      *reinterpret_cast<std::string*>(GetWindowLongPtrW(hook, GWLP_USERDATA)) = sys::Narrow(folder);
    }
  }
  return 0;
}

void ChooseWithCommonDialog(HWND owner, FileChoice& choice) {
  std::wstring file(32768, L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  // Name and pattern, each ended by a null, then a second null.
  const DialogTexts texts;
  const std::wstring filters = texts.filterName + L'\0' + texts.filterPattern + L'\0';
  request.lpstrFilter = filters.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = file.data();
  request.nMaxFile = static_cast<DWORD>(file.size());
  request.lpstrTitle = texts.title.c_str();
  request.lpstrDefExt = texts.defaultExtension.c_str();
  request.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_FILEMUSTEXIST |
                  OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  request.lpfnHook = &FolderHook;
  request.lCustData = reinterpret_cast<LPARAM>(&choice.shownFolder);
  // The common dialogs' library, loaded when first wanted, as the shell's.
  using Open = BOOL(WINAPI*)(OPENFILENAMEW*);
  static const auto open = LibraryFunction<Open>(L"comdlg32.dll", "GetOpenFileNameW");
  if (!open || !open(&request)) return;
  choice.confirmed = true;
  choice.file = sys::Narrow(file.c_str());
}

}  // namespace

FileChoice ChooseHexFile(HWND owner, bool shell) {
  FileChoice choice;
  if (!shell || !ChooseWithShell(owner, choice)) ChooseWithCommonDialog(owner, choice);
  return choice;
}

}  // namespace ui
