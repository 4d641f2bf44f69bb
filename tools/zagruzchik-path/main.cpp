// zagruzchik-path: puts a folder on the machine's or the user's PATH, or takes it off, for the
// installer, whose own strings end at 1024 characters. The value is read and written whole,
// whatever its length, keeps its type, and is never written when it could not be read.
//   zagruzchik-path add|remove machine|user FOLDER
// Exit status: 0 changed, 2 nothing to change (already there, or not there), 1 failed.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "path_list.h"

namespace {

struct Value {
  std::wstring text;
  DWORD type = REG_EXPAND_SZ;
};

class Key {
 public:
  Key(HKEY root, const wchar_t* name) {
    status_ = RegOpenKeyExW(root, name, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
  }
  ~Key() {
    if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
  }
  LONG Status() const { return status_; }

  // Empty when the value is absent; nothing when it cannot be read.
  std::optional<Value> Read() const {
    Value value;
    for (;;) {
      DWORD bytes = 0;
      LONG status = RegQueryValueExW(key_, L"Path", nullptr, &value.type, nullptr, &bytes);
      if (status == ERROR_FILE_NOT_FOUND) return Value{};
      if (status != ERROR_SUCCESS) return Fail(status);
      if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return Fail(ERROR_INVALID_DATA);
      std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
      DWORD got = bytes;
      status = RegQueryValueExW(key_, L"Path", nullptr, &value.type,
                                reinterpret_cast<BYTE*>(buffer.data()), &got);
      if (status == ERROR_MORE_DATA) continue;  // grown meanwhile
      if (status != ERROR_SUCCESS) return Fail(status);
      value.text.assign(buffer.data(), got / sizeof(wchar_t));
      while (!value.text.empty() && value.text.back() == L'\0') value.text.pop_back();
      return value;
    }
  }

  // A user's PATH emptied by the removal goes, as it was before the install put it there.
  bool Write(const Value& value, bool deleteEmpty) const {
    if (deleteEmpty && value.text.empty()) {
      const LONG status = RegDeleteValueW(key_, L"Path");
      if (status != ERROR_SUCCESS) Fail(status);
      return status == ERROR_SUCCESS;
    }
    const LONG status = RegSetValueExW(
        key_, L"Path", 0, value.type, reinterpret_cast<const BYTE*>(value.text.c_str()),
        static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) Fail(status);
    return status == ERROR_SUCCESS;
  }

 private:
  static std::nullopt_t Fail(LONG status) {
    std::fprintf(stderr, "zagruzchik-path: PATH cannot be read or written (error %ld)\n",
                 static_cast<long>(status));
    return std::nullopt;
  }

  HKEY key_ = nullptr;
  LONG status_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fputs("usage: zagruzchik-path add|remove machine|user FOLDER\n", stderr);
    return 1;
  }
  const std::wstring action = argv[1], scope = argv[2], folder = argv[3];
  const bool add = action == L"add";
  if ((!add && action != L"remove") || (scope != L"machine" && scope != L"user") ||
      folder.empty() || folder.find(L';') != std::wstring::npos) {
    std::fputs("usage: zagruzchik-path add|remove machine|user FOLDER\n", stderr);
    return 1;
  }
  const Key key = scope == L"machine"
                      ? Key(HKEY_LOCAL_MACHINE,
                            L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment")
                      : Key(HKEY_CURRENT_USER, L"Environment");
  if (key.Status() != ERROR_SUCCESS) {
    std::fprintf(stderr, "zagruzchik-path: the environment's key cannot be opened (error %ld)\n",
                 static_cast<long>(key.Status()));
    return 1;
  }
  std::optional<Value> value = key.Read();
  if (!value) return 1;
  if (add == pathlist::Contains(value->text, folder)) return 2;
  value->text =
      add ? pathlist::WithEntry(value->text, folder) : pathlist::WithoutEntry(value->text, folder);
  if (!key.Write(*value, !add && scope == L"user")) return 1;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                      SMTO_ABORTIFHUNG, 1000, &result);
  return 0;
}
