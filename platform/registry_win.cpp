// One string value from HKEY_CURRENT_USER, read through the W functions.
#include <windows.h>

#include "platform/registry.h"
#include "platform/wide_win.h"

namespace platform {
namespace {

// A REG_EXPAND_SZ value with its %NAME% references replaced, as Windows
// itself reads such a path ("%USERPROFILE%\\Quenmar"); as stored when it
// cannot be expanded.
std::wstring Expanded(const std::wstring& value) {
  const DWORD needed = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
  if (needed == 0) return value;
  std::wstring expanded(needed, L'\0');
  const DWORD written = ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed);
  if (written == 0 || written > needed) return value;
  expanded.resize(written - 1);
  return expanded;
}

}  // namespace

std::optional<std::string> ReadCurrentUserString(const std::string& key_path,
                                                 const std::string& value_name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(key_path).c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::wstring name = Widen(value_name);
  DWORD type = 0;
  DWORD size = 0;
  std::optional<std::string> result;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &got) == ERROR_SUCCESS) {
      value.resize(got / sizeof(wchar_t));
      while (!value.empty() && value.back() == L'\0') value.pop_back();
      if (type == REG_EXPAND_SZ) value = Expanded(value);
      // The values read are paths: one that CP932 cannot hold is taken by its
      // short name, or not at all (a path with "?" in it would name nothing).
      result = NarrowPath(value);
    }
  }
  RegCloseKey(key);
  return result;
}

}  // namespace platform
