// The full-text index on a generated mailbox of Japanese prose (bench/prose_mailbox.h):
// building it through `veltrano-cli index` (CPU time per message, peak memory) beside a
// floor measured in the same run (reading and decoding every message, nothing indexed);
// its size beside the decoded text and the mailbox; and queries of 1, 2 and more
// characters through `veltrano-cli search` with process start, first 50 hits and full
// count, beside the floor of a search for nothing (process start and the check that the
// index is up to date), then queries of fields, dates, negations and ORs the same way;
// the window's filter of one folder (MailIndex::FolderLeafHits) for the word queries,
// beside the filter with an empty box; and the window's search of every
// folder (MailboxSearch), from the query to its first rows and to all of them, beside the
// first 50 hits through `veltrano-cli search`.
// Then the same build, size and queries (English and Japanese words) on the shared real
// mailbox of a mailing list, when it lies beside the checkout (unpacked once under the
// build folder; skipped with a message when absent), and on six times its mail.
//
// Usage: bench_search_index [COUNT]   (default 100000)
// The CPU times are the process's own (user + system), fair on a loaded machine; wall
// times are printed beside them.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "bench/bench_mailbox.h"
#include "bench/prose_mailbox.h"
#include "platform/utf8_path.h"
#include "search/folder_scan.h"
#include "search/index_file.h"
#include "search/mail_index.h"
#include "search/mailbox_search.h"
#include "search/message_text.h"
#include "thread/search_query.h"
#include "viewer/unicode_text.h"

extern char** environ;

namespace {

struct Run {
  double wall_ms = 0;
  double cpu_ms = 0;
  long peak_kb = 0;
  int status = -1;
};

// Runs the command-line program with `args`, its output thrown away.
Run RunCli(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  static std::string cli = VELTRANO_CLI_PATH;
  argv.push_back(cli.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  Run run;
  if (posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ) != 0) return run;
  rusage usage{};
  int status = 0;
  wait4(pid, &status, 0, &usage);
  run.wall_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  run.cpu_ms = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
  run.peak_kb = usage.ru_maxrss;
  run.status = status;
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

Run Best(int runs, const std::vector<std::string>& args) {
  Run best;
  best.wall_ms = 1e30;
  for (int i = 0; i < runs; ++i) {
    const Run run = RunCli(args);
    if (run.wall_ms < best.wall_ms) best = run;
  }
  return best;
}

std::uint64_t FileSize(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Query {
  const char* what;
  std::string text;
};

// The folders of `mailbox`: each directory holding an "Entry.lst".
std::vector<std::string> FoldersOf(const std::string& mailbox) {
  std::vector<std::string> folders;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(mailbox)) {
    if (entry.is_regular_file() && entry.path().filename() == "Entry.lst") {
      folders.push_back(entry.path().parent_path().string());
    }
  }
  return folders;
}

std::uint64_t BytesUnder(const std::string& dir) {
  std::uint64_t bytes = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) bytes += entry.file_size();
  }
  return bytes;
}

// Builds the index of `mailbox` through `veltrano-cli index` beside the floor of reading
// and decoding every message, prints its size beside the text and the mailbox, and
// times `queries` (first 50 hits and the count) beside the floor of a search for
// nothing. Gives the first-50 times, in the order of `queries`.
std::vector<double> BuildAndAsk(const std::string& mailbox, const std::vector<std::string>& folders,
                                std::uint64_t mailbox_bytes, const std::vector<Query>& queries) {
  // Floor: every message read and decoded as the index reads it, nothing indexed.
  std::uint64_t text_bytes = 0;
  std::size_t count = 0;
  const double floor_cpu_start = CpuMs();
  const double floor_wall = bench::BestMilliseconds(1, [&] {
    for (const std::string& folder : folders) {
      std::string list;
      platform::ReadWholeFile(platform::JoinPath(folder, "Entry.lst"), list);
      for (const search::ListedMessage& m : search::ListMessages(list, 0, {})) {
        const std::string path = platform::JoinPath(folder, m.name + ".qnm");
        const search::MessageFields fields =
            search::ReadMessageFields(path, m.flags).value_or(search::MessageFields());
        text_bytes += search::SjisToUtf8(m.sender).size() + search::SjisToUtf8(m.subject).size() +
                      fields.unquoted.size() + fields.quoted.size() + fields.from.size() +
                      fields.recipients.size() + fields.names.size();
        ++count;
      }
    }
  });
  const double floor_cpu = CpuMs() - floor_cpu_start;

  const Run build = RunCli({"index", mailbox});
  const std::string index_path = search::IndexPath(mailbox, platform::LocalProgramFolderUtf8());
  const std::uint64_t index_bytes = FileSize(index_path) + FileSize(index_path + "-wal");
  std::printf("  (of which the write-ahead log: %.1f MB)\n", FileSize(index_path + "-wal") / 1e6);
  std::printf("build: %.3f ms/message CPU (%.0f ms wall, %.0f ms CPU), peak memory %.1f MB\n",
              build.cpu_ms / count, build.wall_ms, build.cpu_ms, build.peak_kb / 1024.0);
  std::printf("  floor (read + decode only): %.3f ms/message CPU (%.0f ms wall); ratio %.2f\n",
              floor_cpu / count, floor_wall, build.cpu_ms / floor_cpu);
  std::printf(
      "size: index %.1f MB, decoded text (UTF-8) %.1f MB: %.2f of the text, %.2f of the"
      " mailbox\n",
      index_bytes / 1e6, text_bytes / 1e6, static_cast<double>(index_bytes) / text_bytes,
      static_cast<double>(index_bytes) / mailbox_bytes);

  const Run start = Best(5, {"accounts", mailbox});
  const Run nothing = Best(5, {"search", "--limit", "50", mailbox, ""});
  std::printf(
      "floors: process start %.1f ms; search for nothing (start + up-to-date check)"
      " %.1f ms\n",
      start.wall_ms, nothing.wall_ms);
  std::printf("queries (wall, best of 3; ratio to the search for nothing):\n");
  std::vector<double> first_ms;
  for (const Query& q : queries) {
    const Run first = Best(3, {"search", "--limit", "50", mailbox, q.text});
    first_ms.push_back(first.wall_ms);
    const Run all = Best(3, {"search", "--count", mailbox, q.text});
    std::printf("  %-26s first 50 %7.1f ms (x%.2f)   count %7.1f ms (x%.2f)\n", q.what,
                first.wall_ms, first.wall_ms / nothing.wall_ms, all.wall_ms,
                all.wall_ms / nothing.wall_ms);
  }
  return first_ms;
}

// The shared real mailbox, unpacked under the build folder once.
void RealMailbox() {
  const std::string archive = VELTRANO_REAL_MAILBOX;
  if (!std::filesystem::exists(archive)) {
    std::printf("\nreal mailbox: skipped, no %s\n", archive.c_str());
    return;
  }
  const std::string dir = VELTRANO_UNPACK_DIR;
  const std::string mailbox = platform::JoinPath(dir, "mailbox");
  if (!std::filesystem::exists(platform::JoinPath(mailbox, "Mailbox.ini"))) {
    std::filesystem::create_directories(dir);
    const std::string command = "tar -xzf '" + archive + "' -C '" + dir + "'";
    if (std::system(command.c_str()) != 0) {
      std::printf("\nreal mailbox: cannot unpack %s\n", archive.c_str());
      return;
    }
  }
  const std::vector<Query> queries = {{"the", "the"},
                                      {"a", "a"},
                                      {"er", "er"},
                                      {"printf", "printf"},
                                      {"mmap", "mmap"},
                                      {"man-pages", "man-pages"},
                                      {"EINVAL", "EINVAL"},
                                      {"s.c", "s.c"},
                                      {"n-p", "n-p"},
                                      {"phrase \"ls -l\"", "\"ls -l\""},
                                      {"ファイル", "ファイル"},
                                      {"日本語", "日本語"},
                                      {"の", "の"},
                                      {"no hit", "zzqx"},
                                      {"from:", "from:kerrisk"},
                                      {"to:", "to:linux-man"},
                                      {"subject: phrase", "subject:\"man page\""},
                                      {"nq:", "nq:EINVAL"},
                                      {"file:", "file:.patch"},
                                      {"date: a year", "date:2020"},
                                      {"negated only", "-the"},
                                      {"OR", "EINVAL OR ENOMEM"},
                                      {"group, negation", "(mmap OR printf) -patch"}};
  std::filesystem::remove(search::IndexPath(mailbox, platform::LocalProgramFolderUtf8()));
  const std::vector<std::string> folders = FoldersOf(mailbox);
  const std::uint64_t bytes = BytesUnder(mailbox);
  std::printf("\nreal mailbox: %s, %zu folders, %.1f MB of files\n", mailbox.c_str(),
              folders.size(), bytes / 1e6);
  BuildAndAsk(mailbox, folders, bytes, queries);

  // The same mail at 100,000 messages and more: its inbox linked into five more folders
  // of the account ("User001.box" on), whose messages the index takes as others.
  const std::string big = platform::JoinPath(dir, "mailbox-x6");
  if (!std::filesystem::exists(platform::JoinPath(big, "Mailbox.ini"))) {
    std::string command = "cp -al '" + mailbox + "' '" + big + "'";
    for (int i = 1; i <= 5; ++i) {
      command += " && cp -al '" + big + "/Acc1/Inbox.box' '" + big + "/Acc1/User00" +
                 std::to_string(i) + ".box'";
    }
    if (std::system(command.c_str()) != 0) {
      std::printf("\nreal mailbox x6: cannot link %s\n", big.c_str());
      return;
    }
  }
  std::filesystem::remove(search::IndexPath(big, platform::LocalProgramFolderUtf8()));
  const std::vector<std::string> big_folders = FoldersOf(big);
  std::printf("\nreal mailbox x6: %s, %zu folders, %.1f MB of files\n", big.c_str(),
              big_folders.size(), BytesUnder(big) / 1e6);
  BuildAndAsk(big, big_folders, BytesUnder(big), queries);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is measured
  bench::ScratchDir dir("search-" + std::to_string(count));
  const std::string mailbox = platform::JoinPath(dir.Path(), "Mailbox");
  // The index in the scratch folder, not the user's cache (the programs run take it too).
  ::setenv("XDG_CACHE_HOME", platform::JoinPath(dir.Path(), "cache").c_str(), 1);
  const bench::ProseMailbox made = bench::WriteProseMailbox(mailbox, count);
  std::printf("mailbox: %d messages of Japanese prose, %.1f MB of files\n", count,
              made.mailbox_bytes / 1e6);

  bench::ProseWriter words(2026);
  const std::vector<Query> queries = {
      {"1 char, most common (の)", "の"},
      {"1 char, common kanji", viewer::Cp932ToUtf8(words.Word(0).substr(0, 2))},
      {"1 char, rare kanji", viewer::Cp932ToUtf8(words.Word(5999).substr(0, 2))},
      {"2 chars, common", viewer::Cp932ToUtf8(words.Word(1).substr(0, 4))},
      {"2 chars, rare", viewer::Cp932ToUtf8(words.Word(4000).substr(0, 4))},
      {"longer word", viewer::Cp932ToUtf8(words.Word(3))},
      {"longer, rare", viewer::Cp932ToUtf8(words.Word(5000))},
      {"ASCII word", "meeting"},
      {"one ASCII letter", "e"},
      {"two words", viewer::Cp932ToUtf8(words.Word(2)) + " pdf"},
      {"no hit", "zzqx"},
  };
  // Fields, dates, negations and ORs (the mailbox spans November 2023 to late 2026; its
  // senders are user0 to user299; no message is unread).
  const std::string common = viewer::Cp932ToUtf8(words.Word(1).substr(0, 4));
  const std::string rare = viewer::Cp932ToUtf8(words.Word(4000).substr(0, 4));
  const std::string longer = viewer::Cp932ToUtf8(words.Word(3));
  std::vector<Query> all_queries = queries;
  const std::vector<Query> more = {
      {"from: a sender", "from:user12@"},
      {"subject: common", "subject:" + common},
      {"nq: rare", "nq:" + rare},
      {"date: a month", "date:2025-03"},
      {"date: a range", "date:2024-01..2024-03"},
      {"from: and a range", "from:user12@ date:2024-01..2024-03"},
      {"age: 30 days (none)", "date:30d"},
      {"word and a year", longer + " date:2025"},
      {"negated only (-の)", "-の"},
      {"common, not rare", common + " -" + rare},
      {"word, not from:", longer + " -from:user1"},
      {"OR of words", rare + " OR " + longer},
      {"OR of senders", "from:user1@ OR from:user2@"},
      {"group and negation", "(" + rare + " OR " + longer + ") -" + common},
      {"is:read this year", "is:read date:2026"},
      {"is:unread (none)", "is:unread"},
  };
  all_queries.insert(all_queries.end(), more.begin(), more.end());
  const std::vector<double> cli_first =
      BuildAndAsk(mailbox, made.folders, made.mailbox_bytes, all_queries);

  // The window's filter of one folder (UTF-8, as typed), in this process, beside the
  // filter with an empty box (the folder's messages listed from the index).
  std::string error;
  const std::unique_ptr<search::MailIndex> index = search::MailIndex::Open(mailbox, &error);
  if (!index) {
    std::printf("cannot open the index: %s\n", error.c_str());
    return 1;
  }
  const std::string& folder = made.folders[made.folders.size() / 2];
  auto filter = [&](const std::string& utf8) {
    const thread::ParsedQuery parsed = thread::ParseQuery(utf8, thread::LocalQueryClock());
    std::vector<const thread::QueryNode*> leaves;
    thread::ForEachLeaf(parsed.root, [&](const thread::QueryNode& leaf, bool) {
      if (leaf.kind == thread::QueryNode::Kind::kText && thread::AskedOfIndex(leaf, true)) {
        leaves.push_back(&leaf);
      }
    });
    return bench::BestMilliseconds(3, [&] { index->FolderLeafHits(folder, leaves, nullptr); });
  };
  const double empty = filter("");
  std::printf("filter of one folder of %d messages (wall, best of 3; empty box %.1f ms):\n",
              (count + 9) / 10, empty);
  for (const Query& q : queries) {
    const double ms = filter(q.text);
    std::printf("  %-26s %7.1f ms (x%.2f)\n", q.what, ms, ms / empty);
  }

  mailbox::FolderTable table;
  for (std::size_t i = 0; i < made.folders.size() && i < table.size(); ++i) {
    table[i].Kind = mailbox::kFolderMail;
    table[i].Path = made.folders[i];
    table[i].Title = "Folder" + std::to_string(i);
  }
  std::mutex mutex;
  std::condition_variable answered;
  std::vector<search::MailboxSearch::Answer> answers;
  search::MailboxSearch searcher(mailbox, [&](search::MailboxSearch::Answer answer) {
    const std::lock_guard<std::mutex> lock(mutex);
    answers.push_back(std::move(answer));
    answered.notify_all();
  });
  // Milliseconds from the query to its first answer and to its complete one.
  auto search_all = [&](const std::string& utf8) {
    std::pair<double, double> best{1e30, 1e30};
    for (int round = 0; round < 3; ++round) {
      {
        const std::lock_guard<std::mutex> lock(mutex);
        answers.clear();
      }
      const auto start = std::chrono::steady_clock::now();
      searcher.Ask(utf8, search::SearchScope(table));
      std::unique_lock<std::mutex> lock(mutex);
      answered.wait(lock, [&] { return !answers.empty(); });
      const double first =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
      answered.wait(lock, [&] { return answers.back().complete || answers.back().failed; });
      const double all =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
      best = {std::min(best.first, first), std::min(best.second, all)};
    }
    return best;
  };
  std::printf(
      "search of every folder (wall, best of 3; ratio of the first rows to the first 50 hits"
      " through veltrano-cli):\n");
  for (std::size_t i = 0; i < queries.size(); ++i) {
    const auto [first, all] = search_all(queries[i].text);
    std::printf("  %-26s first rows %7.1f ms (x%.2f)   all %7.1f ms\n", queries[i].what, first,
                first / cli_first[i], all);
  }
  RealMailbox();
  return 0;
}
