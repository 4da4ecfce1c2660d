#pragma once
// The hits of a search of the whole mailbox as rows of the thread list: one
// thread root per hit, in the order of the hits (newest first), no threading.
// Each row is read from its folder's "Entry.lst" record, as a folder's own
// rows are, so its sender, subject, unread mark and file path are what the
// folder shows; a hit whose folder or record is gone (the index lags behind
// the mail client) gives no row. Each row knows its folder, because the
// commands sent for it (mark read, trash) name its own folder's file.

#include <functional>
#include <string>
#include <vector>

#include "mailbox/folder_table.h"
#include "search/mail_index.h"
#include "thread/shown_list.h"

namespace search {

using ResultRows = thread::HitList;

// `hits` as Search gave them; `mailbox_dir` the mailbox root they are relative
// to (as MailboxDir holds it). Each folder with hits has its "Entry.lst" read
// once; `stop` (when given) is asked before each: true ends the rows there.
ResultRows MakeResultRows(const std::vector<MailIndex::Hit>& hits,
                          const mailbox::FolderTable& folders, const std::string& mailbox_dir,
                          const std::function<bool()>& stop = nullptr);

}  // namespace search
