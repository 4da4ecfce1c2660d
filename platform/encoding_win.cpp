// CP932 <-> UTF-16 on Windows with code page 932, whatever the system locale.
#include <windows.h>
// after windows.h, whose types it uses
#include <shlobj.h>

#include <climits>
#include <stdexcept>

#include "platform/encoding.h"
#include "platform/wide_win.h"

namespace platform {

namespace {
constexpr UINT kCp932 = 932;

// The conversion functions take an int length. A longer text (only a 64-bit
// process can hold one) is refused instead of being cut short without a word.
int ConversionLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long to convert");
  return static_cast<int>(size);
}
}  // namespace

std::wstring Widen(std::string_view cp932) {
  if (cp932.empty()) return {};
  const int size = ConversionLength(cp932.size());
  const int n = MultiByteToWideChar(kCp932, 0, cp932.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kCp932, 0, cp932.data(), size, out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = ConversionLength(wide.size());
  const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr,
                      nullptr);
  return out;
}

namespace {

// The CP932 form of `wide`, or nullopt when a character has none.
std::optional<std::string> ExactCp932(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = ConversionLength(wide.size());
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                    nullptr, &lost);
  if (n <= 0 || lost) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr,
                      nullptr);
  return out;
}

}  // namespace

std::optional<std::string> NarrowPath(const std::wstring& wide) {
  if (std::optional<std::string> exact = ExactCp932(wide)) return exact;
  const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring short_path(needed, L'\0');
  const DWORD written = GetShortPathNameW(wide.c_str(), short_path.data(), needed);
  if (written == 0 || written >= needed) return std::nullopt;
  short_path.resize(written);
  return ExactCp932(short_path);
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) path.resize(slash);
  return path;
}

namespace {

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

}  // namespace

std::wstring UserAppDataFolder() { return KnownFolder(CSIDL_APPDATA); }

std::wstring UserLocalAppDataFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA); }

std::u16string Cp932ToUtf16(std::string_view cp932) {
  const std::wstring w = Widen(cp932);
  return std::u16string(w.begin(), w.end());
}

std::string Utf16ToCp932(std::u16string_view utf16) {
  return Narrow(std::wstring(utf16.begin(), utf16.end()));
}

std::u16string SingleByteToUtf16(unsigned code_page, std::string_view bytes) {
  const bool known = (code_page >= 28591 && code_page <= 28599) || code_page == 28603 ||
                     code_page == 28605 || (code_page >= 1250 && code_page <= 1258) ||
                     code_page == 20866 || code_page == 21866 || code_page == 20127;
  if (!known || bytes.empty()) return {};
  const int size = ConversionLength(bytes.size());
  const int n = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

}  // namespace platform
