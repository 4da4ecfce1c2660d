#pragma once
// The rows of the thread list view made from a folder's list, the folder's
// display settings ("VLTR.fol"), and the row selected when a folder is shown.
//
// The view is a virtual list: FillThreadList gives it the nodes in list order
// (and writes the cache in the same pass); MakeRow makes one row's texts when
// the view asks for them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mailbox/folder_table.h"
#include "thread/mute_list.h"
#include "thread/thread_node.h"

namespace thread {

inline constexpr int kUnreadImage = 0;  // the unread icon
inline constexpr int kNoImage = 99;     // an index with no image: nothing drawn

// Reads "TabInfo" (default `tab_info_default`) and "MlStringDelete" (default
// 0) from the folder's "VLTR.fol" into the record; a container gets 0 and 0
// without reading. True when either value changed.
bool ReadFolderSettings(mailbox::FolderInfo& folder, int tab_info_default);

// Text before the subject: none for a root; otherwise two spaces per level
// and "  +", or only "  +" when `tab_info` is not 0 (one-level display).
std::string IndentText(std::int32_t depth, std::int32_t tab_info);

// The subject as shown: unchanged when `ml_string_delete` is 0; otherwise
// without a leading list tag ("[name:0001]" as the second character on) and
// without the character that follows it (or without the first character when
// there is no tag). Steps by Shift-JIS characters.
std::string_view DisplaySubject(std::string_view subject, std::int32_t ml_string_delete);

struct RowText {
  std::string Caption;     // indentation text + DisplaySubject
  std::string_view Sender;  // the node's Sender (valid while the node lives)
  int Image = kNoImage;    // kUnreadImage for an unread node
};
RowText MakeRow(const ThreadNode& node, const mailbox::FolderInfo& folder);

struct FilledRows {
  std::vector<ThreadNode*> Rows;  // list order
  bool CacheWritten = false;      // the cache file was replaced
  bool CacheFailed = false;       // it could not be written (the old one is whole)
};

// One pass over the list from `head`: the rows, the folder's Unread count,
// the Muted flags when `mutes` is given (the caller Finishes it), and, when
// `write_cache` is set, the new "VLTR.ume" in the folder's directory (an
// empty list leaves the file as it was).
FilledRows FillThreadList(ThreadNode* head, mailbox::FolderInfo& folder, bool write_cache,
                          MuteMarker* mutes = nullptr);

enum class UnreadDirection { kNext, kPrevious };

// The start row's unread move: from `node`, at position `row` in the list,
// follows Next (or Prev) links to the nearest unread node and returns its
// position, or -1 when the end of the list comes first. The start node itself
// does not count, nor does a message of a muted thread. (The thread list's own jumps go through
// RowView.)
int FindUnreadRow(const ThreadNode* node, int row, UnreadDirection direction);

// Positions in the list, as the loader hands them to LoadHost::SelectRow.
struct StartSelection {
  int Row = -1;        // the position to select first; -1 when there are no rows
  int UnreadRow = -1;  // then move the selection there; -1 to stay
};

// The message selected when rows have been filled: the folder's SelectedIndex
// (clamped to the rows), or when that is -1 the first row for "MailIniPos" 0
// and 2 and the last row otherwise. When that row is read, "MailIniPos" 2
// moves on to the next unread row and 3 to the previous one.
StartSelection ChooseStartRow(const std::vector<ThreadNode*>& rows, int selected_index,
                              int mail_ini_pos);

}  // namespace thread
