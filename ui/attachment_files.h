#pragma once
// Attachments handed to Windows. An attachment opened is written as a
// read-only copy into a new folder of its own under the user's temporary
// folder (two attachments of one name never meet, and a program cannot save
// over the copy unawares), then given to Windows' attachment services
// (IAttachmentExecute), as Windows' own mail programs do: the file gets the
// Mark of the Web, a dangerous type is asked about, and the default program
// opens it. A saved attachment gets the Mark of the Web too. At exit a copy
// is removed only when it is unchanged and no program holds it open: a copy
// the user edited, or one still open in its program, stays.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui {

class AttachmentFiles {
 public:
  // Opens a written copy for the user; false when it was not opened (the user
  // declined, no program takes it). Empty: through the attachment services,
  // or ShellExecuteW where Windows offers none.
  using Launcher = std::function<bool(HWND owner, const std::wstring& path)>;

  explicit AttachmentFiles(Launcher launcher = {});
  ~AttachmentFiles() { RemoveCopies(); }
  AttachmentFiles(const AttachmentFiles&) = delete;
  AttachmentFiles& operator=(const AttachmentFiles&) = delete;

  void SetLauncher(Launcher launcher) { launcher_ = std::move(launcher); }

  // Writes `bytes` as `name` (a safe file name) into a new folder and opens
  // it. False, the reason shown, when the copy cannot be written.
  bool Open(HWND owner, const std::wstring& name, std::string_view bytes);

  // Writes `bytes` to `path`, a file that must not exist yet (the caller asks
  // before replacing one and removes it), and marks it as from the Internet.
  // False, the reason shown, when it cannot be written.
  static bool Save(HWND owner, const std::wstring& path, std::string_view bytes);

  // Removes each copy that is unchanged and not in use, with its folder.
  void RemoveCopies();

 private:
  struct Copy {
    std::wstring folder;
    std::wstring path;
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
  };
  Launcher launcher_;
  std::vector<Copy> copies_;
};

}  // namespace ui
