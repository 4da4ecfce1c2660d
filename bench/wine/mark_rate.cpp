// Marks per second to the mail-client stand-in through the program's own
// client code (HostConversation, the path of スレッドを既読にする and the
// catch-up), beside its floor measured in the same run: the bare DDE execute
// round trip, one conversation, each mark awaited. Every message of the
// folder is made unread first and each run marks its own n of them, so the
// stand-in rewrites the folder's index for every mark, in all three runs.
// A run's time ends when the stand-in has marked all of its messages (its
// index read back), not when the last command was handed over.
//
//   mark_rate QUENMAR_EXE WORK_DIR [N]     (default N 200)
//
// Both paths are Windows paths. Run it on the X display the stand-in's window
// needs, with no wineserver of the prefix left running from outside that
// display (scripts/bench-wine says how).
//
// Prints marks per second for the floor, for the marks sent as single
// commands (one conversation each, full pauses) and as one batch.

#include <windows.h>
// ddeml.h needs the types of windows.h.
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "client/client_commands.h"
#include "client/mail_client_win.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "thread/index_record.h"
#include "tools/mkmailbox/generator.h"
#include "tools/mkmailbox/index_format.h"

namespace {

constexpr int kWarmUpMarks = 20;        // sent before the floor is timed, not counted
constexpr DWORD kWindowWaitMs = 20000;  // for the stand-in's window
constexpr DWORD kMarkedWaitMs = 10000;  // for the stand-in to finish a run's marks

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

// Sets the unread bit of every record of the index at `index_path`.
bool MakeAllUnread(const std::string& index_path) {
  std::string index;
  return platform::ReadWholeFile(index_path, index) &&
         platform::ReplaceFileAtomically(index_path, mkmailbox::WithEveryRecordUnread(index));
}

// How many of the messages `names` the index at `index_path` shows read.
int CountRead(const std::string& index_path, const std::vector<std::string>& names) {
  std::string index;
  if (!platform::ReadWholeFile(index_path, index)) return 0;
  const std::set<std::string, std::less<>> wanted(names.begin(), names.end());
  int read = 0;
  thread::IndexRecords records(index);
  std::string_view line;
  while (records.Next(line)) {
    if (wanted.contains(line.substr(0, 8)) &&
        !thread::IsUnread(thread::ParseIndexRecord(line).StatusBlock)) {
      ++read;
    }
  }
  return read;
}

// Waits until the stand-in has marked all `names` read, or kMarkedWaitMs.
int WaitUntilRead(const std::string& index_path, const std::vector<std::string>& names) {
  const ULONGLONG end = GetTickCount64() + kMarkedWaitMs;
  for (;;) {
    const int read = CountRead(index_path, names);
    if (read == static_cast<int>(names.size()) || GetTickCount64() >= end) return read;
    Sleep(1);
  }
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

// Waits for the stand-in's window. A stand-in that ends first is reported at
// once. Exit code 2 is a stand-in that could not make its window: under Wine
// one started without an X display, or inside a wineserver session that began
// without one (a winepath or wine run before xvfb-run, still alive).
bool WaitForStandIn(HANDLE process) {
  for (DWORD waited = 0; FindWindowW(L"Quenmar32Class", nullptr) == nullptr; waited += 50) {
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process, &code);
      std::fprintf(stderr, "the stand-in ended (exit code %lu) before its window appeared%s\n",
                   static_cast<unsigned long>(code),
                   code == 2 ? ": it could not make its window. Start mark_rate inside xvfb-run, "
                               "with no wineserver of the prefix running from outside it "
                               "(see scripts/bench-wine)"
                             : "");
      return false;
    }
    if (waited > kWindowWaitMs) {
      std::fprintf(stderr, "no stand-in window after %lu ms\n",
                   static_cast<unsigned long>(kWindowWaitMs));
      TerminateProcess(process, 1);
      return false;
    }
  }
  return true;
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
  if (n <= 0) {
    std::fprintf(stderr, "N must be a positive number\n");
    return 2;
  }
  mkmailbox::Options options;
  options.messages_per_folder = static_cast<std::uint32_t>(kWarmUpMarks + 3 * n);
  std::string error;
  if (!mkmailbox::GenerateMailbox(options, work, error)) {
    std::fprintf(stderr, "mailbox: %s\n", error.c_str());
    return 1;
  }
  const std::string mailbox = platform::JoinPath(work, "Mailbox");
  const std::string inbox = platform::JoinPath(platform::JoinPath(mailbox, "Acc1"), "Inbox.box");
  const std::string index_path = platform::JoinPath(inbox, "Entry.lst");
  if (!MakeAllUnread(index_path)) {
    std::fprintf(stderr, "cannot rewrite %s\n", index_path.c_str());
    return 1;
  }

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
  if (!WaitForStandIn(process.hProcess)) {
    CloseHandle(process.hProcess);
    return 1;
  }

  // The warm-up's messages, then three sets of n: the floor's, the single
  // commands', the batch's.
  std::vector<std::string> warm_up;
  std::vector<std::string> names[3];
  std::vector<std::string> paths[3];
  std::vector<std::string> commands[3];
  for (int i = 0; i < kWarmUpMarks + 3 * n; ++i) {
    const std::string name = mkmailbox::MessageName(static_cast<std::uint32_t>(i + 1));
    const std::string path = platform::JoinPath(inbox, name) + ".qnm";
    const std::string command = client::MarkMailCommand(client::RelativeMailName(mailbox, path));
    if (i < kWarmUpMarks) {
      warm_up.push_back(command);
      continue;
    }
    const int set = (i - kWarmUpMarks) / n;
    names[set].push_back(name);
    paths[set].push_back(path);
    commands[set].push_back(command);
  }
  BareExecutes(warm_up);

  LARGE_INTEGER t0, t1;
  double rates[3] = {};
  int read[3] = {};
  QueryPerformanceCounter(&t0);
  BareExecutes(commands[0]);
  read[0] = WaitUntilRead(index_path, names[0]);
  QueryPerformanceCounter(&t1);
  rates[0] = n / Seconds(t0, t1);

  const client::HostCommandPace paces[2] = {client::HostCommandPace::kSingle,
                                            client::HostCommandPace::kBatch};
  for (int run = 0; run < 2; ++run) {
    client::HostConversation conversation;
    const std::function<void()> serve = ServeMessages;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i)
      conversation.Send(commands[run + 1][i], paths[run + 1][i], serve, paces[run]);
    read[run + 1] = WaitUntilRead(index_path, names[run + 1]);
    QueryPerformanceCounter(&t1);
    rates[run + 1] = n / Seconds(t0, t1);
  }

  std::printf("marks: %d per run, the time to the last one written by the stand-in\n", n);
  std::printf("floor  (bare DDE execute, acknowledged): %8.1f marks/s (%d marked)\n", rates[0],
              read[0]);
  std::printf("single (one conversation each):         %8.1f marks/s (%d marked)\n", rates[1],
              read[1]);
  std::printf("batch  (one conversation):               %8.1f marks/s (%d marked)\n", rates[2],
              read[2]);

  if (HWND window = FindWindowW(L"Quenmar32Class", nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 5000) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  return 0;
}
