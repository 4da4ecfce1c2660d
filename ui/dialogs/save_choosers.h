#pragma once
// The common dialogs that ask where attachments go: a file to save one as,
// and a folder to save them all into. Both take and give wide paths, so that
// a Japanese name shows and is kept on any system locale.

#include <windows.h>

#include <string>

namespace ui {

// The Save As dialog, with `name` proposed in `folder` (the dialog's own
// choice when empty); the replacement of an existing file is asked about in
// the dialog. Empty when cancelled.
std::wstring ChooseSavePath(HWND owner, const std::wstring& name, const std::wstring& folder);

// The folder picker, opened at `folder` when it is given. Empty when
// cancelled.
std::wstring ChooseSaveFolder(HWND owner, const std::wstring& folder);

}  // namespace ui
