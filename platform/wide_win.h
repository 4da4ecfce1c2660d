#pragma once
// CP932 byte strings <-> the wide strings the W functions take (Windows only).

#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view cp932);
std::string Narrow(std::wstring_view wide);

// A path from the system (the program's folder, a folder the user chose, a
// registry value) as the CP932 string the program works with: as it is when
// every character has a CP932 form; else its short (8.3) form, which Windows
// keeps in ASCII for most folders ("C:\Users\Jose~1" for "José"); nullopt
// when neither can name it, so that the caller can say so instead of using a
// path with "?" in it that names nothing.
std::optional<std::string> NarrowPath(const std::wstring& wide);

// The folder of the running executable, without a trailing "\\".
std::wstring ProgramFolder();
// The user's roaming application data folder ("%APPDATA%"), without a
// trailing "\\"; empty when the system names none.
std::wstring UserAppDataFolder();
// The user's local application data folder ("%LOCALAPPDATA%"), likewise.
std::wstring UserLocalAppDataFolder();

}  // namespace platform
