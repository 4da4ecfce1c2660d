// veltrano-cli threads: prints a folder's thread rows, one line per row in
// list order: Depth TAB Name TAB U TAB Caption TAB Sender, where U is 1 for an
// unread message and Caption is the indentation text followed by the subject
// as shown. Texts are the raw Shift-JIS bytes; lines end with LF.
//
// Without --cache the folder is built in full from "Entry.lst" and its message
// files and nothing is written. With --cache the folder is opened as the
// program opens a folder that is not in memory: "Entry.ini" is read again,
// "VLTR.ume" is loaded, reconciled and brought up to date (or the folder is
// built in full), and the cache is rewritten.
//
// --filter TEXT (Shift-JIS bytes) prints only the rows of the threads the
// thread list's quick filter shows for TEXT, unchanged. --collapsed prints one
// line per shown thread: its first row's five fields, then TAB, the number of
// rows hidden under it, TAB, how many of those are unread. With both, the
// filter applies first. --muted adds, after the sender, TAB and 1 for a row
// of a muted thread (its folder's "VLTR.fol"), else 0.
//
// veltrano-cli mute (and unmute) FOLDER_DIR NAME mutes (unmutes) the thread
// of message NAME as the thread list's command does, writing "VLTR.fol"; the
// threading options and --cache are those of threads. 1 when the folder has
// no message NAME or the file cannot be written.

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "mailbox/folder_table.h"
#include "settings/ini_profile.h"
#include "thread/folder_loader.h"
#include "thread/full_build.h"
#include "thread/header_scan_pool.h"
#include "thread/load_host.h"
#include "thread/mute_list.h"
#include "thread/row_view.h"
#include "thread/search_query.h"
#include "thread/thread_rows.h"
#include "viewer/unicode_text.h"

namespace {

constexpr char kUsage[] =
    "usage: veltrano-cli threads [--references] [--subject] [--tab-default N] [--cache] "
    "[--filter TEXT] [--collapsed] [--muted] FOLDER_DIR\n";
constexpr char kMuteUsage[] =
    "usage: veltrano-cli mute|unmute [--references] [--subject] [--cache] FOLDER_DIR NAME\n";

struct Arguments {
  bool References = false;
  bool Subject = false;
  bool Cache = false;
  bool Collapsed = false;
  bool Muted = false;
  int TabDefault = 0;
  std::string Filter;
  std::string Folder;
  std::string Name;  // mute and unmute
};

// `with_name`: the folder is followed by a message name.
bool ParseArguments(int argc, char** argv, Arguments& args, bool with_name = false) {
  bool have_folder = false;
  bool have_name = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--references") {
      args.References = true;
    } else if (arg == "--subject") {
      args.Subject = true;
    } else if (arg == "--cache") {
      args.Cache = true;
    } else if (arg == "--collapsed") {
      args.Collapsed = true;
    } else if (arg == "--muted") {
      args.Muted = true;
    } else if (arg == "--filter") {
      if (i + 1 >= argc) return false;
      args.Filter = argv[++i];
    } else if (arg == "--tab-default") {
      std::int32_t value = 0;
      if (i + 1 >= argc || !settings::ParseInteger(argv[i + 1], value)) return false;
      args.TabDefault = value;
      ++i;
    } else if (arg.empty() || arg.front() == '-' || have_name || (have_folder && !with_name)) {
      return false;
    } else if (have_folder) {
      args.Name = arg;
      have_name = true;
    } else {
      args.Folder = arg;
      have_folder = true;
    }
  }
  return have_folder && have_name == with_name;
}

void PrintRows(std::vector<thread::ThreadNode*> nodes, const mailbox::FolderInfo& folder,
               const Arguments& args) {
  thread::RowView rows;
  rows.Reset(std::move(nodes), folder.MlStringDelete, {});
  // The filter is read as the box reads its text; an error prints no row.
  thread::ParsedQuery query =
      thread::ParseQuery(viewer::Cp932ToUtf8(args.Filter), thread::LocalQueryClock());
  if (!query.Ok()) {
    std::fprintf(stderr, "%s\n", query.error.c_str());
    return;
  }
  rows.SetFilter(std::move(query), false, folder.Title);
  if (args.Collapsed) rows.CollapseAll();
  std::string out;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const thread::ThreadNode* node = rows[r];
    const thread::RowText row = thread::MakeRow(*node, folder);
    out += std::to_string(node->Depth);
    out += '\t';
    out.append(node->Name.data(), strnlen(node->Name.data(), node->Name.size()));
    out += '\t';
    out += thread::IsUnread(*node) ? '1' : '0';
    out += '\t';
    out += row.Caption;
    out += '\t';
    out += row.Sender;
    if (args.Muted) {
      out += '\t';
      out += node->Muted ? '1' : '0';
    }
    if (args.Collapsed) {
      const thread::HiddenCount hidden = thread::RowView::Hidden(*node);
      out += '\t';
      out += std::to_string(hidden.Messages);
      out += '\t';
      out += std::to_string(hidden.Unread);
    }
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

// What a folder's rows are handed to: the rows in list order, the folder's
// record and its muted threads (already applied to the rows' flags).
using RowsUse = std::function<void(std::vector<thread::ThreadNode*>&, const mailbox::FolderInfo&,
                                   thread::MuteList&)>;

// The full build alone; nothing is written but what `use` writes.
void WithFullBuild(const Arguments& args, const thread::LinkOptions& link, const RowsUse& use) {
  mailbox::FolderInfo folder;
  folder.Kind = mailbox::kFolderMail;
  folder.Path = args.Folder;
  thread::ReadFolderSettings(folder, args.TabDefault);
  thread::QuietProgress progress;
  thread::QuietMonitor monitor;
  thread::LoadContext context{progress, monitor};
  const thread::FolderSource source{args.Folder, 0, link,
                                    thread::HeaderScanAhead::DefaultWorkers()};
  thread::ThreadLoad load = thread::BuildThreadsFromIndex(source, context);
  if (!load.Show) return;
  thread::FilledRows filled = thread::FillThreadList(load.List.Head(), folder, false);
  thread::MuteList mutes = thread::MuteList::Read(folder.Path);
  mutes.Apply(load.List.Head());
  use(filled.Rows, folder, mutes);
}

// The folder opened as the program opens it when it is not in memory.
void WithCachedOpen(const Arguments& args, const thread::LinkOptions& link, const RowsUse& use) {
  auto table = std::make_unique<mailbox::FolderTable>();
  mailbox::FolderInfo& folder = (*table)[0];
  folder.Kind = mailbox::kFolderMail;
  folder.Path = args.Folder;
  thread::ReadFolderSettings(folder, args.TabDefault);  // as the program's folder discovery does
  thread::LoaderSettings settings;
  settings.Link = link;
  settings.ScanWorkers = thread::HeaderScanAhead::DefaultWorkers();
  thread::ThreadView view(*table);
  thread::RowCollector host;
  thread::OpenFolderThreads(view, settings, host, 0, false);
  use(host.Rows, folder, view.Mutes);
  thread::ReleaseThreadLists(view, host);
}

void WithFolderRows(const Arguments& args, const RowsUse& use) {
  thread::LinkOptions link;
  link.References = args.References;
  link.Subject = args.Subject;
  if (args.Cache) {
    WithCachedOpen(args, link, use);
  } else {
    WithFullBuild(args, link, use);
  }
}

int SetMuteCommand(int argc, char** argv, bool mute) {
  Arguments args;
  if (!ParseArguments(argc, argv, args, true)) {
    std::fputs(kMuteUsage, stderr);
    return 2;
  }
  int code = 1;
  WithFolderRows(args, [&](std::vector<thread::ThreadNode*>& rows,
                           const mailbox::FolderInfo& folder, thread::MuteList& mutes) {
    for (thread::ThreadNode* node : rows) {
      if (args.Name != node->Name.data()) continue;
      const bool ok = node->Muted == mute || thread::ToggleMute(folder.Path, mutes, node);
      code = ok ? 0 : 1;
      return;
    }
    std::fprintf(stderr, "veltrano-cli: no message %s in the folder\n", args.Name.c_str());
  });
  return code;
}

}  // namespace

int RunThreadsCommand(int argc, char** argv) {
  Arguments args;
  if (!ParseArguments(argc, argv, args)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  WithFolderRows(args,
                 [&args](std::vector<thread::ThreadNode*>& rows, const mailbox::FolderInfo& folder,
                         thread::MuteList&) { PrintRows(std::move(rows), folder, args); });
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int RunMuteCommand(int argc, char** argv) { return SetMuteCommand(argc, argv, true); }
int RunUnmuteCommand(int argc, char** argv) { return SetMuteCommand(argc, argv, false); }
