#include "tools/standin/standin_log_win.h"

#include <windows.h>

namespace standin {

std::wstring LogPath() {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableW(L"VELTRANO_STANDIN_LOG", buffer, MAX_PATH * 2);
  if (length > 0 && length < MAX_PATH * 2) return std::wstring(buffer, length);
  const DWORD module_length = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
  std::wstring path(buffer, module_length);
  const std::size_t slash = path.find_last_of(L"\\/");
  path.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return path + L"standin.log";
}

bool AppendLogLine(const std::wstring& path, std::string_view line) {
  const HANDLE file =
      CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes(line);
  bytes += "\r\n";
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace standin
