#pragma once
// Where Windows keeps a 32-bit program's own copy of a folder it may not
// write. UAC virtualisation (a 32-bit program whose manifest names no
// execution level, run by a standard user) sends that program's writes into a
// protected folder of the system drive ("Program Files", the Windows folder,
// ProgramData) to "%LOCALAPPDATA%\VirtualStore\" + the path without its
// drive, and shows it the copy there instead of the original. The 32-bit mail
// client is such a program: a mailbox under "Program Files" that it has
// written lives partly in the VirtualStore, and only a 32-bit program sees it
// whole. A 64-bit program is never virtualised and reads the stale original.

#include <string>
#include <string_view>

namespace mailbox {

struct VirtualStoreCopy {
  std::string Path;           // the copy's folder; empty when there can be none
  const char* Why = nullptr;  // why there can be none
};

// The VirtualStore folder of `mailbox_dir` under `local_app_data` (both
// Windows paths, CP932, without a trailing "\"). None for a network or device
// path, a path that is not a full one on a drive, a drive's root, or a path
// on another drive than the local application data's (the system drive's).
// Whether the copy exists is for the caller to ask.
VirtualStoreCopy VirtualStorePath(std::string_view mailbox_dir, std::string_view local_app_data);

}  // namespace mailbox
