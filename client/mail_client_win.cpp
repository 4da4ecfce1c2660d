#include "client/mail_client_win.h"

#include <shellapi.h>

#include <atomic>
#include <memory>
#include <optional>
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

std::int64_t TickNow() { return static_cast<std::int64_t>(GetTickCount64()); }

// Runs the messages of this thread.
void ServeMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Runs the messages of this thread for `ms` milliseconds.
void ServeMessagesFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    ServeMessages();
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

// How long a batch's conversation stays open without a command.
constexpr DWORD kBatchIdleCloseMs = 200;

HWND FindClientWindow() {
  return FindWindowW(platform::Widen(kClientWindowClass).c_str(), nullptr);
}

// The caller's side of a command: waits for the thread's signal or the serve
// interval, whichever comes first, then serves the caller's windows.
class ServingWait final : public CallerWait {
 public:
  ServingWait(HANDLE finished, const std::function<void()>& serve)
      : finished_(finished), serve_(serve) {}
  std::int64_t NowMs() override { return TickNow(); }
  void WaitAndServe(int ms) override {
    MsgWaitForMultipleObjects(1, &finished_, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
    if (serve_) serve_();
  }

 private:
  HANDLE finished_;
  const std::function<void()>& serve_;
};

}  // namespace

// What the caller and the conversation thread share. The thread keeps it
// alive as long as it runs, also after the HostConversation went.
struct HostConversation::Shared {
  HostCommandQueue queue;
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);      // a command was queued
  HANDLE finished = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // a command is over
  std::atomic<bool> stopping{false};
  ~Shared() {
    if (wake != nullptr) CloseHandle(wake);
    if (finished != nullptr) CloseHandle(finished);
  }
};

// The conversation thread: one DDEML instance for its whole life, one
// command at a time. While it waits for work it serves its messages: its DDE
// windows are top-level and must answer other programs' broadcasts.
void HostConversation::Run(const std::shared_ptr<Shared>& shared) {
  DdeHostChannel channel;
  while (!shared->stopping) {
    while (const std::optional<HostCommandQueue::Job> job = shared->queue.Take()) {
      HostCommandResult result = HostCommandResult::kNotSent;
      try {
        channel.SetGate(job->send_by_ms,
                        [&] { return shared->queue.StartSending(job->ticket, TickNow()); });
        result = SendHostCommand(channel, job->command, job->message_path, job->pace);
      } catch (...) {
        channel.Close();
      }
      shared->queue.Finish(job->ticket, result);
      SetEvent(shared->finished);
    }
    // A batch's conversation stays open while its next command follows soon;
    // once none came for a while the batch is over.
    const DWORD waited = MsgWaitForMultipleObjects(
        1, &shared->wake, FALSE, channel.IsOpen() ? kBatchIdleCloseMs : INFINITE, QS_ALLINPUT);
    if (waited == WAIT_TIMEOUT) channel.Close();
    ServeMessages();
  }
}

ClientState ClientStatus() {
  HWND window = FindClientWindow();
  if (window == nullptr) return ClientState::kNotRunning;
  return IsHungAppWindow(window) ? ClientState::kHung : ClientState::kRunning;
}

HostConversation::HostConversation() : shared_(std::make_shared<Shared>()) {}

HostConversation::~HostConversation() {
  shared_->stopping = true;
  if (shared_->wake != nullptr) SetEvent(shared_->wake);
}

HostCommandResult HostConversation::Send(const std::string& command,
                                         const std::string& message_path,
                                         const std::function<void()>& serve, HostCommandPace pace) {
  if (shared_->wake == nullptr || shared_->finished == nullptr) return HostCommandResult::kNotSent;
  if (!started_) {
    try {
      std::thread([shared = shared_] { Run(shared); }).detach();
    } catch (...) {
      return HostCommandResult::kNotSent;
    }
    started_ = true;
  }
  const HostCommandQueue::Ticket ticket =
      shared_->queue.Submit(command, message_path, TickNow(), pace);
  SetEvent(shared_->wake);
  ServingWait wait(shared_->finished, serve);
  return AwaitHostCommand(shared_->queue, ticket, wait);
}

DdeHostChannel::DdeHostChannel() { Initialize(); }

void DdeHostChannel::Initialize() {
  // The ANSI DDE functions on purpose: the client is an ANSI program and must get
  // the command's Shift-JIS bytes exactly; a Unicode conversation would have the
  // system convert the text between the two sides with the ANSI code page.
  // A non-zero instance would ask DDEML to change that instance instead.
  instance_ = 0;
  if (DdeInitializeA(&instance_, &NoNotifications, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS,
                     0) != DMLERR_NO_ERROR) {
    instance_ = 0;
  }
}

bool DdeHostChannel::Connected() const {
  CONVINFO info{};
  info.cb = sizeof info;
  return DdeQueryConvInfo(conversation_, QID_SYNC, &info) != 0 &&
         (info.wStatus & ST_CONNECTED) != 0;
}

DdeHostChannel::~DdeHostChannel() {
  Close();
  if (instance_ != 0) DdeUninitialize(instance_);
}

void DdeHostChannel::SetGate(std::int64_t send_by_ms, std::function<bool()> may_send) {
  send_by_ms_ = send_by_ms;
  may_send_ = std::move(may_send);
}

// A busy client is waited for until it answers; one that Windows flags as
// hung, or that stays busy past the deadline, is not: opening a conversation
// with it would only wait on it.
bool DdeHostChannel::ClientAnswersBy(std::int64_t send_by_ms) {
  HWND window = FindClientWindow();
  const std::int64_t left = send_by_ms - NowMs();
  if (window == nullptr || left <= 0) return false;
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(left),
                             &answer) != 0;
}

ExecuteResult DdeHostChannel::OpenAndExecute(const std::string& command, bool reuse,
                                             int answer_wait_ms) {
  if (reuse && conversation_ != nullptr) {
    // A client that ended the conversation (it exited or started again since
    // the last command) has posted its end: served, it tells whether the
    // conversation still stands.
    ServeMessages();
    if (!Connected()) Close();
  }
  if (!reuse) Close();
  if (instance_ == 0) return ExecuteResult::kNotSent;
  if (!ClientAnswersBy(send_by_ms_ >= 0 ? send_by_ms_ : NowMs() + kConnectLimitMs)) {
    Close();
    return ExecuteResult::kNotSent;
  }
  if (conversation_ != nullptr) return Execute(command, answer_wait_ms);
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
    return ExecuteResult::kNotSent;
  }
  Pause(kConnectPauseMs);
  return Execute(command, answer_wait_ms);
}

ExecuteResult DdeHostChannel::Execute(const std::string& command, int answer_wait_ms) {
  if (may_send_ && !may_send_()) {
    Close();
    return ExecuteResult::kNotSent;
  }
  std::vector<BYTE> bytes(command.begin(), command.end());
  bytes.push_back(0);
  const DWORD size = static_cast<DWORD>(bytes.size());
  DWORD transaction = 0;
  if (answer_wait_ms <= 0) {
    if (DdeClientTransaction(bytes.data(), size, conversation_, nullptr, CF_TEXT, XTYP_EXECUTE,
                             TIMEOUT_ASYNC, &transaction) == nullptr) {
      Close();
      return ExecuteResult::kNotSent;
    }
    return ExecuteResult::kSent;
  }
  // Awaited: DDEML serves this thread's messages until the answer comes.
  if (DdeClientTransaction(bytes.data(), size, conversation_, nullptr, CF_TEXT, XTYP_EXECUTE,
                           static_cast<DWORD>(answer_wait_ms), &transaction) != nullptr) {
    return ExecuteResult::kAnswered;
  }
  switch (DdeGetLastError(instance_)) {
    case DMLERR_NOTPROCESSED:
    case DMLERR_BUSY:
      return ExecuteResult::kAnswered;
    case DMLERR_EXECACKTIMEOUT:
      return ExecuteResult::kUnanswered;
    default:
      Close();
      return ExecuteResult::kNotSent;
  }
}

void DdeHostChannel::Close() {
  if (conversation_ == nullptr) return;
  // A single command's execute was sent without waiting for its answer;
  // abandon it first, or the disconnect waits for an acknowledgement nobody
  // pumps messages for.
  DdeAbandonTransaction(instance_, conversation_, 0);
  // A conversation the client ended cannot be disconnected: Wine's DDEML then
  // keeps it, and refuses every later conversation with the same service and
  // topic ("already exists") for as long as the instance lives. A new
  // instance forgets it.
  if (!DdeDisconnect(conversation_)) {
    DdeUninitialize(instance_);
    Initialize();
  }
  conversation_ = nullptr;
}

void DdeHostChannel::Pause(int ms) { ServeMessagesFor(static_cast<DWORD>(ms)); }

std::int64_t DdeHostChannel::NowMs() { return TickNow(); }

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
  info.lpVerb = client::kShellVerb;
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
