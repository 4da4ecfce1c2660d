#pragma once
// The full build of a folder's threads: every record of "Entry.lst" is parsed,
// its message file's headers are scanned, and the node is linked in index
// order.

#include "thread/load_host.h"
#include "thread/thread_cache.h"

namespace thread {

// Builds the folder's list. Show is true when a list (possibly empty) was
// built; false when "Entry.lst" cannot be opened, or when the build was
// stopped (cancel or another folder chosen: ForgetFolder is then set and the
// partial list has been released). Headers are scanned on folder.ScanWorkers
// threads ahead of the linking, which stays in index order on the caller.
ThreadLoad BuildThreadsFromIndex(const FolderSource& folder, LoadContext& context);

}  // namespace thread
