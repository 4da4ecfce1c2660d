// Muted threads: opening a folder (cached, as the window opens one it has
// shown before) with 1,000 muted threads against the same open with none, in
// the same run; and muting then unmuting one thread of the folder (the
// records and "VLTR.fol" written, the rows and the muted unread count
// following) against the floor of rewriting that file with one key.
//
// Usage: bench_thread_mute [COUNT]   (default 100000)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_mailbox.h"
#include "mailbox/folder_table.h"
#include "settings/ini_profile.h"
#include "thread/folder_loader.h"
#include "thread/mute_list.h"
#include "thread/shown_list.h"

namespace {

constexpr int kRepeats = 7;
constexpr int kMutedThreads = 1000;

// One open of the folder through its cache, as the window's, rows shown.
double Open(const std::string& path, int count, bool has_mutes) {
  auto table = std::make_unique<mailbox::FolderTable>();
  mailbox::FolderInfo& folder = (*table)[0];
  folder.Kind = mailbox::kFolderMail;
  folder.Path = path;
  folder.Total = count;
  folder.HasMutes = has_mutes;
  thread::ThreadView view(*table);
  thread::RowCollector host;
  thread::ShownList shown;
  const thread::LoaderSettings settings;
  const double seconds = bench::Seconds([&] {
    thread::OpenFolderThreads(view, settings, host, 0, false);
    shown.ShowFolder(host.Rows, 0, *table);
  });
  shown.Clear(-1);
  thread::ReleaseThreadLists(view, host);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  bench::CachedFolder cached("mute-" + std::to_string(count), count);
  const std::string path = cached.dir.Path();
  const std::string settings_file = platform::JoinPath(path, "VLTR.fol");

  // Mute every tenth thread up to kMutedThreads, as the command would.
  thread::ThreadLoad load = thread::LoadThreadCache(cached.source, cached.context);
  std::vector<thread::ThreadNode*> roots;
  for (thread::ThreadNode* node = load.List.Head(); node != nullptr; node = node->Next) {
    if (node->Depth == 0) roots.push_back(node);
  }
  thread::MuteList mutes;
  std::vector<thread::MuteRecord> records;
  for (std::size_t i = 0; i < roots.size() && records.size() < kMutedThreads; i += 10) {
    records.push_back(mutes.Mute(roots[i]));
  }
  thread::WriteMutes(path, mutes, records, {});

  double without = 1e9;
  double with = 1e9;
  for (int r = 0; r < kRepeats; ++r) {
    without = std::min(without, Open(path, count, false));
    with = std::min(with, Open(path, count, true));
  }

  // The mute's own part of an open: the file read and the flags set.
  double apply = 1e9;
  for (int r = 0; r < kRepeats; ++r) {
    apply = std::min(apply, bench::Seconds([&] {
                       thread::MuteList list = thread::MuteList::Read(path);
                       list.Apply(load.List.Head());
                     }));
  }

  double apply_only = 1e9;
  {
    thread::MuteList list = thread::MuteList::Read(path);
    for (int r = 0; r < kRepeats; ++r) {
      apply_only = std::min(apply_only, bench::Seconds([&] { list.Apply(load.List.Head()); }));
    }
  }

  // Mute and unmute one thread of the list shown.
  thread::ShownList shown;
  std::vector<thread::ThreadNode*> nodes;
  for (thread::ThreadNode* node = load.List.Head(); node != nullptr; node = node->Next) {
    nodes.push_back(node);
  }
  auto table = std::make_unique<mailbox::FolderTable>();
  (*table)[0].Kind = mailbox::kFolderMail;
  shown.SetHideMuted(true);
  shown.ShowFolder(nodes, 0, *table);
  thread::MuteList read = thread::MuteList::Read(path);
  read.Apply(load.List.Head());
  thread::ThreadNode* target = roots[roots.size() / 2 + 1];
  double toggle = 1e9;
  double floor = 1e9;
  for (int r = 0; r < 2 * kRepeats; ++r) {
    toggle = std::min(toggle, bench::Seconds([&] {
                        thread::ToggleMute(path, read, target);
                        shown.MutesChanged();
                      }));
    floor = std::min(floor, bench::Seconds([&] {
                       settings::IniWriter out(settings_file);
                       out.WriteInteger("Property", "TabInfo", 0);
                       out.Commit();
                     }));
  }

  std::printf("%d messages, %zu threads, %d muted\n", count, roots.size(), kMutedThreads);
  std::printf("open, none muted     %8.1f ms\n", without * 1e3);
  std::printf("open, %d muted     %8.1f ms   %5.3fx (at most 1.05)\n", kMutedThreads, with * 1e3,
              with / without);
  std::printf("  of which VLTR.fol read and flags set %5.1f ms (flags alone %4.1f ms)\n",
              apply * 1e3, apply_only * 1e3);
  std::printf("mute or unmute       %8.1f ms   (at most 50 ms)\n", toggle * 1e3);
  std::printf("floor: VLTR.fol rewritten with one key %5.1f ms; mute / floor %5.2fx\n", floor * 1e3,
              toggle / floor);
  std::printf("best of %d each; the open is OpenFolderThreads with the rows shown.\n", kRepeats);
  return 0;
}
