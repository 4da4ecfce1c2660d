#include "client/mail_client_win.h"

#include <shellapi.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "client/quenmar_interface.h"
#include "platform/files.h"
#include "platform/wide_win.h"

namespace client {

namespace {

// The client side of a conversation needs no notifications; DDEML still wants
// a callback to call.
HDDEDATA CALLBACK NoNotifications(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR,
                                  ULONG_PTR) noexcept {
  return nullptr;
}

// Runs the messages of this thread for `ms` milliseconds.
void ServeMessagesFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

// What a command sent beside the caller shares with its thread. The thread
// keeps it alive as long as it runs, also when the caller stopped waiting.
// `stage` goes from kOpening to kSent (the thread, about to send) or to
// kGivenUp (the caller, tired of waiting), never both.
struct BesideCommand {
  enum Stage { kOpening, kSent, kGivenUp };
  std::string command;
  std::string message_path;
  std::atomic<int> stage{kOpening};
  HostCommandResult result = HostCommandResult::kNotSent;
  HANDLE done = nullptr;
  ~BesideCommand() {
    if (done != nullptr) CloseHandle(done);
  }
};

}  // namespace

ClientState ClientStatus() {
  HWND window = FindWindowW(platform::Widen(kClientWindowClass).c_str(), nullptr);
  if (window == nullptr) return ClientState::kNotRunning;
  DWORD_PTR answer = 0;
  const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                            kClientAnswerMs, &answer) != 0;
  return answered ? ClientState::kRunning : ClientState::kHung;
}

HostCommandResult SendHostCommandBeside(const std::string& command, const std::string& message_path,
                                        const std::function<void()>& serve) {
  auto job = std::make_shared<BesideCommand>();
  job->command = command;
  job->message_path = message_path;
  job->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (job->done == nullptr) return HostCommandResult::kNotSent;
  std::thread([job] {
    try {
      DdeHostChannel channel([&job] {
        int opening = BesideCommand::kOpening;
        return job->stage.compare_exchange_strong(opening, BesideCommand::kSent);
      });
      job->result = SendHostCommand(channel, job->command, job->message_path);
    } catch (...) {
      job->result = HostCommandResult::kNotSent;
    }
    SetEvent(job->done);
  }).detach();
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    const DWORD waited =
        MsgWaitForMultipleObjects(1, &job->done, FALSE, kServeIntervalMs, QS_ALLINPUT);
    if (waited == WAIT_OBJECT_0) return job->result;
    if (serve) serve();
    const ULONGLONG elapsed = GetTickCount64() - start;
    int opening = BesideCommand::kOpening;
    if (elapsed >= kConnectLimitMs &&
        job->stage.compare_exchange_strong(opening, BesideCommand::kGivenUp)) {
      return HostCommandResult::kNotSent;
    }
    if (elapsed >= kConnectLimitMs + kSentLimitMs) return HostCommandResult::kTimedOut;
  }
}

DdeHostChannel::~DdeHostChannel() { Close(); }

bool DdeHostChannel::OpenAndExecute(const std::string& command) {
  Close();
  // The ANSI DDE functions on purpose: the client is an ANSI program and must get
  // the command's Shift-JIS bytes exactly; a Unicode conversation would have the
  // system convert the text between the two sides with the ANSI code page.
  if (DdeInitializeA(&instance_, &NoNotifications, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS,
                     0) != DMLERR_NO_ERROR) {
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
  if (may_send_ && !may_send_()) {
    Close();
    return false;
  }
  std::vector<BYTE> bytes(command.begin(), command.end());
  bytes.push_back(0);
  DWORD transaction = 0;
  if (DdeClientTransaction(bytes.data(), static_cast<DWORD>(bytes.size()), conversation_, nullptr,
                           CF_TEXT, XTYP_EXECUTE, TIMEOUT_ASYNC, &transaction) == nullptr) {
    Close();
    return false;
  }
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

void DdeHostChannel::Pause(int ms) { ServeMessagesFor(static_cast<DWORD>(ms)); }

std::int64_t DdeHostChannel::NowMs() { return static_cast<std::int64_t>(GetTickCount64()); }

bool DdeHostChannel::FileExists(const std::string& path) { return platform::FileExists(path); }

bool DdeHostChannel::CanOpenForReading(const std::string& path) {
  return platform::CanOpenForReading(path);
}

ShellClientSystem::ShellClientSystem(HWND owner, std::function<void()> pump,
                                     std::function<bool()> closing)
    : owner_(owner), pump_(std::move(pump)), closing_(std::move(closing)) {}

bool ShellClientSystem::Launch(const std::string& exe_path, const std::string& parameters) {
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
  // SEE_MASK_FLAG_NO_UI: the shell shows no box of its own; the caller says
  // what failed.
  if (!ShellExecuteExW(&info)) return false;
  if (info.hProcess != nullptr) CloseHandle(info.hProcess);
  return true;
}

bool ShellClientSystem::RaiseWindowTitled(std::string_view title) {
  HWND window = FindWindowW(nullptr, platform::Widen(title).c_str());
  if (window == nullptr) return false;
  SetForegroundWindow(window);
  return true;
}

bool ShellClientSystem::PauseAndPump(int ms) {
  Sleep(static_cast<DWORD>(ms));
  if (pump_) pump_();
  return !closing_ || !closing_();
}

}  // namespace client
