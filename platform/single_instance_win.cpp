#include "platform/single_instance.h"

#include <windows.h>

#include "platform/wide_win.h"

namespace platform {

SingleInstance::SingleInstance(const std::string& name) {
  const std::wstring wide = Widen(name);
  HANDLE existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, wide.c_str());
  if (existing != nullptr) {
    CloseHandle(existing);
    another_runs_ = true;
    return;
  }
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof(attributes);
  attributes.bInheritHandle = TRUE;
  attributes.lpSecurityDescriptor = nullptr;
  handle_ = CreateMutexW(&attributes, TRUE, wide.c_str());
  if (handle_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    // Created by another instance between the two calls.
    CloseHandle(handle_);
    handle_ = nullptr;
    another_runs_ = true;
  }
}

SingleInstance::~SingleInstance() {
  if (handle_ == nullptr) return;
  ReleaseMutex(handle_);
  CloseHandle(handle_);
}

}  // namespace platform
