// Memory of one folder's thread list in the 32-bit program: the process's
// private bytes before and after loading the folder, divided
// by the messages in the list. Run once per way of loading, each in a fresh
// process, so that no heap freed by the other way is reused:
//
//   list_memory build FOLDER_DIR   the full build (and then writes the cache)
//   list_memory cache FOLDER_DIR   the open through a current "VLTR.ume"
//
// Prints "MODE-bytes-per-message N (MESSAGES messages, BEFORE -> AFTER bytes)".

#include <windows.h>

#include <cstdio>
#include <string>

#include "mailbox/folder_table.h"
#include "thread/full_build.h"
#include "thread/thread_cache.h"
#include "thread/thread_rows.h"

namespace {

// The committed private memory of the process: what PrivateUsage counts.
// Wine leaves PrivateUsage at 0, so the regions are added up here.
std::size_t PrivateBytes() {
  std::size_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  const char* at = nullptr;
  while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

int Messages(const thread::ThreadNode* head) {
  int count = 0;
  for (; head != nullptr; head = head->Next) ++count;
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: list_memory build|cache FOLDER_DIR\n");
    return 2;
  }
  const std::string mode = argv[1];
  thread::QuietProgress progress;
  thread::QuietMonitor monitor;
  thread::LoadContext context{progress, monitor};
  const thread::FolderSource source{argv[2], 1000000, {}, 2};

  const std::size_t before = PrivateBytes();
  thread::ThreadLoad load = mode == "build" ? thread::BuildThreadsFromIndex(source, context)
                                            : thread::LoadThreadCache(source, context);
  const std::size_t after = PrivateBytes();
  const int messages = Messages(load.List.Head());
  if (messages == 0) {
    std::fprintf(stderr, "list_memory: no list loaded from %s\n", argv[2]);
    return 1;
  }
  std::printf("%s-bytes-per-message %.0f (%d messages, %zu -> %zu bytes)\n", mode.c_str(),
              static_cast<double>(after - before) / messages, messages, before, after);
  if (mode == "build") {
    mailbox::FolderInfo folder;
    folder.Path = argv[2];
    thread::FillThreadList(load.List.Head(), folder, true);
  }
  return 0;
}
