#include "thread/full_build.h"

#include <string>
#include <vector>

#include "mailbox/client_files.h"
#include "platform/files.h"
#include "platform/timing_log.h"
#include "thread/header_scan_pool.h"
#include "thread/index_record.h"
#include "thread/ja_texts.h"

namespace thread {

ThreadLoad BuildThreadsFromIndex(const FolderSource& folder, LoadContext& context) {
  ThreadLoad load;
  platform::PhaseTimer index_timer("index-read");
  std::string index;
  if (!platform::ReadSettledFile(platform::JoinPath(folder.Path, mailbox::kEntryList), index)) {
    context.monitor.EnableMainWindow(true);
    return load;
  }
  context.progress.SetTitle(ja::kBuildingTitle);
  context.progress.Repaint();

  // All records first, so that the headers can be scanned ahead of the linking.
  std::vector<ThreadNode*> nodes;
  IndexRecords records(index);
  std::string_view line;
  while (records.Next(line)) {
    // All nodes of the folder in one store.
    ThreadNode* node = NewThreadNode(nodes.empty() ? nullptr : nodes.front());
    ParseIndexRecordInto(line, *node);
    SetFilePath(*node, folder.Path);
    nodes.push_back(node);
  }
  std::string().swap(index);  // the nodes hold their own texts: free it before the long scan
  index_timer.Stop();

  platform::PhaseTimer link_timer("scan-and-link");
  ThreadLinker linker(folder.Link);
  const LinkRun run = ScanAndLink(nodes, linker, load.List.MutableHead(), context,
                                  folder.ScanWorkers);
  if (run.Stopped) {
    load.List.Reset();
    load.ForgetFolder = true;
    return load;
  }
  context.monitor.EnableMainWindow(false);
  load.Show = true;
  return load;
}

}  // namespace thread
