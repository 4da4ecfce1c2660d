#pragma once
// Showing a folder's threads: from memory, through the thread cache, or by a
// full build; and the reload ("再構築") and rebuild-all ("再構築(ALL)")
// commands. The windows are reached only through LoadHost.

#include <memory>

#include "mailbox/folder_discovery.h"
#include "mailbox/folder_table.h"
#include "thread/cache_preload.h"
#include "thread/header_scan_pool.h"
#include "thread/load_host.h"
#include "thread/mute_list.h"
#include "thread/row_view.h"
#include "thread/thread_linker.h"
#include "thread/thread_node.h"

namespace thread {

struct LoaderSettings {
  int MailInMemory = 0;  // 1: keep each folder's list in its FolderInfo once built
  int MailIniPos = 1;    // start row of a folder shown for the first time
  LinkOptions Link;
  mailbox::DiscoveryOptions Discovery;  // for re-reading the folder's record
  // Threads scanning message headers ahead of the linking (0: none).
  int ScanWorkers = HeaderScanAhead::DefaultWorkers();
};

// The thread list being shown and where it came from.
struct ThreadView {
  explicit ThreadView(mailbox::FolderTable& table) : Folders(table) {}
  ThreadView(const ThreadView&) = delete;
  ThreadView& operator=(const ThreadView&) = delete;
  // Releases the list it owns (MailInMemory 0); kept lists stay with their
  // folders.
  ~ThreadView();

  mailbox::FolderTable& Folders;
  // Head of the list shown, or null. Owned here when MailInMemory is 0, else
  // by the folder's Threads.
  ThreadNode* CurrentThreads = nullptr;
  // True when CurrentThreads is owned here rather than by a folder record.
  bool OwnsCurrent = false;
  // The start folder's cache read ahead during the start-up, if any: the
  // first load takes it (when it is for that folder) or drops it.
  std::unique_ptr<CachePreload> Preload;
  // The folder opened last; -1 after a cancelled load (the next selection of
  // any folder then opens it).
  int CurrentFolderIndex = -1;
  // The muted threads of the folder shown, read from its "VLTR.fol" each time
  // its rows are filled (when it has any), so that another window's mutes
  // are seen at the next visit.
  MuteList Mutes;
  // True while OpenFolderThreads runs (it lets window messages run): the
  // window must not start another load, reload or account change meanwhile.
  bool Loading = false;
};

// Shows folder `folder`'s threads. `remember` is true for the user's folder
// selection: then nothing happens when the folder is already the current one,
// and the selected row of the folder left is stored in its SelectedIndex.
// Does nothing when called while a load runs.
void OpenFolderThreads(ThreadView& view, const LoaderSettings& settings, LoadHost& host,
                       int folder, bool remember);

// "再構築" (mRetry1Click): releases the shown list and opens `selected_folder`
// again through its cache, then selects the row that was selected (or the
// last row when the list got shorter).
void ReloadFolder(ThreadView& view, const LoaderSettings& settings, LoadHost& host,
                  int selected_folder);

// "再構築(ALL)" (mRetry2Click): empties the folder's "VLTR.ume", then reloads,
// so the folder is built in full from its message files.
void RebuildFolder(ThreadView& view, const LoaderSettings& settings, LoadHost& host,
                   int selected_folder);

// After a change of the display settings of the folder shown (its
// "VLTR.fol"): keeps the selected row in the folder's SelectedIndex, selects
// the first row, clears the rows and fills them again from the same list,
// which rewrites the cache; the kept row is selected again.
void RefillFolderRows(ThreadView& view, const LoaderSettings& settings, LoadHost& host);

// Takes a shown message out of its folder's list once the mail client has
// moved it to the trash: `rows` frees it and moves its replies up a level in
// its place; the folder's Total and Unread go down, and the list's head is
// replaced wherever it is held. True when the folder's Unread reached 0.
bool RemoveShownMessage(ThreadView& view, RowView& rows, ThreadNode* node);

// Stops showing the list, for rows of another kind (the hits of a search):
// the rows go, the list is freed when the view owns it and stays with its
// folder when kept there (MailInMemory 1); no folder is current after it, so
// any folder chosen next is opened.
void LeaveShownList(ThreadView& view, LoadHost& host);

// Releases every list held (all folders' kept lists and the shown one) after
// clearing the rows; for an account or mailbox change and for exit.
void ReleaseThreadLists(ThreadView& view, LoadHost& host);

}  // namespace thread
