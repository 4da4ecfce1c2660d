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

// The folders a search of the window's folder table covers, as Search takes
// them: place i is entry i's directory, empty for an entry that holds no mail
// (a container), so that a row's place in them is its place in the table.
std::vector<std::string> SearchScope(const mailbox::FolderTable& folders);

// `hits` as Search gave them for the folders `folder_dirs`; `mailbox_dir` the
// mailbox root they are relative to (as MailboxDir holds it). A row's folder
// (FolderOf) is its place in `folder_dirs`. Each folder with hits has its
// "Entry.lst" read once; `stop` (when given) is asked before each: true ends
// the rows there.
ResultRows MakeResultRows(const std::vector<MailIndex::Hit>& hits,
                          const std::vector<std::string>& folder_dirs,
                          const std::string& mailbox_dir,
                          const std::function<bool()>& stop = nullptr);

}  // namespace search
