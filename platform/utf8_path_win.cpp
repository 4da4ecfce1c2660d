// Windows: UTF-8 names reach the W functions through UTF-16 directly.
#include <windows.h>

#include "platform/utf8_path.h"
#include "platform/wide_win.h"

namespace platform {
namespace {

std::wstring FromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string ToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

}  // namespace

std::string PathToUtf8(const std::string& path) { return ToUtf8(Widen(path)); }

std::string LocalProgramFolderUtf8() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  const std::string app_data = ToUtf8(std::wstring(buffer, length));
  const std::string folder = app_data + "\\Veltrano";
  if (!MakeDirectoryUtf8(app_data) || !MakeDirectoryUtf8(folder)) return {};
  return folder;
}

bool FileExistsUtf8(const std::string& path) {
  return GetFileAttributesW(FromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool TouchFileUtf8(const std::string& path) {
  // Another run of the program may have it open as well.
  const HANDLE file = CreateFileW(FromUtf8(path).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool MakeDirectoryUtf8(const std::string& path) {
  const std::wstring wide = FromUtf8(path);
  if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RenameFileUtf8(const std::string& from, const std::string& to) {
  return MoveFileExW(FromUtf8(from).c_str(), FromUtf8(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveFileUtf8(const std::string& path) { return DeleteFileW(FromUtf8(path).c_str()) != 0; }

}  // namespace platform
