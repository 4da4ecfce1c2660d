#include "ui/attachment_files.h"

#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <utility>

#include "platform/wide_win.h"
#include "ui/ja_texts.h"
#include "ui/window.h"

namespace ui {
namespace {

// Who asks the attachment services: the choices a user makes in their
// prompts ("always ask for this type") are kept under this id.
constexpr GUID kClientId = {
    0x5d3c8a41, 0x7b2e, 0x4f19, {0x9c, 0x6a, 0x31, 0xe8, 0x0b, 0x52, 0xd7, 0x94}};

// FNV-1a: tells whether a copy is still what was written.
std::uint64_t HashOf(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

// Creates `path` (which must not exist) holding `bytes`.
bool WriteNewFile(const std::wstring& path, std::string_view bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = true;
  std::size_t done = 0;
  while (written && done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD wrote = 0;
    written =
        WriteFile(file, bytes.data() + done, piece, &wrote, nullptr) != FALSE && wrote == piece;
    done += wrote;
  }
  written = CloseHandle(file) != FALSE && written;
  if (!written) DeleteFileW(path.c_str());
  return written;
}

// The whole file, opened with no sharing: false when it is gone or another
// program holds it open.
bool ReadUnshared(const std::wstring& path, std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[64 * 1024];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE && read > 0)
    bytes.append(buffer, read);
  CloseHandle(file);
  return true;
}

// Whether the file's volume keeps named streams (NTFS does; FAT, exFAT and
// some network shares do not, where a name with ":" would be refused or, on
// some systems, become a file of that name).
bool VolumeHasStreams(const std::wstring& path) {
  wchar_t root[MAX_PATH + 1] = {};
  DWORD flags = 0;
  return GetVolumePathNameW(path.c_str(), root, MAX_PATH + 1) != FALSE &&
         GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) != FALSE &&
         (flags & FILE_NAMED_STREAMS) != 0;
}

// The zone Windows gives a file from the Internet, as its own stream: what
// the attachment services write, for a Windows that offers none.
void WriteZoneStream(const std::wstring& path) {
  if (!VolumeHasStreams(path)) return;
  const std::wstring stream = path + L":Zone.Identifier";
  HANDLE file = CreateFileW(stream.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  static constexpr char kZone[] = "[ZoneTransfer]\r\nZoneId=3\r\n";
  DWORD wrote = 0;
  WriteFile(file, kZone, sizeof kZone - 1, &wrote, nullptr);
  CloseHandle(file);
}

// The attachment services for one file, or null where Windows has none. COM
// is set up for the thread by the program's start.
IAttachmentExecute* AttachmentServicesFor(const std::wstring& path, const std::wstring& name) {
  IAttachmentExecute* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AttachmentServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAttachmentExecute, reinterpret_cast<void**>(&services))) ||
      services == nullptr) {
    return nullptr;
  }
  services->SetClientGuid(kClientId);
  services->SetLocalPath(path.c_str());
  if (!name.empty()) services->SetFileName(name.c_str());
  return services;
}

// Marks the file as from the Internet (and lets a virus scanner see it).
void MarkFromInternet(const std::wstring& path) {
  IAttachmentExecute* services = AttachmentServicesFor(path, {});
  if (services == nullptr) {
    WriteZoneStream(path);
    return;
  }
  services->Save();
  services->Release();
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// A dangerous type is asked about before it runs; the file is marked first,
// so that the program that opens it knows where it came from.
bool OpenThroughServices(HWND owner, const std::wstring& path) {
  IAttachmentExecute* services = AttachmentServicesFor(path, FileNameOf(path));
  if (services == nullptr) {
    WriteZoneStream(path);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
  }
  bool open = true;
  if (services->CheckPolicy() != S_OK) {
    ATTACHMENT_ACTION action = ATTACHMENT_ACTION_CANCEL;
    open = SUCCEEDED(services->Prompt(owner, ATTACHMENT_PROMPT_EXEC, &action)) &&
           action == ATTACHMENT_ACTION_EXEC;
  }
  if (open)
    open = SUCCEEDED(services->Save()) && SUCCEEDED(services->Execute(owner, nullptr, nullptr));
  services->Release();
  return open;
}

// A new folder of its own under the temporary folder's "Veltrano".
std::wstring NewCopyFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return {};
  const std::wstring base = std::wstring(temp) + L"Veltrano";
  CreateDirectoryW(base.c_str(), nullptr);
  // Numbered from a value of this process and moment, so that two windows
  // (or two runs) seldom try the same numbers.
  const DWORD start = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (DWORD n = 0; n < 1000; ++n) {
    const std::wstring folder = base + L"\\" + std::to_wstring((start + n) % 100000000);
    if (CreateDirectoryW(folder.c_str(), nullptr) != FALSE) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

}  // namespace

AttachmentFiles::AttachmentFiles(Launcher launcher) : launcher_(std::move(launcher)) {
  if (!launcher_) launcher_ = &OpenThroughServices;
}

bool AttachmentFiles::Open(HWND owner, const std::wstring& name, std::string_view bytes) {
  const std::wstring folder = NewCopyFolder();
  const std::wstring path = folder + L"\\" + name;
  if (folder.empty() || !WriteNewFile(path, bytes)) {
    if (!folder.empty()) RemoveDirectoryW(folder.c_str());
    ShowErrorBox(ja::kAttachmentNotWritten + platform::Narrow(path));
    return false;
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  copies_.push_back({folder, path, bytes.size(), HashOf(bytes)});
  return launcher_(owner, path);
}

bool AttachmentFiles::Save(HWND, const std::wstring& path, std::string_view bytes) {
  if (!WriteNewFile(path, bytes)) {
    ShowErrorBox(ja::kAttachmentNotWritten + platform::Narrow(path));
    return false;
  }
  MarkFromInternet(path);
  return true;
}

void AttachmentFiles::RemoveCopies() {
  std::vector<Copy> kept;
  for (Copy& copy : copies_) {
    std::string bytes;
    const bool readable = ReadUnshared(copy.path, bytes);
    if (readable && (bytes.size() != copy.size || HashOf(bytes) != copy.hash)) continue;
    if (readable) {
      SetFileAttributesW(copy.path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (DeleteFileW(copy.path.c_str()) == FALSE) {
        kept.push_back(std::move(copy));
        continue;
      }
    } else if (GetFileAttributesW(copy.path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      kept.push_back(std::move(copy));  // in use now: tried again at the next removal
      continue;
    }
    RemoveDirectoryW(copy.folder.c_str());
  }
  copies_ = std::move(kept);
}

}  // namespace ui
