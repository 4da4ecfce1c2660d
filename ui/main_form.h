#pragma once
// TVtFormMain: the main window. The folder list pane on the left, a
// splitter, the thread list pane on the right, a status bar at the bottom and
// the menu bar built from the command table. The form wires the panes and
// holds the view state they share for the whole run (account, folder table,
// the shown thread list, ViewedNode), runs the commands and implements the
// LoadHost the folder loader drives; reading files and building threads
// happen in the core.

#include <windows.h>

// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/compose.h"
#include "client/host_command.h"
#include "mailbox/accounts.h"
#include "mailbox/folder_table.h"
#include "settings/query_history.h"
#include "settings/settings.h"
#include "thread/folder_loader.h"
#include "thread/load_host.h"
#include "ui/busy_flag.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/dialogs/job_form.h"
#include "ui/folder_list_pane.h"
#include "ui/fonts.h"
#include "ui/index_link.h"
#include "ui/mail_client_link.h"
#include "ui/pane_host.h"
#include "ui/thread_list_pane.h"
#include "ui/view_host.h"
#include "ui/when_idle.h"
#include "ui/window.h"

namespace ui {

class TViewForm;

// What the window needs from the program around it; tests fill it with their
// own pieces.
struct MainFormEnvironment {
  platform::SystemPath SettingsPath;  // "Veltra.ini" (settings::ChooseSettingsHome)
  mailbox::ReadRegistryFn ReadRegistry;
  // Replaces the shell's folder-browse dialog when set (tests).
  mailbox::BrowseForMailboxFn BrowseForMailbox;
  MailClientLink* MailClient = nullptr;  // null: nothing is sent to the mail client or the shell
  // The user's local application data folder, where Windows keeps the
  // VirtualStore (CP932); empty: the system's.
  std::string LocalAppData;
  // Replaces the message box of ShowMessageText when set (tests).
  std::function<void(const std::string&)> MessageHook;
  // Called by Timer1Timer to take the splash window away.
  std::function<void()> RemoveSplash;
  // The code converter the viewer loads; tests name a missing one.
  std::wstring NkfLibrary = L"NKF32.DLL";
  // Whether the full-text index is kept and asked (tests leave it off unless
  // they search the text).
  bool FullTextIndex = true;
  // Ends the process at once, when the close could not stop the index's
  // threads in time (the settings are saved by then); unset: they are left.
  std::function<void()> EndProcess;
};

class TVtFormMain final : public Window,
                          public thread::LoadHost,
                          public ViewerHost,
                          public PaneHost {
 public:
  static constexpr wchar_t kClassName[] = L"TVtFormMain";
  // Control ids, so that tests and other programs can find the controls.
  static constexpr int kListBoxFId = 100;
  static constexpr int kListViewMailId = 101;
  static constexpr int kStatusBarId = 102;
  static constexpr int kFilterBoxId = 103;
  static constexpr int kBodySearchId = 104;
  static constexpr UINT_PTR kTimerKeyWaitId = FolderListPane::kTimerKeyWaitId;
  static constexpr UINT_PTR kTimer1Id = 2;
  // Posted by the full-text index's threads: news waits (IndexLink::Take).
  static constexpr UINT kIndexNewsMessage = WM_APP + 20;

  explicit TVtFormMain(MainFormEnvironment environment);
  ~TVtFormMain() override;

  // The viewer, created hidden the first time it is needed (a message opened,
  // the option dialog) rather than at start-up, where its window and rich
  // edit control cost about 8 ms under Wine. The form opens messages in it and
  // forgets ViewedNode when it closes.
  TViewForm& EnsureViewer();
  // The start folder's cache, read ahead while the windows are made; the
  // first folder load takes it.
  void AdoptPreload(std::unique_ptr<thread::CachePreload> preload) {
    view_.Preload = std::move(preload);
  }
  HACCEL accelerators() const { return accelerators_; }

  // Keyboard shortcuts of the main window for a message about to be
  // dispatched; true when the message was used up.
  bool PreTranslate(MSG& message);
  // Every key the window reacts to: its shortcuts and both lists' keys.
  static std::vector<KeyBinding> KeyBindings();

  // The first show: runs the start-up sequence (FormShow) while the window is
  // still hidden, then shows it.
  void Show(int show_command);

  // ---- Operations (also used by the panes) -------------------------------
  // The status bar: a folder's counts (-1 empties it), the hits', or those
  // of what the thread list shows.
  void ShowFolderStatus(int folder) override;
  void ShowHitsStatus() override;
  void ShowListStatus() override;
  void OpenFolderThreads(int folder, bool remember) override;
  void SelectRow(int row, bool scroll) { thread_list_.SelectRow(row, scroll); }
  void OpenSelectedMail() override;
  void ShowMessageText(const std::string& text);
  // Runs the command of the table named `name` when it is enabled.
  void RunCommand(const char* name) override;
  void PopupMenu(Pane pane, HWND owner_control, std::optional<POINT> at) override;
  void FocusPane(Pane pane) override;
  bool ViewerBusy() const override;

  // ---- Event handlers ------------------------------------------------------
  void FormShow();
  // The 64-bit program at start, once the splash has gone: says when the
  // mailbox has a copy in the VirtualStore, which only a 32-bit program sees.
  void WarnOfVirtualStoreCopy();
  bool FormCloseQuery();
  // The main window's and the viewer's settings into "Veltra.ini", as at a
  // close (also at log-off, which ends the process without one). A save that
  // fails is told (ReportUnsavedSettings) unless `report` is false: at
  // log-off no box may be shown.
  void SaveAllSettings(bool report = true);
  // ShowMessageText that the settings file could not be written, naming it;
  // once a run.
  void ReportUnsavedSettings();
  void FormResize();
  void Splitter1Moved() { thread_list_.FitSenderColumn(); }
  void Timer1Timer();
  void mAccountClick();
  void AccountItemClick(int index);

  // ---- Command handlers and enabled tests (the command table's rows) -------
  void mRetry1Click();
  void mRetry2Click();
  void mPopupMidokuClick() { folder_list_.RefreshUnreadCounts(); }
  void mPrevMidokuClick() { thread_list_.JumpToUnread(Direction::kPrevious); }
  void mNextMidokuClick() { thread_list_.JumpToUnread(Direction::kNext); }
  void mNextThreadClick() { thread_list_.JumpToNextUnreadThread(); }
  void mCollapseAllClick() { thread_list_.CollapseAll(); }
  void mExpandAllClick() { thread_list_.ExpandAll(); }
  void FocusQuickFilter() { thread_list_.FocusFilterBox(); }
  void mBodySearchClick() { thread_list_.TurnOnBodySearch(); }
  void mSearchAllClick();
  bool CanSearchAll() const;
  // "この差出人で絞り込む", "この件名で絞り込む", "このスレッドで絞り込む": the
  // selected row's term in the quick filter box (thread/filter_terms.h).
  void mFilterSenderClick() { FilterBySelected(&thread::SenderTerm); }
  void mFilterSubjectClick() { FilterBySelected(&thread::SubjectTerm); }
  void mFilterThreadClick() { FilterBySelected(&thread::ThreadTerm); }
  bool HasSelectedRow() const { return thread_list_.SelectedNode() != nullptr; }
  void mExitClick() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }
  bool CanReload() const;
  bool SelectedFolderIsNoContainer() const;
  void mSendClick() { ComposeNew(); }
  void mReplyMailClick() { ReplyOrForwardSelected(false); }
  void mForwardMailClick() { ReplyOrForwardSelected(true); }
  void mMailDeleteClick() { MoveToTrash(); }
  void KQuenmar321Click();
  bool CanMoveToTrash() const { return !ViewerBusy(); }
  // "スレッドを既読にする": every unread message of the selected row's thread
  // marked read through the mail client, in list order, then the next
  // unread thread selected. "スレッドのミュート": the thread muted, or
  // unmuted when it is. Both on a folder's threads only.
  void mThreadReadClick();
  void mMuteThreadClick();
  // "ミュートしたスレッドを隠す" (checked while they are): muted threads left
  // out of the rows, or shown dimmed.
  void mHideMutedClick();
  // "ミュートしたスレッド...": the box listing the shown folder's muted
  // threads, those chosen there unmuted as "スレッドのミュート" unmutes.
  void mMutedThreadsClick();
  // "フォルダを既読にする...": the box, then the messages chosen marked as
  // "スレッドを既読にする" marks them, with the progress dialog (its cancel
  // stops after the message in hand).
  void mFolderReadClick();
  bool CanMarkThread() const { return !ViewerBusy() && shown_.Folder() >= 0; }
  // With the option "MarkMutedRead", once nothing is busy: the unread
  // messages of the muted threads shown marked read through the client.
  void MarkMutedRead();

  // ---- The mail client (main_form_mail.cpp) --------------------------------
  // The selected row's message to the trash through the mail client; false
  // (the row stays) when nothing could be sent.
  bool MoveToTrash() override;
  // The viewed message to the trash, wherever the selection is; false when it
  // stayed or is no longer in the list.
  bool MoveViewedToTrash() override;
  bool MoveNodeToTrash(thread::ThreadNode* node);
  void ReplyOrForwardSelected(bool forward);
  // Makes `node` the viewed message. False when its file is gone: the user is
  // told and a shown viewer closes.
  bool ViewMessageFile(const thread::ThreadNode* node);
  client::ComposeContext MailClientContext() const;
  void ReportLaunch(bool launched);

  // ---- The full-text index (main_form_search.cpp) ---------------------------
  // Asks the index for the folder's hits for `text`: the rows follow the
  // answer. False when it cannot be asked (an empty text, no index): the
  // filter then takes the subject and sender alone.
  bool AskBodySearch(int folder, const std::string& text) override;

  // ---- The search of every folder (main_form_results.cpp) -----------------
  // The hits shown in place of a folder's threads (nothing while a load runs).
  void OpenHits() override;

  // ---- ViewerHost ------------------------------------------------------------
  void SetViewedNode(const thread::ThreadNode* node) override;
  HWND ThreadListWindow() const override { return thread_list_.ListViewMail().hwnd(); }
  bool JumpToUnread(Direction direction) override { return thread_list_.JumpToUnread(direction); }
  const thread::ThreadNode* SelectAdjacent(const thread::ThreadNode* node,
                                           Direction direction) override {
    return thread_list_.SelectAdjacent(node, direction);
  }
  void MarkSelectedThreadRead() override { mThreadReadClick(); }
  void FilterThreadList(const std::string& term) override;
  void ToggleSelectedThreadMute() override { mMuteThreadClick(); }
  bool ClientConfigured() const override;
  void ComposeNew() override;
  void ComposeReply(const std::string& message_path) override;
  void ComposeForward(const std::string& message_path) override;
  void ComposeToAddress(const std::string& address) override;
  void OpenUrl(const std::string& url) override;
  void mFolderSetClick();
  void mFolderFontClick();
  void mMailFontClick();
  void mVersionClick();
  void mOptionClick();
  void mMailboxClick();

  // ---- LoadHost -----------------------------------------------------------
  void PumpMessages() override;
  bool FolderSwitchPending() override;
  void EnableMainWindow(bool enable) override;
  thread::ProgressSink& ShowProgress() override;
  void HideProgress() override;
  void EnableAccountMenu(bool enable) override;
  void EnableViewer(bool enable) override;
  void FocusMainWindow() override;
  // The loader's positions in the list, through the shown rows.
  int RowCount() override { return static_cast<int>(shown_.Rows().MessageCount()); }
  int SelectedRow() override;
  void SelectRow(int position) override;
  void ClearRows() override { thread_list_.ClearRows(view_.CurrentFolderIndex); }
  // What the thread list shows.
  const thread::ShownList& Shown() const { return shown_; }
  void ShowRows(std::vector<thread::ThreadNode*> rows) override;
  void ClearViewedNode() override { viewed_node_ = nullptr; }
  void RepaintFolderList() override { folder_list_.ListBoxF().Invalidate(); }

  // ---- State readers ---------------------------------------------------------
  const FolderListPane& FolderList() const { return folder_list_; }
  const ThreadListPane& ThreadList() const { return thread_list_; }
  const mailbox::AccountState& Account() const { return account_; }
  const mailbox::FolderTable& Folders() const { return *folders_; }
  int CurrentFolderIndex() const { return view_.CurrentFolderIndex; }
  const thread::ThreadNode* ViewedNode() const override { return viewed_node_; }
  std::string StatusText() const { return status_bar_.SimpleText(); }
  bool TimerKeyWaitRunning() const { return folder_list_.TimerKeyWaitRunning(); }
  bool Loading() const override { return view_.Loading; }
  // The window is gone, or a close waits for what runs to end.
  bool Closing() const { return hwnd() == nullptr || idle_.Waiting(WhenIdle::Job::kClose); }
  TVtJobForm* JobForm() const { return load_.JobForm.get(); }
  // Folders whose threads were (re)loaded, in order: every OpenFolderThreads
  // that did not return at once because the folder was already shown.
  const std::vector<int>& OpenedFolders() const { return opened_folders_; }
  // Null until the viewer is first needed.
  ui::TViewForm* Viewer() const { return viewer_.get(); }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCreate();
  void OnCommand(int id);
  void Layout();
  // Sizes at the window's DPI: the status bar (19 pixels at 100%, or its
  // font's text height and a margin when taller) and the splitter (3).
  int StatusBarHeight() const;
  int SplitterWidth() const;
  // Fonts, image lists and list widths for the window's DPI (layout_.Dpi); called at
  // creation and when the window moves to a monitor of another scale.
  void ApplyDpi();
  void OnDpiChanged(int dpi, LPARAM suggested);
  void ApplyMainSettings();
  void CollectMainSettings();
  void SetUpImageLists();
  thread::LoaderSettings LoadSettings() const;
  void AfterLoad();
  class KeeperPause;
  // WM_CLOSE again once no load runs and the viewer is not busy.
  void CloseWhenIdle();
  void MarkAsRead(int folder, const std::string& message_path, client::HostCommandPace pace);
  // Marks `nodes` (unread messages of the rows shown) read one by one, each
  // through the mail client and here; `stop` (none: never) is asked before
  // each. How many were marked.
  std::size_t MarkNodesRead(const std::vector<thread::ThreadNode*>& nodes,
                            const std::function<bool()>& stop = nullptr);
  void ReloadAccount();
  // The index's threads on the current mailbox, or none (the option off); the
  // old mailbox's are left to end on their own.
  void StartIndex();
  // At the close: the index's threads stopped, waited for at most kExitWait.
  void StopIndexForExit();
  static constexpr std::chrono::milliseconds kExitWait{2000};
  void OnIndexNews();
  std::string IndexStatusText(int folder) const;
  void SetListStatus(const std::string& counts);
  // Searches every folder for search_all_text_ again.
  void SearchAllAgain();
  void OnSearchAnswer(search::MailboxSearch::Answer answer);
  // Shows the answer that waits (once no load runs and the viewer is not busy).
  void ApplyPendingResults();
  void ForgetResults();
  // "再構築" and "再構築(ALL)": the chosen folder read again by `reload`; on
  // the hits, the search asked again.
  using ReloadFn = void (*)(thread::ThreadView&, const thread::LoaderSettings&, thread::LoadHost&,
                            int);
  void Retry(ReloadFn reload);
  void UpdateCaption();
  // The splitter's drag (button, moves, capture lost): true when used up.
  bool SplitterMouse(UINT message, LPARAM lparam);
  void OnInitMenuPopup(HMENU menu, LPARAM lparam);
  void KeepFocusedChild();
  void RestoreFocusedChild();
  void ListFontClick(bool thread_list);
  void FilterBySelected(std::string (*term)(const thread::ThreadNode&));
  std::string BrowseForMailbox(const std::string& initial_dir);
  HMENU AccountMenu() const;

  MainFormEnvironment environment_;
  // The shared view state.
  mailbox::AccountState account_;
  std::unique_ptr<mailbox::FolderTable> folders_;
  // The settings of "Veltra.ini", read by the first show.
  struct RunSettings {
    settings::MainWindowSettings Main;
    settings::PropertySettings Properties;
    settings::QueryHistory Queries;  // both search boxes'
    bool Read = false;             // FormShow has run
    bool UnsavedReported = false;  // a save that failed has been told (once a run)
  } settings_;
  thread::ThreadView view_{*folders_};  // CurrentThreads, CurrentFolderIndex
  thread::ShownList shown_;             // what the thread list shows
  const thread::ThreadNode* viewed_node_ = nullptr;
  // The panes and the status bar.
  FolderListPane folder_list_{*this, *folders_};
  ThreadListPane thread_list_{*this, *folders_, shown_};
  ui::StatusBar status_bar_;
  // Sizes at the window's DPI, which every size follows, and the splitter.
  struct MainLayout {
    int Dpi = 96;
    ui::Font StatusFont;
    int ListBoxWidth = 150;  // pixels at Dpi
    bool DraggingSplitter = false;
  } layout_;
  // A running load's progress dialog and message pump, and the child that
  // had the focus when the window was disabled or deactivated (it gets it
  // back).
  struct LoadState {
    std::unique_ptr<TVtJobForm> JobForm;
    unsigned long LastPump = 0;
    HWND Focus = nullptr;
  } load_;
  std::vector<int> opened_folders_;

  BusyFlag viewer_busy_;  // the viewer's ViewerBusy, also held before it exists
  std::unique_ptr<ui::TViewForm> viewer_;
  // What waits until no load runs and the viewer is not busy.
  WhenIdle idle_{[this] { return view_.Loading || ViewerBusy(); }};
  HACCEL accelerators_ = nullptr;
  // The full-text index: its threads (null when off or closed), what they
  // said last, and the quick filter's question to them.
  struct IndexState {
    std::unique_ptr<IndexLink> Link;
    std::optional<search::MailIndex::Progress> Progress;  // while a whole pass runs
    std::string QueryFolder;
    std::string QueryText;
    int UnindexedFolder = -1;  // the folder Unindexed counts
    std::size_t Unindexed = 0;
  } index_;
  // The search of every folder: the text searched last and its query's
  // number, the query whose hits the shown list holds (they are kept there),
  // an answer that waits for a load or the viewer, and where the user was
  // when the search was asked: its first answer opens the hits only when the
  // user has stayed there.
  struct SearchAllState {
    std::string Text;  // UTF-8
    std::uint64_t Query = 0;
    std::uint64_t ShownQuery = 0;
    std::optional<search::MailboxSearch::Answer> Pending;
    struct {
      int folder = -1;
      HWND focus = nullptr;
    } AskedAt;
  } search_all_;
};

}  // namespace ui
