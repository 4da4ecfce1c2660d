#include "tests/win/standin_support.h"

#include "platform/files.h"
#include "platform/wide_win.h"

namespace testing_support {
std::string StandInExePath() {
  wchar_t chosen[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"VELTRANO_STANDIN_EXE", chosen, MAX_PATH) > 0) {
    return platform::Narrow(chosen);
  }
  wchar_t buffer[MAX_PATH];
  std::wstring path(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
  path.resize(path.find_last_of(L'\\') + 1);
  return platform::Narrow(path + L"quenmar.exe");
}

StandIn::~StandIn() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    if (HWND window = FindWindowW(L"Quenmar32Class", nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 5000) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
  }
  CloseHandle(process_);
}

bool StandIn::Start(const std::string& parameters, const std::string& log_path) {
  SetEnvironmentVariableW(L"VELTRANO_STANDIN_LOG", platform::Widen(log_path).c_str());
  std::wstring command_line =
      L"\"" + platform::Widen(StandInExePath()) + L"\" " + platform::Widen(parameters);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  return true;
}

bool StandIn::WaitForExit(DWORD ms) const {
  return WaitForSingleObject(process_, ms) == WAIT_OBJECT_0;
}

bool WaitForWindow() {
  for (DWORD waited = 0; waited < kStandInWaitMs; waited += 50) {
    if (FindWindowW(L"Quenmar32Class", nullptr) != nullptr) return true;
    Sleep(50);
  }
  return false;
}

std::vector<std::string> LogLines(const std::string& log_path) {
  std::string bytes;
  platform::ReadWholeFile(log_path, bytes);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  return lines;
}

}  // namespace testing_support
