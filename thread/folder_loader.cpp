#include "thread/folder_loader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "platform/files.h"
#include "platform/timing_log.h"
#include "thread/full_build.h"
#include "thread/ja_texts.h"
#include "thread/thread_cache.h"
#include "thread/thread_rows.h"

namespace thread {
namespace {

bool KeepsInMemory(const LoaderSettings& settings) { return settings.MailInMemory != 0; }

// Sets view.Loading for the life of one load.
class LoadingScope {
 public:
  explicit LoadingScope(ThreadView& view) : view_(view) { view_.Loading = true; }
  ~LoadingScope() { view_.Loading = false; }
  LoadingScope(const LoadingScope&) = delete;
  LoadingScope& operator=(const LoadingScope&) = delete;

 private:
  ThreadView& view_;
};

// Releases the shown list: the rows go first, since they point into it. A
// list kept by a folder is released there too, so no record keeps a pointer
// to freed nodes.
void ReleaseCurrent(ThreadView& view, LoadHost& host) {
  if (view.CurrentThreads == nullptr) return;
  host.ClearRows();
  if (!view.OwnsCurrent) {
    for (mailbox::FolderInfo& folder : view.Folders) {
      if (folder.Threads == view.CurrentThreads) folder.Threads = nullptr;
    }
  }
  FreeThreadList(view.CurrentThreads);
  view.CurrentThreads = nullptr;
  view.OwnsCurrent = false;
}

// Shows the current list as rows, writes the cache in the same pass unless
// it is known to hold the list already, and selects the start row.
void ShowThreadRows(ThreadView& view, const LoaderSettings& settings, LoadHost& host, int index,
                    bool cache_current) {
  mailbox::FolderInfo& folder = view.Folders[static_cast<std::size_t>(index)];
  host.EnableMainWindow(false);
  // The muted threads are marked in the rows' pass; the replies that joined
  // them since are added to their records at once.
  view.Mutes = folder.HasMutes ? MuteList::Read(folder.Path) : MuteList();
  MuteMarker mutes(view.Mutes);
  FilledRows filled = FillThreadList(view.CurrentThreads, folder, !cache_current,
                                     folder.HasMutes ? &mutes : nullptr);
  if (folder.HasMutes) WriteMutes(folder.Path, view.Mutes, mutes.Finish(), {});
  host.ShowFolderStatus(index);
  host.RepaintFolderList();
  const StartSelection start =
      ChooseStartRow(filled.Rows, folder.SelectedIndex, settings.MailIniPos);
  {
    platform::PhaseTimer timer("list-view");
    host.ShowRows(std::move(filled.Rows));
  }
  host.EnableMainWindow(true);
  if (start.Row < 0) return;
  host.SelectRow(start.Row);
  if (start.UnreadRow >= 0) host.SelectRow(start.UnreadRow);
}

// Reads the list through the cache, or in full; false when there is nothing
// to show. `cache_current` tells whether the cache file already holds it.
bool LoadThreads(ThreadView& view, const LoaderSettings& settings, LoadHost& host,
                 mailbox::FolderInfo& folder, bool& cache_current) {
  const FolderSource source{folder.Path, folder.Total, settings.Link, settings.ScanWorkers};
  platform::PhaseTimer load_timer("load");
  std::optional<CacheOpening> preloaded;
  if (view.Preload != nullptr) {
    preloaded = view.Preload->Take(source, [&host] { host.PumpMessages(); });
    view.Preload.reset();
  }
  ThreadLoad load;
  if (preloaded && preloaded->Complete()) {
    // Read ahead during the start-up and no new mail: what is left takes a few
    // milliseconds and cannot be cancelled, so no progress dialog comes up.
    QuietProgress quiet;
    LoadContext context{quiet, host};
    load = FinishCacheOpen(std::move(*preloaded), source, context);
  } else {
    platform::PhaseTimer dialog_timer("progress-dialog");
    ProgressSink& progress = host.ShowProgress();
    dialog_timer.Stop();
    progress.SetRange(0, folder.Total);
    progress.SetPosition(0);
    progress.SetTitle(ja::kBuildingTitle);
    progress.EnableCancel(true);
    LoadContext context{progress, host};
    load = preloaded ? FinishCacheOpen(std::move(*preloaded), source, context)
                     : LoadThreadCache(source, context);
    if (!load.Show) load = BuildThreadsFromIndex(source, context);
    platform::PhaseTimer hide_timer("progress-dialog-close");
    host.HideProgress();
  }
  load_timer.Stop();

  if (load.ForgetFolder) view.CurrentFolderIndex = -1;
  cache_current = load.CacheCurrent;
  view.CurrentThreads = load.List.Release();
  view.OwnsCurrent = !KeepsInMemory(settings);
  if (KeepsInMemory(settings)) folder.Threads = view.CurrentThreads;
  return load.Show;
}

}  // namespace

ThreadView::~ThreadView() {
  if (OwnsCurrent) FreeThreadList(CurrentThreads);
}

void OpenFolderThreads(ThreadView& view, const LoaderSettings& settings, LoadHost& host,
                       int index, bool remember) {
  if (view.Loading || index < 0 || index >= mailbox::kFolderCapacity) return;
  if (remember) {
    if (index == view.CurrentFolderIndex) return;
    if (view.CurrentFolderIndex >= 0) {
      view.Folders[static_cast<std::size_t>(view.CurrentFolderIndex)].SelectedIndex =
          std::max(host.SelectedRow(), 0);
    }
  }
  LoadingScope loading(view);
  platform::PhaseTimer open_timer("open-folder");
  view.CurrentFolderIndex = index;
  mailbox::FolderInfo& folder = view.Folders[static_cast<std::size_t>(index)];

  if (KeepsInMemory(settings)) {
    if (view.OwnsCurrent) ReleaseCurrent(view, host);
    view.CurrentThreads = folder.Threads;
    view.OwnsCurrent = false;
  } else {
    ReleaseCurrent(view, host);
  }
  host.ClearViewedNode();

  mailbox::RefreshFolderEntry(folder, "", settings.Discovery);
  if (host.RowCount() > 0) host.SelectRow(0);
  if (folder.Total == 0) {
    host.ClearRows();
    platform::TruncateFile(platform::JoinPath(folder.Path, kCacheFileName));
    return;
  }

  host.EnableAccountMenu(false);
  host.EnableMainWindow(false);
  host.EnableViewer(false);
  host.ClearRows();
  host.EnableMainWindow(true);

  bool cache_current = false;
  if (view.CurrentThreads == nullptr && !LoadThreads(view, settings, host, folder, cache_current)) {
    host.EnableAccountMenu(true);
    host.EnableViewer(true);
    return;
  }
  ShowThreadRows(view, settings, host, index, cache_current);
  host.EnableAccountMenu(true);
  host.EnableViewer(true);
}

void ReloadFolder(ThreadView& view, const LoaderSettings& settings, LoadHost& host,
                  int selected_folder) {
  if (view.Loading || selected_folder < 0 || selected_folder >= mailbox::kFolderCapacity) return;
  const int remembered = std::max(host.SelectedRow(), 0);
  ReleaseCurrent(view, host);
  host.ShowFolderStatus(selected_folder);
  OpenFolderThreads(view, settings, host, selected_folder, false);
  host.FocusMainWindow();
  const int rows = host.RowCount();
  if (rows > 0) host.SelectRow(std::min(remembered, rows - 1));
}

void RebuildFolder(ThreadView& view, const LoaderSettings& settings, LoadHost& host,
                   int selected_folder) {
  if (view.Loading || selected_folder < 0 || selected_folder >= mailbox::kFolderCapacity) return;
  const std::string& path = view.Folders[static_cast<std::size_t>(selected_folder)].Path;
  platform::TruncateFile(platform::JoinPath(path, kCacheFileName));
  ReloadFolder(view, settings, host, selected_folder);
}

void RefillFolderRows(ThreadView& view, const LoaderSettings& settings, LoadHost& host) {
  if (view.Loading || view.CurrentThreads == nullptr || view.CurrentFolderIndex < 0) return;
  mailbox::FolderInfo& folder = view.Folders[static_cast<std::size_t>(view.CurrentFolderIndex)];
  const int selected = host.SelectedRow();
  if (selected >= 0) folder.SelectedIndex = selected;
  host.SelectRow(0);
  host.ClearRows();
  ShowThreadRows(view, settings, host, view.CurrentFolderIndex, false);
}

bool RemoveShownMessage(ThreadView& view, RowView& rows, ThreadNode* node) {
  bool unread_gone = false;
  ThreadNode* const old_head = view.CurrentThreads;
  const int index = view.CurrentFolderIndex;
  mailbox::FolderInfo* folder = index >= 0 && index < mailbox::kFolderCapacity
                                    ? &view.Folders[static_cast<std::size_t>(index)]
                                    : nullptr;
  if (folder != nullptr) {
    if (IsUnread(*node) && folder->Unread > 0) {
      --folder->Unread;
      unread_gone = folder->Unread == 0;
    }
    --folder->Total;
  }
  ThreadNode* const head = rows.Remove(node);
  view.CurrentThreads = head;
  if (folder != nullptr && folder->Threads == old_head) folder->Threads = head;
  return unread_gone;
}

void LeaveShownList(ThreadView& view, LoadHost& host) {
  host.ClearRows();
  host.ClearViewedNode();
  if (view.OwnsCurrent) FreeThreadList(view.CurrentThreads);
  view.CurrentThreads = nullptr;
  view.OwnsCurrent = false;
  view.CurrentFolderIndex = -1;
}

void ReleaseThreadLists(ThreadView& view, LoadHost& host) {
  host.ClearRows();
  host.ClearViewedNode();
  if (view.OwnsCurrent) FreeThreadList(view.CurrentThreads);
  for (mailbox::FolderInfo& folder : view.Folders) {
    FreeThreadList(folder.Threads);
    folder.Threads = nullptr;
  }
  view.CurrentThreads = nullptr;
  view.OwnsCurrent = false;
}

}  // namespace thread
