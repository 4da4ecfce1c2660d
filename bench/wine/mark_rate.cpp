// Marks per second to the mail-client stand-in through the program's own
// client code (HostConversation, the path of スレッドを既読にする and the
// catch-up), beside its floor measured in the same run: the bare DDE execute
// round trip, one conversation, each mark awaited. Each run marks its own
// unread message files, so the stand-in does the same work in all three.
//
//   mark_rate QUENMAR_EXE WORK_DIR [N]     (default N 200)
//
// Prints marks per second for the floor, for the marks sent as single
// commands (one conversation each, full pauses) and as one batch.

#include <windows.h>
// ddeml.h needs the types of windows.h.
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "client/client_commands.h"
#include "client/mail_client_win.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "tools/mkmailbox/generator.h"
#include "tools/mkmailbox/index_format.h"

namespace {

void ServeMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// The floor: each command executed and acknowledged on one conversation.
int BareExecutes(const std::vector<std::string>& commands) {
  DWORD instance = 0;
  if (DdeInitializeA(&instance, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 0;
  HSZ service = DdeCreateStringHandleA(instance, "QUENMAR32", CP_WINANSI);
  HSZ topic = DdeCreateStringHandleA(instance, "*", CP_WINANSI);
  int done = 0;
  if (HCONV conversation = DdeConnect(instance, service, topic, nullptr)) {
    for (const std::string& command : commands) {
      std::vector<BYTE> bytes(command.begin(), command.end());
      bytes.push_back(0);
      DWORD result = 0;
      if (DdeClientTransaction(bytes.data(), static_cast<DWORD>(bytes.size()), conversation,
                               nullptr, CF_TEXT, XTYP_EXECUTE, 10000, &result) != nullptr) {
        ++done;
      }
    }
    DdeDisconnect(conversation);
  }
  DdeFreeStringHandle(instance, service);
  DdeFreeStringHandle(instance, topic);
  DdeUninitialize(instance);
  return done;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: mark_rate QUENMAR_EXE WORK_DIR [N]\n");
    return 2;
  }
  const std::string exe = argv[1];
  const std::string work = argv[2];
  const int n = argc > 3 ? std::atoi(argv[3]) : 200;
  mkmailbox::Options options;
  options.messages_per_folder = static_cast<std::uint32_t>(3 * n);
  std::string error;
  if (!mkmailbox::GenerateMailbox(options, work, error)) {
    std::fprintf(stderr, "mailbox: %s\n", error.c_str());
    return 1;
  }
  const std::string mailbox = platform::JoinPath(work, "Mailbox");
  const std::string inbox = platform::JoinPath(platform::JoinPath(mailbox, "Acc1"), "Inbox.box");

  SetEnvironmentVariableW(L"VELTRANO_STANDIN_LOG",
                          platform::Widen(platform::JoinPath(work, "standin.log")).c_str());
  std::wstring command_line =
      L"\"" + platform::Widen(exe) + L"\" /account:\"x\" \"" + platform::Widen(work) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "cannot start %s\n", exe.c_str());
    return 1;
  }
  CloseHandle(process.hThread);
  for (int waited = 0; FindWindowW(L"Quenmar32Class", nullptr) == nullptr; waited += 50) {
    if (waited > 20000) {
      std::fprintf(stderr, "no stand-in window\n");
      TerminateProcess(process.hProcess, 1);
      return 1;
    }
    Sleep(50);
  }

  // Three sets of n messages: the floor's, the single commands', the batch's.
  std::vector<std::string> paths[3];
  std::vector<std::string> commands[3];
  for (int i = 0; i < 3 * n; ++i) {
    const std::string path =
        platform::JoinPath(inbox, mkmailbox::MessageName(static_cast<std::uint32_t>(i + 1))) +
        ".qnm";
    paths[i / n].push_back(path);
    commands[i / n].push_back(client::MarkMailCommand(client::RelativeMailName(mailbox, path)));
  }

  LARGE_INTEGER t0, t1;
  QueryPerformanceCounter(&t0);
  const int floor_done = BareExecutes(commands[0]);
  QueryPerformanceCounter(&t1);
  const double floor_rate = floor_done / Seconds(t0, t1);

  double rates[2] = {};
  int released[2] = {};
  const client::HostCommandPace paces[2] = {client::HostCommandPace::kSingle,
                                            client::HostCommandPace::kBatch};
  for (int run = 0; run < 2; ++run) {
    client::HostConversation conversation;
    const std::function<void()> serve = ServeMessages;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) {
      if (conversation.Send(commands[run + 1][i], paths[run + 1][i], serve, paces[run]) ==
          client::HostCommandResult::kReleased) {
        ++released[run];
      }
    }
    QueryPerformanceCounter(&t1);
    rates[run] = n / Seconds(t0, t1);
  }

  std::printf("marks: %d per run\n", n);
  std::printf("floor  (bare DDE execute, acknowledged): %8.1f marks/s (%d acknowledged)\n",
              floor_rate, floor_done);
  std::printf("single (one conversation each):         %8.1f marks/s (%d released)\n", rates[0],
              released[0]);
  std::printf("batch  (one conversation, short pauses): %8.1f marks/s (%d released)\n", rates[1],
              released[1]);

  if (HWND window = FindWindowW(L"Quenmar32Class", nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 5000) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  return 0;
}
