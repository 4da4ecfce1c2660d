// veltrano-cli index MAILBOX_DIR
// veltrano-cli search [--limit N] [--count] [--explain] MAILBOX_DIR TEXT
//
// `index` brings the mailbox's full-text index up to date and prints one summary line
// to standard error, its last, ending in TAB and the index file's path (kept in the
// user's cache folder, search/index_file.h). `search` does the same silently, then prints the hits
// of TEXT (UTF-8, a query as thread/search_query.h reads it, on the machine's clock), one line
// per message, FOLDER TAB NAME, FOLDER the folder's directory relative to
// the mailbox with "\" between components; newest first (the index record's date stamp,
// descending; the hits of one stamp in the accounts' and their folders' order, then by name);
// a message the thread list does not list is no hit; `--limit N` only the first N; `--count`
// only the number of hits; `--explain` first prints how the query was read on standard error.
// A query that cannot be read: its error on standard error, exit 2, nothing else done. Both
// exit with 1 and a message on standard error when the index cannot be opened or brought up
// to date.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "search/mail_index.h"
#include "thread/search_query.h"

namespace {

int IndexUsage() {
  std::fputs("usage: veltrano-cli index MAILBOX_DIR\n", stderr);
  return 2;
}

int SearchUsage() {
  std::fputs("usage: veltrano-cli search [--limit N] [--count] [--explain] MAILBOX_DIR TEXT\n",
             stderr);
  return 2;
}

bool ParseCount(std::string_view text, std::int64_t& value) {
  if (text.empty() || text.size() > 12) return false;
  value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// The index opened and brought up to date; null after saying why on standard error.
// `every_file`: compare every message file's stamp, also in folders whose "Entry.lst"
// and directory have not changed since the last update (see MailIndex::CheckEveryFile).
std::unique_ptr<search::MailIndex> UpToDateIndex(const std::string& mailbox_dir, bool every_file) {
  std::string error;
  std::unique_ptr<search::MailIndex> index = search::MailIndex::Open(mailbox_dir, &error);
  if (!index) {
    std::fprintf(stderr, "veltrano-cli: %s\n", error.c_str());
    return nullptr;
  }
  index->CheckEveryFile(every_file);
  if (!index->UpdateAll(nullptr, nullptr)) {
    std::fprintf(stderr, "veltrano-cli: %s\n", index->Error().c_str());
    return nullptr;
  }
  return index;
}

}  // namespace

int RunIndexCommand(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') return IndexUsage();
  const auto start = std::chrono::steady_clock::now();
  const std::unique_ptr<search::MailIndex> index = UpToDateIndex(argv[1], true);
  if (!index) return 1;
  const search::MailIndex::Summary& s = index->LastUpdate();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr,
               "%s: %zu messages in %zu folders; %zu added, %zu removed, %zu unreadable; "
               "%.1f s\t%s\n",
               index->Path().c_str(), s.messages, s.folders, s.added, s.removed, s.skipped, seconds,
               index->Path().c_str());
  return 0;
}

int RunSearchCommand(int argc, char** argv) {
  std::int64_t limit = -1;
  bool count_only = false;
  bool explain = false;
  std::string mailbox_dir;
  std::string text;
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--limit") {
      if (i + 1 >= argc || !ParseCount(argv[i + 1], limit)) return SearchUsage();
      ++i;
    } else if (arg == "--count") {
      count_only = true;
    } else if (arg == "--explain") {
      explain = true;
    } else if (arg.starts_with("--") || positional == 2) {
      return SearchUsage();
    } else {
      (positional++ == 0 ? mailbox_dir : text) = arg;
    }
  }
  if (positional != 2) return SearchUsage();
  const thread::ParsedQuery query = thread::ParseQuery(text, thread::LocalQueryClock());
  if (!query.Ok()) {
    std::fprintf(stderr, "veltrano-cli: %s\n", query.error.c_str());
    return 2;
  }
  if (explain) std::fprintf(stderr, "%s\n", thread::ExplainQuery(query).c_str());

  // A search answers in milliseconds: a folder whose "Entry.lst" and directory are as the
  // index last saw them is taken as it is (a message the mail client adds, removes or
  // renames changes both; `index` compares every file).
  const std::unique_ptr<search::MailIndex> index = UpToDateIndex(mailbox_dir, false);
  if (!index) return 1;
  if (count_only) {
    const std::optional<std::int64_t> count = index->Count(query);
    if (!count) {
      std::fprintf(stderr, "veltrano-cli: %s\n", index->Error().c_str());
      return 1;
    }
    std::printf("%lld\n", static_cast<long long>(limit >= 0 ? std::min(*count, limit) : *count));
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  const auto hits = index->Search(query, limit);
  if (!hits) {
    std::fprintf(stderr, "veltrano-cli: %s\n", index->Error().c_str());
    return 1;
  }
  std::string out;
  for (const search::MailIndex::Hit& hit : *hits) {
    out += hit.folder;
    out += '\t';
    out += hit.name;
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
