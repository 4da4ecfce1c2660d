#pragma once
// A path as the operating system spells it: UTF-16 on Windows, so that a
// folder whose name Shift-JIS cannot hold (a user called "José", a program
// folder named in Hangul) still names its files, and the native bytes on
// POSIX. It is made from what the system gives, or from a CP932 path through
// FromCp932, never by an implicit conversion; the settings file is held so.

#include <string>
#include <string_view>
#include <utility>

namespace platform {

class SystemPath {
 public:
#ifdef _WIN32
  using Native = std::wstring;
#else
  using Native = std::string;
#endif

  SystemPath() = default;
  explicit SystemPath(Native native) : native_(std::move(native)) {}
  // A path the program holds as CP932 text (on POSIX, the bytes as they are).
  static SystemPath FromCp932(std::string_view path);

  const Native& native() const { return native_; }
  bool empty() const { return native_.empty(); }
  // This folder's entry `name` (ASCII): folder + delimiter + name.
  SystemPath Join(std::string_view name) const;
  bool operator==(const SystemPath&) const = default;

 private:
  Native native_;
};

}  // namespace platform
