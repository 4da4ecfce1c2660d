// The windows and the mail-client stand-in quenmar.exe together: mark-read and
// the trash through DDE (the stand-in logs every command and carries it out
// on the generated mailbox), composing through the client's command line (the
// stand-in logs its own), and what happens when no client runs or when it
// never lets go of a message.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/ja_texts.h"
#include "mailbox/folder_table.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "settings/ini_profile.h"
#include "tests/mail_folder_support.h"
#include "tests/win/standin_support.h"
#include "tests/win/ui_dialog_support.h"
#include "tests/win/ui_support.h"
#include "thread/ja_texts.h"
#include "thread/mute_list.h"
#include "thread/thread_node.h"
#include "thread/thread_rows.h"
#include "tools/mkmailbox/index_format.h"
#include "tools/standin/messages.h"
#include "ui/dialogs/folder_read_form.h"
#include "ui/dialogs/muted_threads_form.h"
#include "ui/folder_list_pane.h"
#include "ui/ja_texts.h"
#include "ui/view_commands.h"
#include "viewer/text_lines.h"

namespace uitest {
namespace {

using testing_support::LogLines;
using testing_support::StandIn;

// The mailbox's first account: its title (仕事用) and its trash folder.
constexpr char kAccountName[] = "\x8e\x64\x8e\x96\x97p";

// The message name relative to the mailbox as the client names it: the path
// below the mailbox root without ".qnm".
std::string Relative(UiFixture& fixture, const thread::ThreadNode& node) {
  return node.FilePath.str().substr(fixture.MailboxDir().size() + 1,
                                    node.FilePath.size() - fixture.MailboxDir().size() - 5);
}

// A fixture whose mailbox the stand-in runs on (its data directory is the
// directory above the mailbox), logging to "standin.log".
class WithStandIn {
 public:
  explicit WithStandIn(UiFixture& on) : fixture(on) {
    EXPECT_TRUE(standin_.Start("/account:\"x\" \"" + fixture.Dir().path() + "\"", Log()));
    EXPECT_TRUE(testing_support::WaitForWindow());
    fixture.Start();
  }
  // The window goes before the stand-in.
  ~WithStandIn() { fixture.Stop(); }
  std::string Log() const { return fixture.Dir().Join("standin.log"); }
  // The log without the stand-in's own start line.
  std::vector<std::string> Received() const {
    std::vector<std::string> lines = LogLines(Log());
    if (!lines.empty()) lines.erase(lines.begin());
    return lines;
  }
  UiFixture& fixture;

 private:
  StandIn standin_;
};

// Sends WM_NULL to `window` from a thread of its own every 50 ms while it
// runs, and keeps the longest a send took to be answered (one not answered
// within 3 s counts as 3 s): how long the window stopped answering.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window)
      : thread_([this, window] {
          while (running_) {
            const DWORD start = GetTickCount();
            DWORD_PTR result = 0;
            const bool answered =
                SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result) != 0;
            const DWORD took = answered ? GetTickCount() - start : 3000;
            if (took > longest_) longest_ = took;
            Sleep(50);
          }
          finished_ = true;
        }) {}
  ~AnswerWatch() { Stop(); }
  // Serves this thread's sent messages until the watcher has ended: it may be
  // waiting for an answer from this very thread.
  DWORD Stop() {
    running_ = false;
    PumpUntil([this] { return finished_.load(); }, 5000);
    if (thread_.joinable()) thread_.join();
    return longest_;
  }

 private:
  std::atomic<bool> running_{true};
  std::atomic<bool> finished_{false};
  std::atomic<DWORD> longest_{0};
  std::thread thread_;
};

class MailClient : public SharedMailbox {};

HWND StandInWindow() { return FindWindowW(L"Quenmar32Class", nullptr); }

int FirstRow(UiFixture& fixture, bool unread) {
  for (int row = 0; row < fixture.RowCount(); ++row) {
    if (thread::IsUnread(RowNode(fixture, row)) == unread) return row;
  }
  return -1;
}

TEST_F(MailClient, OpeningAnUnreadMessageMarksItReadOnceAndKeepsTheOtherFlags) {
  WithStandIn client(fixture);
  struct Case {
    const char* why;
    int folder;
    bool unread;
    bool sent;
  } cases[] = {
      {"an unread message of the Inbox is marked read", kInbox, true, true},
      {"a read message sends nothing", kInbox, false, false},
      {"the folder at list index 1 never sends", kOutbox, true, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.why);
    fixture.SelectFolderWithKeys(test.folder);
    ASSERT_TRUE(fixture.WaitForFolder(test.folder));
    const int row = test.folder == kOutbox ? 0 : FirstRow(fixture, test.unread);
    ASSERT_GE(row, 0);
    thread::ThreadNode& node = RowNode(fixture, row);
    // The client's no-conversion bit beside the unread bit: only the unread
    // bit may go.
    node.StatusBlock[3] = static_cast<std::uint8_t>(node.StatusBlock[3] | 0x80);
    if (test.unread) node.StatusBlock[3] = static_cast<std::uint8_t>(node.StatusBlock[3] | 0x40);
    const std::uint32_t flags = thread::FlagWord(node);
    const std::size_t before = client.Received().size();
    bool row_unread_when_sent = true;
    fixture.MailClient.OnCommand = [&] { row_unread_when_sent = fixture.RowShowsUnread(row); };
    Open(fixture, row);
    Open(fixture, row);  // again: only focuses the viewer
    std::vector<std::string> sent = client.Received();
    sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
    std::vector<std::string> expected;
    if (test.sent) expected.push_back("MarkMail(" + Relative(fixture, node) + ",1073741824,0)");
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(thread::FlagWord(node), flags & ~thread::kUnreadFlag);
    EXPECT_FALSE(fixture.RowShowsUnread(row));
    if (test.sent) {
      EXPECT_FALSE(row_unread_when_sent) << "the unread mark stays through the wait";
      EXPECT_EQ(fixture.MailClient.Results.back(), client::HostCommandResult::kReleased);
    }
    SendMessageW(fixture.Viewer().hwnd(), WM_CLOSE, 0, 0);
  }
}

// D in the list and in the viewer: the exact command, the message moved by the
// client, the row gone, the counts lower and the replies one level up with
// their row texts rebuilt.
TEST_F(MailClient, TrashMovesTheMessageRemovesTheRowAndPromotesTheReplies) {
  WithStandIn client(fixture);
  ui::TVtFormMain& main = fixture.Main();
  for (const bool from_viewer : {false, true}) {
    SCOPED_TRACE(from_viewer ? "D in the viewer" : "D in the list");
    // A message with a reply right below it.
    int row = 0;
    while (row + 1 < fixture.RowCount() &&
           RowNode(fixture, row + 1).Depth != RowNode(fixture, row).Depth + 1) {
      ++row;
    }
    ASSERT_LT(row + 1, fixture.RowCount());
    thread::ThreadNode& node = RowNode(fixture, row);
    const int depth = node.Depth;
    const std::string path = node.FilePath.str();
    const std::string expected = "MoveMail(" + Relative(fixture, node) + ",\"" + kAccountName +
                                 "\\" + client::ja::kTrashFolderName + "\")";
    std::vector<thread::ThreadNode*> replies;
    for (int r = row + 1; r < fixture.RowCount() && RowNode(fixture, r).Depth > depth; ++r) {
      replies.push_back(&RowNode(fixture, r));
    }
    std::vector<int> reply_depths;
    for (const thread::ThreadNode* reply : replies) reply_depths.push_back(reply->Depth);
    const int rows = fixture.RowCount();
    const mailbox::FolderInfo counts = main.Folders()[kInbox];
    const bool unread = thread::IsUnread(node);
    const std::size_t before = client.Received().size();
    main.SelectRow(row, true);
    if (from_viewer) {
      Open(fixture, row);
      ASSERT_TRUE(IsWindowVisible(fixture.Viewer().hwnd()));
      TypeChar(fixture.Viewer().BigView(), L'd');
    } else {
      TypeChar(main.ThreadList().ListViewMail().hwnd(), L'D');
    }
    Settle();
    const std::vector<std::string> received = client.Received();
    ASSERT_EQ(received.size(), before + 1);
    EXPECT_EQ(received.back(), expected);
    // The program goes on once the file is free; the stand-in may still be
    // finishing its move.
    EXPECT_TRUE(PumpUntil([&] { return !platform::FileExists(path); }, 5000)) << "moved";
    EXPECT_EQ(fixture.RowCount(), rows - 1);
    EXPECT_EQ(main.Folders()[kInbox].Total, counts.Total - 1);
    EXPECT_EQ(main.Folders()[kInbox].Unread, counts.Unread - (unread ? 1 : 0));
    EXPECT_EQ(fixture.StatusText(), mailbox::FolderStatusText(main.Folders()[kInbox]));
    EXPECT_EQ(fixture.SelectedRow(), row);
    EXPECT_FALSE(IsWindowVisible(fixture.Viewer().hwnd()));
    for (std::size_t k = 0; k < replies.size(); ++k) {
      const int r = row + static_cast<int>(k);
      ASSERT_EQ(&RowNode(fixture, r), replies[k]);
      EXPECT_EQ(replies[k]->Depth, reply_depths[k] - 1);
      EXPECT_EQ(fixture.Cell(r, 0), thread::MakeRow(*replies[k], main.Folders()[kInbox]).Caption);
    }
    std::string why;
    EXPECT_TRUE(thread::CheckThreadListIntegrity(&RowNode(fixture, 0), &why)) << why;
  }
}

// Nothing is moved without a command for the client, and the box says why:
// no client, or a message file the client has no name for (outside the
// mailbox), whether the client runs or not.
TEST_F(MailClient, WithoutACommandTheTrashKeepsTheRowAndSaysWhy) {
  const struct Case {
    const char* why;
    bool client_runs;
    bool outside_mailbox;
    const char* said;
  } cases[] = {
      {"no client", false, false, ui::ja::kTrashWithoutClient},
      {"no name for the message", true, true, ui::ja::kTrashWithoutMessageName},
      {"no name and no client: the name is the reason", false, true,
       ui::ja::kTrashWithoutMessageName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fixture.Restore();
    std::optional<WithStandIn> client;
    if (c.client_runs) {
      client.emplace(fixture);
    } else {
      fixture.Start();
    }
    fixture.Main().SelectRow(0, true);
    thread::ThreadNode& node = RowNode(fixture, 0);
    if (c.outside_mailbox) node.FilePath = node.Keep(fixture.Dir().Join("00000001.qnm"));
    const int rows = fixture.RowCount();
    const int total = fixture.Main().Folders()[kInbox].Total;
    const DWORD start = GetTickCount();
    fixture.Command("mMailDelete");
    TypeChar(fixture.Main().ThreadList().ListViewMail().hwnd(), L'd');
    Settle();
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(fixture.Messages, std::vector<std::string>(2, c.said));
    EXPECT_EQ(fixture.RowCount(), rows);
    EXPECT_EQ(fixture.Main().Folders()[kInbox].Total, total);
    EXPECT_TRUE(fixture.MailClient.Commands.empty());
  }
}

// A client that takes the command but never lets go of the message file: the
// wait gives up after its bound and the program goes on.
TEST_F(MailClient, AClientThatKeepsTheFileLockedCostsAPauseNotAHang) {
  WithStandIn client(fixture);
  const int row = FirstRow(fixture, true);
  ASSERT_GE(row, 0);
  const std::string path = RowNode(fixture, row).FilePath.str();
  fixture.Main().SelectRow(row, true);
  HANDLE locked = CreateFileW(platform::Widen(path).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  const DWORD start = GetTickCount();
  AnswerWatch watch(fixture.Main().hwnd());
  TypeChar(fixture.Main().ThreadList().ListViewMail().hwnd(), L'd');
  Settle();
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_LT(watch.Stop(), 1000u) << "the window kept answering through the wait";
  CloseHandle(locked);
  ASSERT_EQ(fixture.MailClient.Results.size(), 1u);
  EXPECT_EQ(fixture.MailClient.Results[0], client::HostCommandResult::kTimedOut);
  EXPECT_GE(elapsed, 4900u);
  EXPECT_LT(elapsed, 12000u);
  EXPECT_FALSE(fixture.Viewer().ViewerBusy.IsSet());
}

// Makes the stand-in serve no messages for `ms`, as a client busy with its
// mail does, and waits until it stops answering.
void KeepStandInBusy(DWORD ms) {
  HWND standin = StandInWindow();
  ASSERT_NE(standin, nullptr);
  PostMessageW(standin, standin::kHangMessage, ms, 0);
  ASSERT_TRUE(PumpUntil(
      [&] {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(standin, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) == 0;
      },
      3000))
      << "the stand-in is busy";
}

// A client busy for a moment gets the mark-read once it answers; one that
// Windows flags as hung is sent nothing, not even once it answers again, and
// the trash says why. The window answers all along.
TEST_F(MailClient, ABusyClientGetsTheCommandOnceItAnswersAndAHungOneNothing) {
  WithStandIn client(fixture);
  HWND standin = StandInWindow();
  ASSERT_NE(standin, nullptr);
  const struct Case {
    const char* why;
    DWORD busy_ms;
    bool hung;
  } cases[] = {
      {"busy for 2 s: marked read once it answers", 2000, false},
      {"hung: nothing sent", 9000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const int row = FirstRow(fixture, true);
    ASSERT_GE(row, 0);
    const std::string mark =
        "MarkMail(" + Relative(fixture, RowNode(fixture, row)) + ",1073741824,0)";
    KeepStandInBusy(c.busy_ms);
    if (c.hung) {
      ASSERT_TRUE(PumpUntil([&] { return IsHungAppWindow(standin) != FALSE; }, 8000))
          << "Windows flags the stand-in as hung";
    }
    fixture.MailClient.Commands.clear();
    fixture.Messages.clear();
    const std::size_t received = client.Received().size();
    const int rows = fixture.RowCount();
    AnswerWatch watch(fixture.Main().hwnd());
    const DWORD start = GetTickCount();
    Open(fixture, row);
    if (c.hung) fixture.Command("mMailDelete");
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(watch.Stop(), 1000u) << "the window kept answering";
    EXPECT_LT(elapsed, c.hung ? 2500u : 5000u);
    if (c.hung) {
      EXPECT_TRUE(fixture.MailClient.Commands.empty());
      EXPECT_EQ(fixture.Messages, std::vector<std::string>{ui::ja::kTrashClientHung});
      EXPECT_EQ(fixture.RowCount(), rows);
      EXPECT_TRUE(PumpUntil(
          [&] {
            DWORD_PTR result = 0;
            return SendMessageTimeoutW(standin, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
          },
          10000));
      Pump(200);
      EXPECT_EQ(client.Received().size(), received) << "nothing sent once it answers again";
    } else {
      ASSERT_EQ(fixture.MailClient.Results.size(), 1u);
      EXPECT_EQ(fixture.MailClient.Results[0], client::HostCommandResult::kReleased);
      EXPECT_TRUE(PumpUntil([&] { return client.Received().size() > received; }, 5000));
      EXPECT_EQ(client.Received().back(), mark);
    }
    SendMessageW(fixture.Viewer().hwnd(), WM_CLOSE, 0, 0);
  }
}

// While a message is opened (its mark-read waits for a busy client), Space,
// a double click, Left and Right in the list do nothing: no second message
// opens inside the wait, and the rows stay as they are.
TEST_F(MailClient, TheListWaitsWhileAMessageIsOpened) {
  WithStandIn client(fixture);
  HWND list = fixture.Main().ThreadList().ListViewMail().hwnd();
  // A thread with replies (the other row), and the start of the thread after
  // it (the message opened).
  int other = 0;
  while (other + 1 < fixture.RowCount() &&
         !(RowNode(fixture, other).Depth == 0 && RowNode(fixture, other + 1).Depth == 1)) {
    ++other;
  }
  int next = other + 1;
  while (next < fixture.RowCount() && RowNode(fixture, next).Depth != 0) ++next;
  ASSERT_LT(next, fixture.RowCount());
  thread::ThreadNode& node = RowNode(fixture, next);
  const std::string path = node.FilePath.str();
  const auto key = [&](WORD vk) { return [&, vk] { SendMessageW(list, WM_KEYDOWN, vk, 1); }; };
  const struct Case {
    const char* why;
    bool collapsed;  // the other thread collapsed before
    std::function<void()> act;
  } cases[] = {
      {"Space", false, key(VK_SPACE)},
      {"a double click", false,
       [&] {
         RECT cell{};
         ListView_GetItemRect(list, other, &cell, LVIR_LABEL);
         SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON,
                      MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2));
       }},
      {"Left", false, key(VK_LEFT)},
      {"Right", true, key(VK_RIGHT)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    if (c.collapsed) {
      fixture.Main().SelectRow(other, true);
      TypeChar(list, L'-');
      Settle();
    }
    node.StatusBlock[3] = static_cast<std::uint8_t>(node.StatusBlock[3] | 0x40);
    int opened = other + 1;
    while (opened + 1 < fixture.RowCount() && &RowNode(fixture, opened) != &node) ++opened;
    const int rows = fixture.RowCount();
    fixture.MailClient.Commands.clear();
    KeepStandInBusy(1500);
    DuringPump during([&] {
      if (!fixture.Main().ViewerBusy()) return false;
      fixture.Main().SelectRow(other, true);
      c.act();
      return true;
    });
    Open(fixture, opened);
    ASSERT_TRUE(during.Done()) << "acted inside the wait";
    Settle();
    EXPECT_TRUE(fixture.Viewer().HoldsMessage(path)) << "no second message opened";
    EXPECT_EQ(fixture.MailClient.Commands.size(), 1u);
    EXPECT_EQ(fixture.RowCount(), rows);
    SendMessageW(fixture.Viewer().hwnd(), WM_CLOSE, 0, 0);
    if (c.collapsed) {
      fixture.Main().SelectRow(other, true);
      TypeChar(list, L'+');
      Settle();
    }
  }
}

// While a busy client takes the mark-read of the message just opened, Space
// pages the message on (a long one, in a low viewer); at its end it does not
// move on to the next message, nor does N: moving waits for the client.
TEST_F(MailClient, TheMessageJustOpenedPagesWhileItsMarkReadWaits) {
  WithStandIn client(fixture);
  const thread::ThreadNode* plain = PlainTextMessage(fixture);
  ASSERT_NE(plain, nullptr);
  const std::string path = plain->FilePath.str();
  {
    std::ofstream file(path, std::ios::binary | std::ios::app);
    for (int line = 0; line < 60; ++line) file << "\r\nline " << line;
  }
  int row = 0;
  while (row < fixture.RowCount() && &RowNode(fixture, row) != plain) ++row;
  ASSERT_LT(row, fixture.RowCount());
  thread::ThreadNode& node = RowNode(fixture, row);
  node.StatusBlock[3] = static_cast<std::uint8_t>(node.StatusBlock[3] | 0x40);
  ui::TViewForm& viewer = fixture.Viewer();
  SetWindowPos(viewer.hwnd(), nullptr, 0, 0, 400, 200, SWP_NOMOVE | SWP_NOZORDER);
  HWND text = viewer.BigView();
  const auto first_line = [&] { return SendMessageW(text, EM_GETFIRSTVISIBLELINE, 0, 0); };
  LRESULT paged_to = 0;
  KeepStandInBusy(1500);
  DuringPump during([&] {
    if (!fixture.Main().ViewerBusy() || !viewer.HoldsMessage(path)) return false;
    SendMessageW(text, WM_KEYDOWN, VK_SPACE, 1);
    paged_to = first_line();
    for (int press = 0; press < 40; ++press) SendMessageW(text, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(text, WM_CHAR, L'n', 1);
    return true;
  });
  Open(fixture, row);
  ASSERT_TRUE(during.Done()) << "pressed inside the wait";
  Settle();
  EXPECT_GT(paged_to, 0) << "Space paged the message";
  EXPECT_TRUE(viewer.HoldsMessage(path)) << "no other message opened";
  EXPECT_EQ(fixture.MailClient.Commands.size(), 1u);
  SendMessageW(viewer.hwnd(), WM_CLOSE, 0, 0);
}

// A client whose window answers but whose DDE service takes no conversation:
// the trash says so, and the viewer stays open on the message.
TEST_F(MailClient, ARefusedConversationKeepsTheMessageAndSaysSo) {
  WithStandIn client(fixture);
  HWND standin = StandInWindow();
  ASSERT_NE(standin, nullptr);
  DWORD_PTR result = 0;
  ASSERT_NE(SendMessageTimeoutW(standin, standin::kRefuseMessage, 1, 0, SMTO_NORMAL, 3000, &result),
            0);
  const int rows = fixture.RowCount();
  Open(fixture, 0);
  ASSERT_TRUE(IsWindowVisible(fixture.Viewer().hwnd()));
  TypeChar(fixture.Viewer().BigView(), L'd');
  ASSERT_TRUE(PumpUntil([&] { return !fixture.Messages.empty(); }, 10000));
  EXPECT_EQ(fixture.Messages, std::vector<std::string>{ui::ja::kTrashNotAccepted});
  EXPECT_TRUE(IsWindowVisible(fixture.Viewer().hwnd()));
  EXPECT_EQ(fixture.RowCount(), rows);
}

// The viewer's D moves the message on screen, not the row selected in the
// list meanwhile, and the selection stays on the row the user chose.
TEST_F(MailClient, TheViewersTrashMovesTheViewedMessageNotTheSelectedRow) {
  WithStandIn client(fixture);
  ASSERT_GE(fixture.RowCount(), 4);
  Open(fixture, 1);
  thread::ThreadNode& viewed = RowNode(fixture, 1);
  thread::ThreadNode& selected = RowNode(fixture, 3);
  const std::string expected = "MoveMail(" + Relative(fixture, viewed) + ",\"" + kAccountName +
                               "\\" + client::ja::kTrashFolderName + "\")";
  const std::string selected_path = selected.FilePath.str();
  fixture.Main().SelectRow(3, true);
  const std::size_t before = fixture.MailClient.Results.size();  // a mark-read may be among them
  TypeChar(fixture.Viewer().BigView(), L'd');
  ASSERT_TRUE(PumpUntil([&] { return fixture.MailClient.Results.size() > before; }, 15000));
  Settle();
  EXPECT_EQ(fixture.MailClient.Commands.back(), expected);
  EXPECT_TRUE(platform::FileExists(selected_path));
  EXPECT_EQ(&RowNode(fixture, fixture.SelectedRow()), &selected);
  EXPECT_FALSE(IsWindowVisible(fixture.Viewer().hwnd()));
}

// A reply from the main window to another row makes that row the viewed
// message while the viewer still shows the first: D in the viewer then moves
// nothing, since the message on screen is no longer the one it would move.
TEST_F(MailClient, TheViewersTrashMovesNothingThatIsNotOnScreen) {
  WithStandIn client(fixture);
  ASSERT_GE(fixture.RowCount(), 4);
  Open(fixture, 1);
  const std::string shown = RowNode(fixture, 1).FilePath.str();
  const std::string replied = RowNode(fixture, 3).FilePath.str();
  fixture.Main().SelectRow(3, true);
  fixture.Command("mReplyMail");
  ASSERT_TRUE(fixture.Viewer().HoldsMessage(shown));
  const int rows = fixture.RowCount();
  fixture.MailClient.Commands.clear();
  TypeChar(fixture.Viewer().BigView(), L'd');
  Settle();
  EXPECT_TRUE(fixture.MailClient.Commands.empty());
  EXPECT_TRUE(fixture.Messages.empty());
  EXPECT_EQ(fixture.RowCount(), rows);
  EXPECT_TRUE(platform::FileExists(replied));
  EXPECT_TRUE(IsWindowVisible(fixture.Viewer().hwnd()));
}

// A message file that exists but cannot be opened (the client or a virus
// scanner holds it) shows a box whose message loop runs. A folder click and a
// close made in that box wait until the open is over: the rows stay in place
// meanwhile, the message is marked read under its own name, and then the
// folder opens or the window closes.
TEST_F(MailClient, AFolderSwitchOrCloseDuringTheCannotOpenBoxWaitsForTheOpen) {
  enum class During { kFolderClick, kClose };
  const struct Case {
    const char* why;
    During action;
  } cases[] = {
      {"a click on another folder in the box", During::kFolderClick},
      {"the main window closed in the box", During::kClose},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fixture.Restore();
    WithStandIn client(fixture);
    ui::TVtFormMain& main = fixture.Main();
    const int row = FirstRow(fixture, true);
    ASSERT_GE(row, 0);
    const thread::ThreadNode& node = RowNode(fixture, row);
    const std::string expected = "MarkMail(" + Relative(fixture, node) + ",1073741824,0)";
    HANDLE locked = CreateFileW(platform::Widen(node.FilePath.str()).c_str(), GENERIC_READ, 0,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    HWND window = main.hwnd();
    bool box_shown = false;
    bool rows_kept = false;
    const ui::ErrorBoxHook previous = ui::SetErrorBoxHook([&](const std::string&) {
      box_shown = true;
      const std::vector<thread::ThreadNode*> rows_before = main.ThreadList().View().Shown();
      if (c.action == During::kFolderClick) {
        PressKey(main.FolderList().ListBoxF().hwnd(), VK_DOWN);  // from the Inbox to the Outbox
        PumpUntil([&] { return main.TimerKeyWaitRunning(); }, 3000);
        // The selection delay's tick, at once rather than waited for.
        SendMessageW(window, WM_TIMER, ui::TVtFormMain::kTimerKeyWaitId, 0);
      } else {
        SendMessageW(window, WM_CLOSE, 0, 0);
      }
      rows_kept = IsWindow(window) && main.CurrentFolderIndex() == kInbox &&
                  main.ThreadList().View().Shown() == rows_before;
      CloseHandle(locked);
    });
    Open(fixture, row);
    ui::SetErrorBoxHook(previous);
    ASSERT_TRUE(box_shown);
    EXPECT_TRUE(rows_kept) << "nothing of the list changed while the message was opened";
    ASSERT_TRUE(PumpUntil([&] { return !fixture.MailClient.Commands.empty(); }, 10000));
    EXPECT_EQ(fixture.MailClient.Commands, std::vector<std::string>{expected});
    if (c.action == During::kFolderClick) {
      EXPECT_TRUE(fixture.WaitForFolder(kOutbox)) << "the folder opens after the open";
    } else {
      EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }, 10000)) << "closed after the open";
    }
  }
}

// A client that cannot be started (its executable moved away) is reported,
// and no dialog of it is waited for.
TEST_F(MailClient, AClientThatCannotBeStartedIsReported) {
  const std::string missing = fixture.Dir().Join("gone\\quenmar.exe");
  settings::IniWriter ini(fixture.SettingsPath());
  ini.WriteString("Property", "Quenmar32", missing);
  ASSERT_TRUE(ini.Commit());
  fixture.Start();
  const DWORD start = GetTickCount();
  fixture.Command("mSend");
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(fixture.Messages,
            std::vector<std::string>{std::string(ui::ja::kClientLaunchFailed) + missing});
}

// The command lines reach the client byte-exact (the stand-in logs its own);
// the reply and forward waits end as soon as the client's dialog shows.
TEST_F(MailClient, ComposeCommandsStartTheClientWithExactCommandLines) {
  WithStandIn client(fixture);
  const std::string data_dir = " \"" + fixture.Dir().path() + "\"";
  const std::string account = std::string("\"") + kAccountName + "\"";
  const int row = FirstRow(fixture, false);
  ASSERT_GE(row, 0);
  const std::string relative = Relative(fixture, RowNode(fixture, row));
  fixture.Main().SelectRow(row, true);
  struct Case {
    const char* why;
    const char* command;
    std::string expected;
  } cases[] = {
      {"new mail", "mSend", "/send:" + account + data_dir},
      {"reply: two blanks before the data directory", "mReplyMail",
       "/reply:\"" + relative + "\" /send:" + account + " " + data_dir},
      {"forward", "mForwardMail",
       "/forward:\"" + relative + "\" /send:" + account + " " + data_dir},
      {"start the client", "KQuenmar321", "/account:" + account + data_dir},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.why);
    const std::size_t before = client.Received().size();
    const DWORD start = GetTickCount();
    fixture.Command(test.command);
    EXPECT_LT(GetTickCount() - start, 8000u) << "the dialog was found before the wait's end";
    ASSERT_TRUE(PumpUntil([&] { return client.Received().size() > before; }, 10000));
    EXPECT_EQ(client.Received().back(), "CommandLine: " + test.expected);
  }
  // A click on an address in the viewer composes to it, unquoted.
  Open(fixture, row);
  const viewer::MessageView& view = fixture.Viewer().View();
  const std::string text = viewer::JoinLines(view.Lines);
  const auto address =
      std::find_if(view.Links.begin(), view.Links.end(), [&](const viewer::Link& link) {
        return text.substr(link.start, link.end - link.start).find("://") == std::string::npos;
      });
  ASSERT_NE(address, view.Links.end()) << "the message shows an address";
  const std::size_t before = client.Received().size();
  ClickText(fixture, *address);
  ASSERT_TRUE(PumpUntil([&] { return client.Received().size() > before; }, 10000));
  EXPECT_EQ(client.Received().back(),
            "CommandLine: /mailto:" + text.substr(address->start, address->end - address->start) +
                data_dir);
}

}  // namespace
}  // namespace uitest

namespace uitest {
namespace {

// A word written only in the text of one message of the inbox and one of
// another folder: "すべてのフォルダを検索" (typed into its box, Enter) shows
// both as the folder "検索結果", newest first, each with its folder's title;
// a hit opened shows the word highlighted; D on the other folder's hit sends
// that folder's MoveMail and takes the row out; choosing another folder keeps
// the results' row, which opens again.
TEST_F(MailClient, SearchingEveryFolderListsHitsOfTwoFoldersAndTheTrashNamesTheHitsOwnFolder) {
  constexpr int kOther = 4;
  fixture.FullTextIndex = true;
  WithStandIn client(fixture);
  ui::TVtFormMain& main = fixture.Main();
  std::map<std::string, int> folder_of;  // the changed messages' paths
  for (const int folder : {kOther, kInbox}) {
    fixture.SelectFolderWithKeys(folder);
    const thread::ThreadNode* plain = PlainTextMessage(fixture);
    ASSERT_NE(plain, nullptr) << folder;
    folder_of[std::string(plain->FilePath.str())] = folder;
    std::ofstream(std::string(plain->FilePath.str()), std::ios::binary | std::ios::app)
        << "\r\nzqxjvw\r\n";
    // The mail client rewrites its list when it changes a message: the index
    // looks at the folder's files again.
    const std::string list = fixture.FolderPath(folder) + "\\Entry.lst";
    std::string records;
    ASSERT_TRUE(platform::ReadWholeFile(list, records));
    std::ofstream(list, std::ios::binary | std::ios::trunc) << records;
    fixture.Command("mRetry1");  // read again: the index takes the folder next
  }

  const std::size_t asked = RunWithSteps([&] { fixture.Command("mSearchAll"); }, {[&] {
                                           HWND dialog = FindThreadWindow(L"TSearchAllForm");
                                           if (dialog == nullptr) return false;
                                           HWND edit = GetDlgItem(dialog, 11);
                                           for (wchar_t c : std::wstring(L"zqxjvw")) {
                                             TypeChar(edit, c);
                                           }
                                           PressKey(edit, VK_RETURN);
                                           return true;
                                         }});
  ASSERT_EQ(asked, 1u);
  const auto shown = [&] { return main.Shown().ShowsHits(); };
  ASSERT_TRUE(PumpUntil(shown, 10000)) << "the first answer opens the results";
  const auto hits = [](int count) {
    return thread::ja::kResultsLabel + std::to_string(count) + thread::ja::kResultsEnd;
  };
  EXPECT_EQ(GetFocus(), main.ThreadList().ListViewMail().hwnd());
  // The index may not hold both changed files yet: "再構築" on the results
  // searches again.
  for (int attempt = 0; attempt < 40 && fixture.StatusText() != hits(2); ++attempt) {
    if (PumpUntil([&] { return fixture.StatusText() == hits(2); }, 500)) break;
    fixture.Command("mRetry1");
  }
  ASSERT_EQ(fixture.StatusText(), hits(2));
  ASSERT_EQ(fixture.RowCount(), 2);
  EXPECT_GE(thread::CompareStamps(thread::DateStamp(RowNode(fixture, 0)),
                                  thread::DateStamp(RowNode(fixture, 1))),
            0)
      << "newest first";
  int other_row = -1;
  for (int row = 0; row < 2; ++row) {
    const auto found = folder_of.find(std::string(RowNode(fixture, row).FilePath.str()));
    ASSERT_NE(found, folder_of.end()) << row;
    EXPECT_EQ(fixture.Cell(row, 2), main.Folders()[found->second].Title) << row;
    if (found->second == kOther) other_row = row;
  }
  ASSERT_GE(other_row, 0);
  Open(fixture, 1 - other_row);
  ASSERT_TRUE(IsWindowVisible(fixture.Viewer().hwnd()));
  EXPECT_EQ(fixture.Viewer().FindCountText(), "? / 1") << "the word searched for is highlighted";
  EXPECT_NE(GetFocus(), fixture.Viewer().FindBox()) << "the text keeps its keys";

  const thread::ThreadNode& hit = RowNode(fixture, other_row);
  const std::string expected = "MoveMail(" + Relative(fixture, hit) + ",\"" + kAccountName + "\\" +
                               client::ja::kTrashFolderName + "\")";
  const std::int32_t total = main.Folders()[kOther].Total;
  main.SelectRow(other_row, true);
  TypeChar(main.ThreadList().ListViewMail().hwnd(), L'D');
  Settle();
  ASSERT_FALSE(client.Received().empty());
  EXPECT_EQ(client.Received().back(), expected);
  EXPECT_EQ(fixture.RowCount(), 1);
  EXPECT_EQ(main.Folders()[kOther].Total, total - 1);
  EXPECT_EQ(fixture.StatusText(), hits(1));

  fixture.SelectFolderWithKeys(kInbox);
  const ui::OwnerDrawListBox& folders = main.FolderList().ListBoxF();
  ASSERT_EQ(folders.Count(), mailbox::FolderCount(main.Folders()) + 1);
  EXPECT_EQ(folders.ItemText(folders.Count() - 1), ui::ja::kHitsRowTitle);
  PressKey(folders.hwnd(), VK_END);
  ASSERT_TRUE(PumpUntil(shown, 5000)) << "chosen again";
  EXPECT_EQ(fixture.RowCount(), 1);
  EXPECT_TRUE(fixture.Errors.empty());
}

// The first node of the first thread after `node`'s that is not muted and
// holds an unread message; null when none.
const thread::ThreadNode* NextUnreadThreadAfter(thread::ThreadNode* node) {
  for (thread::ThreadNode* at = thread::ThreadEnd(thread::ThreadRoot(node)); at != nullptr;
       at = at->Next) {
    if (thread::IsUnread(*at) && !thread::ThreadRoot(at)->Muted) return at;
  }
  return nullptr;
}

// A thread of three or more messages whose first has a Message-ID, every
// one unread but its second; the cursor on its last message.
thread::ThreadNode* PrepareThread(UiFixture& fixture) {
  for (int row = 0; row + 2 < fixture.RowCount(); ++row) {
    thread::ThreadNode& root = RowNode(fixture, row);
    if (root.Depth != 0 || root.MessageId.empty() || RowNode(fixture, row + 2).Depth == 0) continue;
    thread::ThreadNode* last = &root;
    for (thread::ThreadNode* at = &root; at != thread::ThreadEnd(&root); at = at->Next) {
      at->StatusBlock[3] = static_cast<std::uint8_t>(at->StatusBlock[3] | 0x40);
      last = at;
    }
    thread::MarkRead(*root.Next);
    fixture.Main().SelectRow(fixture.Main().Shown().Rows().RowOf(last), true);
    return &root;
  }
  return nullptr;
}

// From the thread list, and from the viewer showing the thread's last
// message (which its opening marked read already): the viewer then shows the
// next unread thread.
TEST_F(MailClient, MarkingAThreadReadSendsItsUnreadMessagesAndLandsOnTheNextUnreadThread) {
  WithStandIn client(fixture);
  for (const bool from_viewer : {false, true}) {
    SCOPED_TRACE(from_viewer ? "from the viewer" : "from the thread list");
    thread::ThreadNode* root = PrepareThread(fixture);
    ASSERT_NE(root, nullptr);
    if (from_viewer) Open(fixture, fixture.SelectedRow());
    std::vector<std::string> expected;
    for (thread::ThreadNode* at = root; at != thread::ThreadEnd(root); at = at->Next) {
      if (thread::IsUnread(*at))
        expected.push_back("MarkMail(" + Relative(fixture, *at) + ",1073741824,0)");
    }
    const thread::ThreadNode* next = NextUnreadThreadAfter(root);
    ASSERT_NE(next, nullptr);
    const std::size_t before = client.Received().size();
    if (from_viewer) {
      ui::ViewCommands().Dispatch(fixture.Viewer(), "mThreadRead");
      // The next thread's message opened, and marked read as it opened.
      expected.push_back("MarkMail(" + Relative(fixture, *next) + ",1073741824,0)");
      ASSERT_TRUE(PumpUntil(
          [&] {
            return fixture.Main().ViewedNode() == next &&
                   client.Received().size() >= before + expected.size();
          },
          5000));
    } else {
      fixture.Command("mThreadRead");
    }
    std::vector<std::string> sent = client.Received();
    sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_EQ(sent, expected) << "each unread message once, in list order";
    for (thread::ThreadNode* at = root; at != thread::ThreadEnd(root); at = at->Next) {
      EXPECT_FALSE(thread::IsUnread(*at));
    }
    EXPECT_EQ(fixture.Main().ThreadList().SelectedNode(), next);
  }
}

// Muted: Ctrl+N and the viewer's Space run past it, the status bar does not
// count it, and it stays muted through "再構築(ALL)" and a reply that arrives.
TEST_F(MailClient, AMutedThreadIsSkippedAndStaysMutedAfterRebuildAllAndANewReply) {
  WithStandIn client(fixture);
  ui::TVtFormMain& main = fixture.Main();
  thread::ThreadNode* root = PrepareThread(fixture);
  ASSERT_NE(root, nullptr);
  ASSERT_GT(main.Shown().Rows().RowOf(root), 0) << "a row before the thread";
  const std::string root_name = root->Name.data();
  const std::string root_id = root->MessageId.str();
  const std::string status = fixture.StatusText();
  fixture.Command("mMuteThread");
  EXPECT_TRUE(root->Muted);
  EXPECT_NE(fixture.StatusText(), status) << "its unread messages are no longer counted";
  const thread::ThreadNode* next = NextUnreadThreadAfter(root);
  ASSERT_NE(next, nullptr);
  for (thread::ThreadNode* at = root->Prev; at != nullptr; at = at->Prev) thread::MarkRead(*at);
  main.SelectRow(main.Shown().Rows().RowOf(root) - 1, true);
  fixture.Command("mNextMidoku");
  EXPECT_EQ(main.ThreadList().SelectedNode(), next) << "next-unread skips the muted thread";
  // Space in the viewer pages to the end of the message before the thread,
  // then opens the message after the thread.
  main.SelectRow(main.Shown().Rows().RowOf(root) - 1, true);
  Open(fixture, fixture.SelectedRow());
  const thread::ThreadNode* opened = main.ViewedNode();
  for (int press = 0; press < 50 && main.ViewedNode() == opened; ++press) {
    PressKey(fixture.Viewer().BigView(), VK_SPACE);
    PumpUntil([&] { return main.ViewedNode() != opened; }, 300);
  }
  EXPECT_EQ(main.ViewedNode(), thread::ThreadEnd(root)) << "Space runs past the muted thread";
  SendMessageW(fixture.Viewer().hwnd(), WM_CLOSE, 0, 0);

  // A reply to the thread's first message, then the cache emptied and the
  // folder built again from its files.
  folder_fixture::TestMessage reply;
  reply.Name = "09999999";
  reply.MessageId = "late-reply@test";
  reply.InReplyTo = root_id;
  reply.Unread = true;
  reply.Stamp = 0x7fffffff;
  const std::string folder = fixture.FolderPath(kInbox);
  std::ofstream(folder + "\\Entry.lst", std::ios::binary | std::ios::app)
      << folder_fixture::IndexLine(reply);
  std::ofstream(folder + "\\09999999.qnm", std::ios::binary)
      << folder_fixture::MessageFileText(reply);
  fixture.Command("mRetry2");
  ASSERT_TRUE(fixture.WaitForFolder(kInbox));
  const thread::ThreadNode* again = nullptr;
  const thread::ThreadNode* late = nullptr;
  for (const thread::ThreadNode* at = main.Shown().Rows().Head(); at != nullptr; at = at->Next) {
    if (root_name == at->Name.data()) again = at;
    if (std::string("09999999") == at->Name.data()) late = at;
  }
  ASSERT_NE(again, nullptr);
  ASSERT_NE(late, nullptr);
  EXPECT_TRUE(again->Muted);
  EXPECT_TRUE(late->Muted) << "the reply joined the muted thread";
}

// Whether the thread list draws `row` in the grey of a muted thread: the
// colour its custom draw gives the row's text.
bool DrawnDimmed(UiFixture& fixture, int row) {
  HWND list = fixture.Main().ThreadList().ListViewMail().hwnd();
  NMLVCUSTOMDRAW draw{};
  draw.nmcd.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)),
                   static_cast<UINT>(NM_CUSTOMDRAW)};
  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
  draw.clrText = CLR_DEFAULT;
  SendMessageW(GetParent(list), WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
  return draw.clrText == GetSysColor(COLOR_GRAYTEXT);
}

// Two threads muted, the box lists both; one chosen and unmuted there: its
// row is drawn as any other again, the box lists the other alone, and the
// folder's file holds only the other's record.
TEST_F(MailClient, TheMutedThreadsBoxUnmutesTheChosenThread) {
  WithStandIn client(fixture);
  ui::TVtFormMain& main = fixture.Main();
  std::vector<thread::ThreadNode*> roots;
  for (thread::ThreadNode* at = main.Shown().Rows().Head(); at != nullptr && roots.size() < 2;
       at = at->Next) {
    if (at->Depth == 0 && !at->MessageId.empty()) roots.push_back(at);
  }
  ASSERT_EQ(roots.size(), 2u);
  for (thread::ThreadNode* root : roots) {
    main.SelectRow(main.Shown().Rows().RowOf(root), true);
    fixture.Command("mMuteThread");
    ASSERT_TRUE(root->Muted);
  }
  ASSERT_TRUE(DrawnDimmed(fixture, main.Shown().Rows().RowOf(roots[0])));
  int listed = -1;
  int left = -1;
  std::string left_subject;
  const std::size_t done =
      RunWithSteps([&] { fixture.Command("mMutedThreads"); },
                   {[&] {
                      HWND dialog = FindThreadWindow(ui::TMutedThreadsForm::kClassName);
                      if (dialog == nullptr) return false;
                      HWND list = GetDlgItem(dialog, ui::TMutedThreadsForm::kListId);
                      listed = ListView_GetItemCount(list);
                      for (int row = 0; row < listed; ++row) {
                        wchar_t text[256] = {};
                        ListView_GetItemText(list, row, 0, text, 256);
                        const bool first = platform::Narrow(text) == roots[0]->Subject.str();
                        ListView_SetItemState(list, row, first ? LVIS_SELECTED : 0, LVIS_SELECTED);
                      }
                      PostClick(GetDlgItem(dialog, IDOK));
                      return true;
                    },
                    [&] {
                      HWND dialog = FindThreadWindow(ui::TMutedThreadsForm::kClassName);
                      HWND list = GetDlgItem(dialog, ui::TMutedThreadsForm::kListId);
                      if (ListView_GetItemCount(list) == listed) return false;
                      left = ListView_GetItemCount(list);
                      wchar_t text[256] = {};
                      ListView_GetItemText(list, 0, 0, text, 256);
                      left_subject = platform::Narrow(text);
                      PressEscape(dialog);
                      return true;
                    }});
  ASSERT_EQ(done, 2u);
  EXPECT_EQ(listed, 2);
  EXPECT_EQ(left, 1);
  EXPECT_EQ(left_subject, roots[1]->Subject.str());
  EXPECT_FALSE(roots[0]->Muted);
  EXPECT_TRUE(roots[1]->Muted);
  EXPECT_FALSE(DrawnDimmed(fixture, main.Shown().Rows().RowOf(roots[0])));
  EXPECT_TRUE(DrawnDimmed(fixture, main.Shown().Rows().RowOf(roots[1])));
  std::vector<std::string> records;
  settings::IniReader(fixture.FolderPath(kInbox) + "\\VLTR.fol")
      .Text()
      .ForEachKey(thread::kMuteSection, [&](std::string_view key, std::string_view value) {
        if (key != "Version") records.emplace_back(value);
      });
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(records[0].find(roots[1]->MessageId.str()), std::string::npos);
  EXPECT_EQ(records[0].find(roots[0]->MessageId.str()), std::string::npos);
}

// Every message unread, one in three older than three days: the box counts
// them, a cancel at the first command stops after it, and a second run sends
// exactly the rest of the old ones, in list order.
TEST_F(MailClient, CatchingUpOlderThanNDaysSendsExactlyThoseAndACancelStopsIt) {
  WithStandIn client(fixture);
  ui::TVtFormMain& main = fixture.Main();
  const auto now = static_cast<std::uint32_t>(std::time(nullptr));
  std::vector<std::string> old_commands;
  int i = 0;
  for (thread::ThreadNode* node = main.Shown().Rows().Head(); node != nullptr; node = node->Next) {
    const bool old = i++ % 3 == 0;
    const std::uint32_t stamp = old ? now - 3 * 86400 - 3600 : now - 3 * 86400 + 3600;
    for (int b = 0; b < 4; ++b)
      node->StatusBlock[8 + b] = static_cast<std::uint8_t>(stamp >> (24 - 8 * b));
    node->StatusBlock[3] = static_cast<std::uint8_t>(node->StatusBlock[3] | 0x40);
    if (old) old_commands.push_back("MarkMail(" + Relative(fixture, *node) + ",1073741824,0)");
  }
  ASSERT_GE(old_commands.size(), 3u);
  std::wstring older_caption;
  const auto catch_up = [&] {
    return RunWithSteps([&] { fixture.Command("mFolderRead"); }, {[&] {
                          HWND dialog = FindThreadWindow(ui::TFolderReadForm::kClassName);
                          if (dialog == nullptr) return false;
                          HWND days = GetDlgItem(dialog, ui::TFolderReadForm::kDaysId);
                          SetWindowTextW(days, L"3");
                          wchar_t text[200] = {};
                          GetWindowTextW(GetDlgItem(dialog, ui::TFolderReadForm::kOlderId), text,
                                         200);
                          older_caption = text;
                          PressKey(days, VK_RETURN);
                          return true;
                        }});
  };
  std::size_t before = client.Received().size();
  fixture.MailClient.OnCommand = [&] {
    if (main.JobForm() != nullptr) main.JobForm()->CancelButtonClick();
  };
  ASSERT_EQ(catch_up(), 1u);
  EXPECT_NE(older_caption.find(L"(" + std::to_wstring(old_commands.size())), std::wstring::npos);
  std::vector<std::string> sent = client.Received();
  sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ(sent, std::vector<std::string>(old_commands.begin(), old_commands.begin() + 1))
      << "the cancel stops after the message in hand";
  fixture.MailClient.OnCommand = nullptr;
  before = client.Received().size();
  ASSERT_EQ(catch_up(), 1u);
  EXPECT_NE(older_caption.find(L"(" + std::to_wstring(old_commands.size() - 1)),
            std::wstring::npos);
  sent = client.Received();
  sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ(sent, std::vector<std::string>(old_commands.begin() + 1, old_commands.end()));
}

// Sets the unread bit of every record of the first account's Inbox index,
// before the window starts, so that the stand-in has every mark to carry out.
void MakeInboxUnread(UiFixture& fixture) {
  const std::string index_path = fixture.MailboxDir() + "\\Acc1\\Inbox.box\\Entry.lst";
  std::string index;
  ASSERT_TRUE(platform::ReadWholeFile(index_path, index));
  ASSERT_TRUE(platform::ReplaceFileAtomically(index_path, mkmailbox::WithEveryRecordUnread(index)));
}

// How many of `nodes` the folder's index still shows unread.
std::size_t UnreadInIndex(const std::string& folder,
                          const std::vector<thread::ThreadNode*>& nodes) {
  std::string index;
  platform::ReadWholeFile(folder + "\\Entry.lst", index);
  std::map<std::string, bool> unread;
  thread::IndexRecords records(index);
  for (std::string_view line; records.Next(line);) {
    unread[std::string(line.substr(0, 8))] =
        thread::IsUnread(thread::ParseIndexRecord(line).StatusBlock);
  }
  return static_cast<std::size_t>(std::count_if(nodes.begin(), nodes.end(), [&](auto* node) {
    const auto found = unread.find(node->Name.data());
    return found == unread.end() || found->second;
  }));
}

// The first node of the first thread of three or more messages.
thread::ThreadNode* ThreadOfThree(UiFixture& fixture) {
  for (thread::ThreadNode* at = fixture.Main().Shown().Rows().Head(); at != nullptr;
       at = thread::ThreadEnd(at)) {
    if (at->Next != nullptr && at->Next->Depth > 0 && at->Next->Next != nullptr &&
        at->Next->Next->Depth > 0) {
      return at;
    }
  }
  return nullptr;
}

// The client stops answering (busy with its mail) or holds a message's file
// for a while in the middle of a batch of marks: every chosen message is
// marked exactly once, in list order, once it answers again, within the
// waits' bounds, and the window answers all along. A file held after the
// client answered is still waited for.
TEST_F(MailClient, AClientBusyInTheMiddleOfABatchMarksEveryChosenMessageExactlyOnce) {
  const struct Case {
    const char* why;
    bool catch_up;   // the whole folder through フォルダを既読にする, else one thread
    bool hold_file;  // the test holds the file, else the stand-in is busy
    DWORD for_ms;
  } cases[] = {
      {"one thread, the client busy for 2 s at its second mark", false, false, 2000},
      {"the folder's catch-up, the client busy for 2 s at the middle mark", true, false, 2000},
      {"the folder's catch-up, the middle mark's file held for 1 s", true, true, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fixture.Restore();
    MakeInboxUnread(fixture);
    WithStandIn client(fixture);
    ui::TVtFormMain& main = fixture.Main();
    std::vector<thread::ThreadNode*> chosen;
    if (c.catch_up) {
      for (thread::ThreadNode* at = main.Shown().Rows().Head(); at != nullptr; at = at->Next) {
        chosen.push_back(at);
      }
    } else {
      thread::ThreadNode* root = ThreadOfThree(fixture);
      ASSERT_NE(root, nullptr);
      for (thread::ThreadNode* at = root; at != thread::ThreadEnd(root); at = at->Next) {
        chosen.push_back(at);
      }
      main.SelectRow(main.Shown().Rows().RowOf(root), true);
    }
    ASSERT_GE(chosen.size(), 3u);
    std::vector<std::string> expected;
    for (thread::ThreadNode* node : chosen) {
      ASSERT_TRUE(thread::IsUnread(*node));
      expected.push_back("MarkMail(" + Relative(fixture, *node) + ",1073741824,0)");
    }
    const std::string folder = fixture.FolderPath(kInbox);
    ASSERT_EQ(UnreadInIndex(folder, chosen), chosen.size());

    const std::size_t middle = c.catch_up ? chosen.size() / 2 : 2;
    const std::string held_path = chosen[middle - 1]->FilePath.str();
    HANDLE held = INVALID_HANDLE_VALUE;
    DWORD held_at = 0;
    std::optional<DuringPump> release;
    fixture.MailClient.OnCommand = [&] {
      if (fixture.MailClient.Commands.size() != middle) return;
      if (!c.hold_file) {
        KeepStandInBusy(c.for_ms);
        return;
      }
      held = CreateFileW(platform::Widen(held_path).c_str(), GENERIC_READ, 0, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      held_at = GetTickCount();
      release.emplace([&] {
        if (GetTickCount() - held_at < c.for_ms) return false;
        CloseHandle(held);
        return true;
      });
    };
    const std::size_t before = client.Received().size();
    AnswerWatch watch(main.hwnd());
    const DWORD start = GetTickCount();
    if (c.catch_up) {
      ASSERT_EQ(RunWithSteps([&] { fixture.Command("mFolderRead"); }, {[&] {
                               HWND dialog = FindThreadWindow(ui::TFolderReadForm::kClassName);
                               if (dialog == nullptr) return false;
                               PostClick(GetDlgItem(dialog, IDOK));
                               return true;
                             }}),
                1u);
    } else {
      fixture.Command("mThreadRead");
    }
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(watch.Stop(), 1000u) << "the window kept answering";
    fixture.MailClient.OnCommand = nullptr;
    if (c.hold_file) {
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
      EXPECT_TRUE(release->Done()) << "the held file was waited for";
      if (!release->Done()) CloseHandle(held);
    }
    EXPECT_GE(elapsed, c.for_ms - 500) << "the batch waited for the client";
    EXPECT_LT(elapsed, c.for_ms + 8000) << "within the waits' bounds";
    EXPECT_EQ(fixture.MailClient.Commands, expected) << "each handed over once, in list order";
    EXPECT_EQ(fixture.MailClient.Results,
              std::vector<client::HostCommandResult>(expected.size(),
                                                     client::HostCommandResult::kReleased));
    EXPECT_TRUE(PumpUntil([&] { return UnreadInIndex(folder, chosen) == 0; }, 5000))
        << "the client marked every chosen message";
    std::vector<std::string> received = client.Received();
    received.erase(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_EQ(received, expected) << "the client got each mark once, in list order";
  }
}

}  // namespace
}  // namespace uitest
