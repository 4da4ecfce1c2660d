#pragma once
// What the thread list shows, whatever it shows: a folder's threads, the hits
// of a search of every folder, or nothing. One object holds the rows (a
// RowView), which of the two they are, each row's own folder, the threads
// collapsed in each folder, the filter text the rows follow, and the counts
// the status bar shows, so that the window only draws the rows and hands on
// keys, and every command (open, mark read, trash, reply) takes the folder of
// a message from its row, for a folder and for hits alike.
//
// The hits are kept here from their first answer until a new search, a new
// folder table or ForgetHits, whether they are shown or wait in their row of
// the folder list.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mailbox/folder_table.h"
#include "thread/folder_loader.h"
#include "thread/row_view.h"
#include "thread/thread_node.h"

namespace thread {

// The hits of a search of the whole mailbox as a list: one root per hit, in
// the order of the hits, each knowing its folder (an index into the folder
// table), because the commands sent for a hit name its own folder's file.
struct HitList {
  ThreadList List;
  std::unordered_map<const ThreadNode*, int> FolderOf;
  // The hit's folder, or -1 for a node not of this list.
  int Folder(const ThreadNode* node) const {
    const auto found = FolderOf.find(node);
    return found == FolderOf.end() ? -1 : found->second;
  }
  std::size_t Count() const { return FolderOf.size(); }
};

class ShownList {
 public:
  // ---- What is shown ----------------------------------------------------------
  // A folder's list (every node, in list order, as FillThreadList gives it),
  // with the threads collapsed that were when it was last shown (all of them,
  // for a folder not shown yet, when collapsing is the default). The subject
  // is matched as the folder shows it (its MlStringDelete).
  void ShowFolder(std::vector<ThreadNode*> nodes, int folder, const mailbox::FolderTable& folders);
  // The hits kept (TakeHits) as rows, one each; nothing changes without.
  void ShowHits();
  // No rows while `folder` (-1: none) opens, or when the list is left.
  void Clear(int opening);
  bool ShowsHits() const { return source_ == Source{Kind::kHits, -1}; }
  // The folder whose threads are shown; -1 for hits or nothing.
  int Folder() const { return source_.kind == Kind::kFolder ? source_.folder : -1; }
  // A row's own folder: the folder shown, or for a hit its own; -1 for none.
  int FolderOf(const ThreadNode* node) const;
  const RowView& Rows() const { return rows_; }
  RowView& Rows() { return rows_; }

  // ---- The hits of a search of every folder -----------------------------------
  // Keeps the answer to a search of `query` (UTF-8; `complete` false while
  // more hits are coming). When hits are shown the rows are the new hits at
  // once (the old ones are freed after the rows leave them).
  void TakeHits(HitList hits, std::string query, bool complete);
  bool HasHits() const { return hits_ != nullptr; }
  // The hits go (a new folder table: they name folders of the old one).
  void ForgetHits();
  // What the hits were searched for; empty without hits.
  const std::string& HitsQuery() const { return hits_query_; }
  // The hit whose file is `path`, or null.
  ThreadNode* FindHit(std::string_view path) const;

  // ---- Marking read and taking out ---------------------------------------------
  // A row's message marked read here (the unread bit only) and its folder's
  // unread count lowered. A hit is a copy of its folder's node: the list
  // that folder keeps in memory would show it unread, so it is dropped and
  // the folder is read again at its next visit. The folder whose count
  // reached 0, else -1.
  int MarkRead(ThreadView& view, ThreadNode* node);
  // Takes a row's message out (and frees it) once the mail client has moved
  // it to the trash: its replies move up a level in its place, its folder's
  // Total and Unread go down (and for a hit, the folder's kept list is
  // dropped, as above). The folder whose unread count reached 0, else -1.
  int Remove(ThreadView& view, ThreadNode* node);

  // ---- The filter -------------------------------------------------------------
  // Whether the filter box's text was typed for what the last ShowFolder,
  // ShowHits or Clear shows (or opens); when not, the window empties the box,
  // which filters this from now on. The same folder read again keeps it.
  bool KeepsFilter() const { return keeps_filter_; }
  // Shows the threads holding `query`, read from the filter box's `text`
  // (kept as it is, to tell the texts apart), see RowView::SetFilter; the
  // folder shown gives folder: its title. A query that failed changes no row
  // and runs nothing: only its error is kept (FilterExplained). False when
  // `stop` gave it up (the rows stay).
  bool SetFilter(std::string_view text, ParsedQuery query, bool body_search,
                 const std::function<bool()>& stop = nullptr);
  // The same with the full-text index's hits for each leaf it is asked.
  void SetBodyFilter(std::string_view text, ParsedQuery query,
                     std::vector<std::vector<std::string>> hits);
  // The text the rows follow (or whose error is shown), and whether with the
  // index's hits.
  const std::string& AppliedFilter() const { return applied_filter_; }
  // How the last text was read (ExplainQuery, UTF-8), or why it could not
  // be; empty for an empty text.
  const std::string& FilterExplained() const { return filter_explained_; }
  bool BodyFilterShown() const { return applied_body_ && rows_.FilterOn(); }

  // ---- Collapsed threads ----------------------------------------------------
  void SetCollapseByDefault(bool collapse) { collapse_by_default_ = collapse; }
  // Forgets the collapsed threads of every folder and the hits (the folder
  // table is new).
  void ForgetFolders();

  // ---- Muted threads -----------------------------------------------------------
  // Muted threads left out of the rows, or shown (the window dims them).
  void SetHideMuted(bool hide) { rows_.SetHideMuted(hide); }
  // The folder's Muted flags changed (a mute or an unmute).
  void MutesChanged();
  // Unread messages of muted threads in the folder shown.
  std::size_t MutedUnread() const { return muted_unread_; }

  // ---- The status bar ---------------------------------------------------------
  // The counts of what is shown: a folder's total and unread (less the unread
  // messages of muted threads), or the hits'
  // number ("+" while more are coming); and, while the filter is on, the
  // messages it shows.
  std::string StatusText(const mailbox::FolderTable& folders) const;
  // The hits' counts while they wait in their row.
  std::string HitsStatusText() const;

 private:
  enum class Kind { kNone, kFolder, kHits };
  struct Source {
    Kind kind = Kind::kNone;
    int folder = -1;
    bool operator==(const Source&) const = default;
  };
  void Show(std::vector<ThreadNode*> nodes, Source source, std::int32_t ml_string_delete);
  // What shows now, and what the filter box's text is to filter.
  void ChangeSource(Source source, Source filter_source);
  void KeepCollapsed();
  // The folder's unread count lowered; the folder when it reached 0, else -1.
  static int LowerUnread(ThreadView& view, int folder);
  void RecountMuted();
  // A hit's folder keeps its list in memory: dropped, unless it is shown.
  static void ForgetKeptList(ThreadView& view, int folder);

  RowView rows_;
  Source source_;
  std::unique_ptr<HitList> hits_;
  std::string hits_query_;
  bool hits_complete_ = false;
  Source filter_source_;  // what the filter box's text was typed for
  bool keeps_filter_ = true;
  std::string applied_filter_;
  std::string filter_explained_;
  std::string folder_title_;  // of the folder shown, Shift-JIS; empty for hits
  bool applied_body_ = false;
  std::map<int, CollapsedThreads> collapsed_;  // by folder, while the program runs
  int collapsed_folder_ = -1;                  // the folder whose threads rows_ collapses
  bool collapse_by_default_ = false;
  std::size_t muted_unread_ = 0;
};

}  // namespace thread
