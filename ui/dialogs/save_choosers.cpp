#include "ui/dialogs/save_choosers.h"

#include <commdlg.h>
#include <objbase.h>
#include <shobjidl.h>

#include <vector>

#include "platform/wide_win.h"
#include "ui/ja_texts.h"

namespace ui {
namespace {

// Room for a long path: the dialog refuses a name longer than its buffer.
constexpr std::size_t kPathRoom = 32768;

// The shell item of a folder path, or null.
IShellItem* ItemOf(const std::wstring& folder) {
  IShellItem* item = nullptr;
  if (folder.empty() || FAILED(SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_IShellItem,
                                                           reinterpret_cast<void**>(&item)))) {
    return nullptr;
  }
  return item;
}

}  // namespace

std::wstring ChooseSavePath(HWND owner, const std::wstring& name, const std::wstring& folder) {
  std::vector<wchar_t> file(kPathRoom, L'\0');
  name.copy(file.data(), std::min(name.size(), kPathRoom - 1));
  OPENFILENAMEW save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = owner;
  save.lpstrFile = file.data();
  save.nMaxFile = static_cast<DWORD>(file.size());
  save.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  save.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
               OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;
  if (GetSaveFileNameW(&save) == FALSE) return {};
  return file.data();
}

std::wstring ChooseSaveFolder(HWND owner, const std::wstring& folder) {
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog)))) {
    return {};
  }
  DWORD options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(platform::Widen(ja::kAttachmentSaveAllTitle).c_str());
  if (IShellItem* start = ItemOf(folder)) {
    dialog->SetFolder(start);
    start->Release();
  }
  std::wstring chosen;
  IShellItem* result = nullptr;
  if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&result))) {
    wchar_t* path = nullptr;
    if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path != nullptr) {
      chosen = path;
      CoTaskMemFree(path);
    }
    result->Release();
  }
  dialog->Release();
  return chosen;
}

}  // namespace ui
