#include "ui/dialogs/mailbox_browser.h"

#include <objbase.h>
#include <shlobj.h>

#include "mailbox/accounts.h"
#include "platform/wide_win.h"
#include "ui/ja_texts.h"
#include "ui/window.h"

namespace ui {
namespace {

// The folder's path, or empty when there is none or it cannot be held.
std::string PathOf(LPCITEMIDLIST item) {
  wchar_t path[MAX_PATH] = {};
  if (item == nullptr || !SHGetPathFromIDListW(item, path)) return {};
  return platform::NarrowPath(path).value_or(std::string());
}

}  // namespace

int CALLBACK MailboxBrowseCallback(HWND dialog, UINT message, LPARAM lparam, LPARAM data) noexcept {
  try {
    if (message == BFFM_INITIALIZED) {
      SetWindowTextW(dialog, platform::Widen(ja::kBrowseMailboxTitle).c_str());
      // On a first run the splash window is still top-most; the question
      // must not hide behind it.
      SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      const auto* initial = reinterpret_cast<const wchar_t*>(data);
      if (initial != nullptr && *initial != L'\0') {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial));
      }
    } else if (message == BFFM_SELCHANGED) {
      const bool acceptable =
          mailbox::AcceptableMailboxDir(PathOf(reinterpret_cast<LPCITEMIDLIST>(lparam)));
      SendMessageW(dialog, BFFM_ENABLEOK, 0, acceptable ? TRUE : FALSE);
    }
  } catch (...) {
    ShowCurrentError();
  }
  return 0;
}

std::string BrowseForMailbox(HWND owner, const std::string& initial_dir) {
  // The shell's dialog needs COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring initial = platform::Widen(initial_dir);
  const std::wstring title = platform::Widen(ja::kBrowseMailboxTitle);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.pidlRoot = nullptr;  // the desktop
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = &MailboxBrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(initial.c_str());
  LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
  std::string result = PathOf(chosen);
  // The OK button stays disabled for a folder whose path cannot be held; one
  // chosen anyway (typed into the dialog's box) is refused with a reason.
  if (chosen != nullptr && result.empty()) ShowErrorBox(ja::kMailboxFolderUnusable);
  if (chosen != nullptr) CoTaskMemFree(chosen);
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

}  // namespace ui
