#pragma once
// Support for the in-process window tests: a generated mailbox with its own
// "Veltra.ini", the main and viewer windows created on it, and helpers that
// drive the windows with window messages as a user's keys and clicks would,
// then read rows, selection and status back from the controls.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/temp_dir_support.h"
#include "ui/main_form.h"
#include "ui/view_form.h"
#include "viewer/link_scan.h"

namespace uitest {

// Runs window messages for about `ms` milliseconds.
void Pump(int ms);
// Runs window messages until `done` holds or `timeout_ms` passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeout_ms);
// Runs the messages queued and those they queue in turn until none is left
// (at most `timeout_ms`): what a posted key or a window change sets off.
bool Settle(int timeout_ms = 2000);

// Calls `action` every few milliseconds from the thread's message handling,
// also inside the nested message pump of a running load, until it returns true.
class DuringPump {
 public:
  explicit DuringPump(std::function<bool()> action);
  ~DuringPump();
  bool Done() const { return done_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  std::function<bool()> action_;
  UINT_PTR timer_ = 0;
  bool done_ = false;
};

// A key typed into a control: key down, the character when it has one, key up.
void PressKey(HWND control, WORD virtual_key);
void TypeChar(HWND control, wchar_t character);

struct MailboxOptions {
  std::uint32_t messages_per_folder = 30;
  std::uint32_t big_folder_messages = 0;  // folder index 6 when not 0
};

// Folder indexes of the generated mailbox's first account.
inline constexpr int kInbox = 0;
inline constexpr int kOutbox = 1;
inline constexpr int kContainer = 3;
inline constexpr int kBigFolder = 6;

// The real mail-client link (DDE to the stand-in when it runs, quenmar.exe
// started through the shell) that also records the DDE commands handed over,
// with the row-unread state seen at that moment, and keeps every URL instead of
// opening it: tests never open a browser.
class RecordingMailClient final : public ui::WindowsMailClientLink {
 public:
  RecordingMailClient();
  client::HostCommandResult SendHostCommand(const std::string& command,
                                            const std::string& message_path,
                                            client::HostCommandPace pace) override;
  void OpenUrl(const std::string& url) override { Urls.push_back(url); }
  std::vector<std::string> Commands;
  std::vector<client::HostCommandResult> Results;
  std::vector<std::string> Urls;
  // Called when a command is handed over, before it is sent.
  std::function<void()> OnCommand;
};

class UiFixture {
 public:
  explicit UiFixture(const MailboxOptions& options = {});
  ~UiFixture();

  // Creates the main window and runs the start-up sequence.
  void Start();
  // Destroys the windows (without the close handler).
  void Stop();
  // Stops, then puts the directory back as the constructor left it (files a
  // test changed, added or removed, "Veltra.ini" and the caches among them)
  // and forgets what was recorded and set: the next Start is as on a new
  // fixture, without writing the mailbox again.
  void Restore();

  ui::TVtFormMain& Main() { return *main_; }
  // The viewer, created as the main window creates it when first needed.
  ui::TViewForm& Viewer() { return main_->EnsureViewer(); }
  const testing_support::TempDir& Dir() const { return dir_; }
  std::string SettingsPath() const { return dir_.Join("Veltra.ini"); }
  std::string MailboxDir() const { return mailbox_dir_; }
  std::string FolderPath(int folder) const;

  // Read back from the controls.
  std::string StatusText() { return main_->StatusText(); }
  int SelectedRow() { return main_->ThreadList().ListViewMail().Selected(); }
  int RowCount() { return main_->ThreadList().ListViewMail().RowCount(); }
  std::string Cell(int row, int column) {
    return main_->ThreadList().ListViewMail().CellText(row, column);
  }
  bool RowShowsUnread(int row) { return main_->ThreadList().ListViewMail().RowImage(row) == 0; }
  int SelectedFolder() { return main_->FolderList().ListBoxF().Selected(); }

  // Moves the folder selection with a key in ListBoxF and waits until the
  // delayed load has run (or `wait_ms` when the load is not expected).
  void SelectFolderWithKeys(int folder);
  bool WaitForFolder(int folder, int timeout_ms = 10000);
  // A command from the menu or its shortcut, by its name in the command table.
  void Command(const char* name);

  // What the browse dialog answers (nothing unless set); set it to null for
  // the shell's own dialog.
  mailbox::BrowseForMailboxFn BrowseForMailbox;
  // The registry's mailbox location (none unless set).
  mailbox::ReadRegistryFn ReadRegistry;
  // Called where the program removes its splash.
  std::function<void()> RemoveSplash;
  // The converter the viewer loads ("NKF32.DLL" unless set); a missing name
  // gives a viewer without it.
  std::wstring NkfLibrary;
  // Whether the window keeps the full-text index (off unless set: the tests
  // that do not search the text stay as fast as before).
  bool FullTextIndex = false;
  // The local application data folder the window looks for a VirtualStore
  // in ("local" in the test's folder unless set).
  std::string LocalAppData;
  std::vector<std::string> Messages;  // texts given to ShowMessageText
  std::vector<std::string> Errors;    // texts of the error box
  RecordingMailClient MailClient;

 private:
  void SetDefaults();
  struct SavedFile {
    std::string bytes;
    std::filesystem::file_time_type written;
  };
  testing_support::TempDir dir_;
  std::string mailbox_dir_;
  std::unique_ptr<ui::TVtFormMain> main_;
  ui::ErrorBoxHook previous_error_hook_;
  std::wstring previous_local_app_data_;  // %LOCALAPPDATA% before the fixture set its own
  // The directory's files and directories as the constructor left them.
  std::map<std::filesystem::path, SavedFile> saved_;
  std::vector<std::filesystem::path> saved_dirs_;
};

// The base of a suite whose tests share one generated mailbox: it is written
// once for the whole run, and each test starts on it as on a new UiFixture
// (`fixture`, restored before the test). For tests that need no mailbox of
// their own size.
class SharedMailbox : public ::testing::Test {
 protected:
  void SetUp() override { fixture.Restore(); }
  void TearDown() override { fixture.Stop(); }
  UiFixture& fixture = Shared();

 private:
  static UiFixture& Shared();
};

// The rich edit's character position of byte `byte` of a shown text (UTF-8,
// lines joined by CR LF), counted through the system's own UTF-8 conversion:
// one position per UTF-16 unit, one per line end.
LONG RichEditPosition(const std::string& text, std::size_t byte);
// A left click into the viewer's text on the first character of `link`.
void ClickText(UiFixture& fixture, const viewer::Link& link);

// The unread rows of the thread list, read from the row images.
std::vector<int> UnreadRows(UiFixture& fixture);

// The node shown in `row` of the thread list.
thread::ThreadNode& RowNode(UiFixture& fixture, int row);
// Selects `row` and opens it with Enter, as a user does.
void Open(UiFixture& fixture, int row);

// Holds `keys` down in this thread's key state (as a user holding Shift or
// Ctrl would) while `key` is pressed in the viewer's text.
void PressWith(UiFixture& fixture, std::vector<BYTE> keys, WORD key);

// "すべてのフォルダを検索" for `text`, typed into its box and asked with
// Enter; `then` runs as soon as it is asked, before any answer can be taken.
void AskSearchAll(UiFixture& fixture, const std::wstring& text,
                  const std::function<void()>& then = {});
// Asks it and waits until its hits are shown, asking again ("再構築" on the
// hits) while the index has not taken the messages in yet; false when no hit
// came.
bool ShowHits(UiFixture& fixture, const std::wstring& text);

// A message whose text is plain in its file (no encoding, one part), so that
// words appended to it are its text; null when the folder holds none.
const thread::ThreadNode* PlainTextMessage(UiFixture& fixture);

}  // namespace uitest
