#include "thread/thread_rows.h"

#include <algorithm>

#include "mailbox/folder_discovery.h"
#include "platform/files.h"
#include "platform/timing_log.h"
#include "thread/sjis_text.h"
#include "thread/thread_cache.h"

namespace thread {

bool ReadFolderSettings(mailbox::FolderInfo& folder, int tab_info_default) {
  mailbox::FolderDisplaySettings settings;
  if (folder.Kind != mailbox::kFolderContainer) {
    settings = mailbox::ReadFolderDisplaySettings(folder.Path, tab_info_default);
  }
  const bool changed =
      settings.TabInfo != folder.TabInfo || settings.MlStringDelete != folder.MlStringDelete;
  folder.TabInfo = settings.TabInfo;
  folder.MlStringDelete = settings.MlStringDelete;
  folder.HasMutes = folder.HasMutes || settings.HasMutes;
  return changed;
}

std::string IndentText(std::int32_t depth, std::int32_t tab_info) {
  if (depth <= 0) return std::string();
  std::string text;
  if (tab_info == 0) text.assign(2 * static_cast<std::size_t>(depth), ' ');
  text += "  +";
  return text;
}

std::string_view DisplaySubject(std::string_view subject, std::int32_t ml_string_delete) {
  if (ml_string_delete == 0) return subject;
  return SubjectKey(subject, true);
}

RowText MakeRow(const ThreadNode& node, const mailbox::FolderInfo& folder) {
  RowText row;
  row.Caption = IndentText(node.Depth, folder.TabInfo);
  row.Caption += DisplaySubject(node.Subject, folder.MlStringDelete);
  row.Sender = node.Sender;
  row.Image = IsUnread(node) ? kUnreadImage : kNoImage;
  return row;
}

FilledRows FillThreadList(ThreadNode* head, mailbox::FolderInfo& folder, bool write_cache,
                          MuteMarker* mutes) {
  FilledRows filled;
  platform::PhaseTimer rows_timer("rows");
  folder.Unread = 0;
  CacheWriter cache(head);
  for (ThreadNode* node = head; node != nullptr; node = node->Next) {
    filled.Rows.push_back(node);
    if (IsUnread(*node)) ++folder.Unread;
    if (write_cache) cache.Add(*node);
    if (mutes != nullptr) mutes->Add(node);
  }
  rows_timer.Stop();
  if (write_cache && !cache.Empty()) {
    platform::PhaseTimer rewrite_timer("cache-rewrite");
    filled.CacheWritten = cache.Commit(platform::JoinPath(folder.Path, kCacheFileName));
    filled.CacheFailed = !filled.CacheWritten;
  }
  return filled;
}

int FindUnreadRow(const ThreadNode* node, int row, UnreadDirection direction) {
  const bool next = direction == UnreadDirection::kNext;
  int steps = 0;
  for (const ThreadNode* at = next ? node->Next : node->Prev; at != nullptr;
       at = next ? at->Next : at->Prev) {
    ++steps;
    if (IsUnread(*at) && !at->Muted) return next ? row + steps : row - steps;
  }
  return -1;
}

StartSelection ChooseStartRow(const std::vector<ThreadNode*>& rows, int selected_index,
                              int mail_ini_pos) {
  StartSelection selection;
  if (rows.empty()) return selection;
  const int last = static_cast<int>(rows.size()) - 1;
  int row = selected_index;
  if (row == -1) row = (mail_ini_pos == 0 || mail_ini_pos == 2) ? 0 : last;
  selection.Row = std::clamp(row, 0, last);
  const ThreadNode* node = rows[static_cast<std::size_t>(selection.Row)];
  if (!IsUnread(*node)) {
    if (mail_ini_pos == 2) {
      selection.UnreadRow = FindUnreadRow(node, selection.Row, UnreadDirection::kNext);
    } else if (mail_ini_pos == 3) {
      selection.UnreadRow = FindUnreadRow(node, selection.Row, UnreadDirection::kPrevious);
    }
  }
  return selection;
}

}  // namespace thread
