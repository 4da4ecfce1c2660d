#include "client/mail_client_win.h"

#include <shellapi.h>

#include <vector>

#include "client/quenmar_interface.h"
#include "platform/files.h"
#include "platform/wide_win.h"

namespace client {

bool ClientRunning() {
  return FindWindowW(platform::Widen(kClientWindowClass).c_str(), nullptr) != nullptr;
}

DdeHostChannel::~DdeHostChannel() { Close(); }

bool DdeHostChannel::OpenAndExecute(const std::string& command) {
  Close();
  // The ANSI DDE functions on purpose: the client is an ANSI program and must get
  // the command's Shift-JIS bytes exactly; a Unicode conversation would have the
  // system convert the text between the two sides with the ANSI code page.
  if (DdeInitializeA(&instance_, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
    instance_ = 0;
    return false;
  }
  const std::string service_name(kDdeService);
  const std::string topic_name(kDdeTopic);
  HSZ service = DdeCreateStringHandleA(instance_, service_name.c_str(), CP_WINANSI);
  HSZ topic = DdeCreateStringHandleA(instance_, topic_name.c_str(), CP_WINANSI);
  if (service != nullptr && topic != nullptr) {
    conversation_ = DdeConnect(instance_, service, topic, nullptr);
  }
  if (service != nullptr) DdeFreeStringHandle(instance_, service);
  if (topic != nullptr) DdeFreeStringHandle(instance_, topic);
  if (conversation_ == nullptr) {
    Close();
    return false;
  }
  Pause(kConnectPauseMs);
  std::vector<BYTE> bytes(command.begin(), command.end());
  bytes.push_back(0);
  DWORD result = 0;
  DdeClientTransaction(bytes.data(), static_cast<DWORD>(bytes.size()), conversation_, nullptr,
                       CF_TEXT, XTYP_EXECUTE, TIMEOUT_ASYNC, &result);
  return true;
}

void DdeHostChannel::Close() {
  if (conversation_ != nullptr) {
    // The execute was sent without waiting for its answer; abandon it first, or
    // the disconnect waits for an acknowledgement nobody pumps messages for.
    DdeAbandonTransaction(instance_, conversation_, 0);
    DdeDisconnect(conversation_);
  }
  conversation_ = nullptr;
  if (instance_ != 0) DdeUninitialize(instance_);
  instance_ = 0;
}

void DdeHostChannel::Pause(int ms) { Sleep(static_cast<DWORD>(ms)); }

std::int64_t DdeHostChannel::NowMs() { return static_cast<std::int64_t>(GetTickCount64()); }

bool DdeHostChannel::FileExists(const std::string& path) { return platform::FileExists(path); }

bool DdeHostChannel::CanOpenForReading(const std::string& path) {
  return platform::CanOpenForReading(path);
}

ShellClientSystem::ShellClientSystem(HWND owner, std::function<void()> pump)
    : owner_(owner), pump_(std::move(pump)) {}

void ShellClientSystem::Launch(const std::string& exe_path, const std::string& parameters) {
  const std::wstring file = platform::Widen(exe_path);
  const std::wstring arguments = platform::Widen(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner_;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = arguments.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info) && info.hProcess != nullptr) CloseHandle(info.hProcess);
}

bool ShellClientSystem::RaiseWindowTitled(std::string_view title) {
  HWND window = FindWindowW(nullptr, platform::Widen(title).c_str());
  if (window == nullptr) return false;
  SetForegroundWindow(window);
  return true;
}

void ShellClientSystem::PauseAndPump(int ms) {
  Sleep(static_cast<DWORD>(ms));
  if (pump_) pump_();
}

}  // namespace client
