#include "tests/win/ui_support.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <fstream>

#include "platform/files.h"
#include "platform/wide_win.h"
#include "tests/win/standin_support.h"
#include "tests/win/ui_dialog_support.h"
#include "thread/thread_node.h"
#include "tools/mkmailbox/generator.h"
#include "ui/main_commands.h"
#include "viewer/text_lines.h"

namespace uitest {
namespace {

DuringPump* g_during = nullptr;

// The mailbox of the SharedMailbox suites, removed when the run ends.
UiFixture* g_shared = nullptr;

class SharedMailboxEnvironment : public ::testing::Environment {
 public:
  void TearDown() override {
    delete g_shared;
    g_shared = nullptr;
  }
};

::testing::Environment* const g_shared_environment =
    ::testing::AddGlobalTestEnvironment(new SharedMailboxEnvironment);

}  // namespace

UiFixture& SharedMailbox::Shared() {
  if (g_shared == nullptr) g_shared = new UiFixture();
  return *g_shared;
}

void Pump(int ms) {
  const DWORD start = GetTickCount();
  MSG message{};
  while (GetTickCount() - start < static_cast<DWORD>(ms)) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;  // a destroyed main window's quit
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

bool Settle(int timeout_ms) {
  return PumpUntil(
      [] {
        MSG message{};
        return PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) == FALSE;
      },
      timeout_ms);
}

bool PumpUntil(const std::function<bool()>& done, int timeout_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeout_ms)) return done();
    Pump(5);
  }
  return true;
}

DuringPump::DuringPump(std::function<bool()> action) : action_(std::move(action)) {
  g_during = this;
  timer_ = SetTimer(nullptr, 0, 5, &DuringPump::Tick);
}

DuringPump::~DuringPump() {
  KillTimer(nullptr, timer_);
  g_during = nullptr;
}

void CALLBACK DuringPump::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_during == nullptr || g_during->done_) return;
  g_during->done_ = g_during->action_();
}

void PressKey(HWND control, WORD virtual_key) {
  const UINT scan = MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  PostMessageW(control, WM_KEYDOWN, virtual_key, down);
  PostMessageW(control, WM_KEYUP, virtual_key, down | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

void TypeChar(HWND control, wchar_t character) {
  PostMessageW(control, WM_CHAR, character, 1);
}

RecordingMailClient::RecordingMailClient() : WindowsMailClientLink([] { Pump(1); }) {}

client::HostCommandResult RecordingMailClient::SendHostCommand(const std::string& command,
                                                               const std::string& message_path,
                                                               client::HostCommandPace pace) {
  Commands.push_back(command);
  if (OnCommand) OnCommand();
  Results.push_back(WindowsMailClientLink::SendHostCommand(command, message_path, pace));
  return Results.back();
}

UiFixture::UiFixture(const MailboxOptions& options) : mailbox_dir_(dir_.Join("Mailbox")) {
  SetDefaults();
  // The window's full-text index goes to the user's local application data: here the
  // fixture's own folder, gone with it.
  wchar_t previous[MAX_PATH + 1] = L"";
  if (GetEnvironmentVariableW(L"LOCALAPPDATA", previous, MAX_PATH + 1) <= MAX_PATH) {
    previous_local_app_data_ = previous;
  }
  SetEnvironmentVariableW(L"LOCALAPPDATA", platform::Widen(dir_.Join("LocalAppData")).c_str());
  dir_.WriteFile("Veltra.ini", "[Property]\r\nMailbox=\"" + MailboxDir() +
                                   "\"\r\nQuenmar32=" + testing_support::StandInExePath() + "\r\n");
  previous_error_hook_ =
      ui::SetErrorBoxHook([this](const std::string& text) { Errors.push_back(text); });
  mkmailbox::Options generate;
  generate.seed = 7;
  generate.messages_per_folder = options.messages_per_folder;
  generate.big_folder_messages = options.big_folder_messages;
  std::string error;
  if (!mkmailbox::GenerateMailbox(generate, dir_.path(), error)) {
    ADD_FAILURE() << "mailbox not generated: " << error;
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
    if (entry.is_directory()) saved_dirs_.push_back(entry.path());
    if (!entry.is_regular_file()) continue;
    SavedFile& file = saved_[entry.path()];
    platform::ReadWholeFile(entry.path().string(), file.bytes);
    file.written = entry.last_write_time();
  }
}

UiFixture::~UiFixture() {
  Stop();
  SetEnvironmentVariableW(L"LOCALAPPDATA", previous_local_app_data_.empty()
                                               ? nullptr
                                               : previous_local_app_data_.c_str());
  ui::SetErrorBoxHook(std::move(previous_error_hook_));
}

void UiFixture::Start() {
  ui::MainFormEnvironment environment;
  environment.SettingsPath = platform::SystemPath::FromCp932(SettingsPath());
  environment.ReadRegistry = ReadRegistry;
  environment.BrowseForMailbox = BrowseForMailbox;
  environment.MailClient = &MailClient;
  environment.NkfLibrary = NkfLibrary;
  environment.FullTextIndex = FullTextIndex;
  environment.RemoveSplash = RemoveSplash;
  environment.LocalAppData = LocalAppData;
  environment.MessageHook = [this](const std::string& text) { Messages.push_back(text); };
  main_ = std::make_unique<ui::TVtFormMain>(std::move(environment));
  main_->Show(SW_SHOW);
  Settle();
}

void UiFixture::Stop() {
  main_.reset();
  Settle();
}

void UiFixture::Restore() {
  Stop();
  // Files and directories made since go; changed files are written back (a
  // rewrite changes the time, which is kept for the next comparison); removed
  // ones come back.
  std::vector<std::filesystem::path> added;
  std::map<std::filesystem::path, bool> seen;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
    if (entry.is_directory() &&
        std::find(saved_dirs_.begin(), saved_dirs_.end(), entry.path()) == saved_dirs_.end()) {
      added.push_back(entry.path());
    }
    if (!entry.is_regular_file()) continue;
    const auto saved = saved_.find(entry.path());
    if (saved == saved_.end()) {
      added.push_back(entry.path());
      continue;
    }
    seen[entry.path()] = entry.last_write_time() == saved->second.written &&
                         entry.file_size() == saved->second.bytes.size();
  }
  for (const std::filesystem::path& path : added) std::filesystem::remove_all(path);
  for (auto& [path, file] : saved_) {
    const auto found = seen.find(path);
    if (found != seen.end() && found->second) continue;
    EXPECT_TRUE(platform::ReplaceFileAtomically(path.string(), file.bytes)) << path.string();
    file.written = std::filesystem::last_write_time(path);
  }
  Messages.clear();
  Errors.clear();
  MailClient.Commands.clear();
  MailClient.Results.clear();
  MailClient.Urls.clear();
  MailClient.OnCommand = nullptr;
  SetDefaults();
  // A test that set a box hook of its own and stopped half-way left it in place.
  ui::SetErrorBoxHook([this](const std::string& text) { Errors.push_back(text); });
}

void UiFixture::SetDefaults() {
  BrowseForMailbox = [](const std::string&) { return std::string(); };
  ReadRegistry = [] { return std::string(); };
  RemoveSplash = nullptr;
  NkfLibrary = L"NKF32.DLL";
  FullTextIndex = false;
  LocalAppData = dir_.Join("local");
}

std::string UiFixture::FolderPath(int folder) const {
  return main_->Folders()[static_cast<std::size_t>(folder)].Path;
}

void UiFixture::SelectFolderWithKeys(int folder) {
  HWND list = main_->FolderList().ListBoxF().hwnd();
  SetFocus(list);
  while (SelectedFolder() != folder) {
    PressKey(list, SelectedFolder() < folder ? VK_DOWN : VK_UP);
    Settle();
  }
  WaitForFolder(folder);
}

bool UiFixture::WaitForFolder(int folder, int timeout_ms) {
  return PumpUntil(
      [&] {
        return !main_->TimerKeyWaitRunning() && !main_->Loading() &&
               main_->CurrentFolderIndex() == folder;
      },
      timeout_ms);
}

void UiFixture::Command(const char* name) {
  const int id = ui::MainCommands().IdOf(name);
  EXPECT_NE(id, 0) << name;
  SendMessageW(main_->hwnd(), WM_COMMAND, MAKEWPARAM(id, 1), 0);
  Settle();
}

LONG RichEditPosition(const std::string& text, std::size_t byte) {
  const std::string prefix = text.substr(0, byte);
  LONG line_ends = 0;
  for (std::size_t at = prefix.find("\r\n"); at != std::string::npos;
       at = prefix.find("\r\n", at + 2)) {
    ++line_ends;
  }
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, prefix.data(), static_cast<int>(prefix.size()), nullptr, 0);
  return static_cast<LONG>(units) - line_ends;
}

void ClickText(UiFixture& fixture, const viewer::Link& link) {
  HWND view = fixture.Viewer().BigView();
  const std::string text = viewer::JoinLines(fixture.Viewer().View().Lines);
  const LONG position = RichEditPosition(text, link.start) + 1;
  SendMessageW(view, EM_SETSEL, position, position);
  SendMessageW(view, EM_SCROLLCARET, 0, 0);
  POINTL point{};
  SendMessageW(view, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), position);
  const LPARAM at = MAKELPARAM(point.x + 1, point.y + 3);
  SendMessageW(view, WM_MOUSEMOVE, 0, at);
  SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(view, WM_LBUTTONUP, 0, at);
  Settle();
}

std::vector<int> UnreadRows(UiFixture& fixture) {
  std::vector<int> rows;
  for (int row = 0; row < fixture.RowCount(); ++row) {
    if (fixture.RowShowsUnread(row)) rows.push_back(row);
  }
  return rows;
}

thread::ThreadNode& RowNode(UiFixture& fixture, int row) {
  return *fixture.Main().ThreadList().View().Shown()[static_cast<std::size_t>(row)];
}

void Open(UiFixture& fixture, int row) {
  fixture.Main().SelectRow(row, true);
  TypeChar(fixture.Main().ThreadList().ListViewMail().hwnd(), 13);
  Settle();
}

void PressWith(UiFixture& fixture, std::vector<BYTE> keys, WORD key) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  for (BYTE held : keys) state[held] = 0x80;
  SetKeyboardState(state);
  PressKey(fixture.Viewer().BigView(), key);
  Settle();
  for (BYTE held : keys) state[held] = 0;
  SetKeyboardState(state);
  Settle();
}

const thread::ThreadNode* PlainTextMessage(UiFixture& fixture) {
  for (int row = 0; row < fixture.RowCount(); ++row) {
    const thread::ThreadNode& node = RowNode(fixture, row);
    std::ifstream file(std::string(node.FilePath.str()), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    const std::string head = bytes.substr(0, bytes.find("\r\n\r\n"));
    if (head.find("base64") == std::string::npos &&
        head.find("quoted-printable") == std::string::npos &&
        head.find("multipart") == std::string::npos) {
      return &node;
    }
  }
  return nullptr;
}

void AskSearchAll(UiFixture& fixture, const std::wstring& text, const std::function<void()>& then) {
  const std::size_t steps = RunWithSteps(
      [&] {
        SendMessageW(fixture.Main().hwnd(), WM_COMMAND,
                     MAKEWPARAM(ui::MainCommands().IdOf("mSearchAll"), 1), 0);
      },
      {[&] {
        HWND dialog = FindThreadWindow(L"TSearchAllForm");
        if (dialog == nullptr) return false;
        HWND edit = GetDlgItem(dialog, 11);
        for (const wchar_t c : text) TypeChar(edit, c);
        PressKey(edit, VK_RETURN);
        return true;
      }});
  EXPECT_EQ(steps, 1u) << "the box was shown";
  if (then) then();
}

bool ShowHits(UiFixture& fixture, const std::wstring& text) {
  AskSearchAll(fixture, text);
  const auto shown = [&] { return fixture.Main().Shown().ShowsHits() && fixture.RowCount() > 0; };
  for (int attempt = 0; attempt < 40; ++attempt) {
    if (PumpUntil(shown, 500)) return true;
    if (fixture.Main().Shown().ShowsHits()) fixture.Command("mRetry1");
  }
  return false;
}

}  // namespace uitest
