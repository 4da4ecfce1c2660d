// The thread list's quick filter on a large folder: the time to filter the
// rows again after each typed character, beside the time to open the same
// folder from its thread cache (LoadThreadCache), measured in the same run.
// Typing is replayed character by character, then erased again (a shorter
// text shows again the threads that text showed when it was typed).
//
// Usage: bench_thread_filter [COUNT...]   (default 100000)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_mailbox.h"
#include "mailbox/folder_table.h"
#include "thread/full_build.h"
#include "thread/row_view.h"
#include "thread/search_query.h"
#include "thread/thread_cache.h"
#include "thread/thread_rows.h"

namespace {

constexpr int kRepeats = 5;

// What a user types, a character at a time: a word of the subjects, a number,
// and a sender; "会議" occurs in every subject. The box's text is read as a
// query (UTF-8), as the window reads it.
const std::vector<const char*> kTyped = {"topic 4711", "user49 re", "会議 12"};
// Queries that do not narrow as they grow, so every character tests every
// thread: a negated word, an OR, a field.
const std::vector<const char*> kTypedQueries = {"-topic 4711", "user49 OR re", "subject:topic 12"};

struct Figures {
  double open = 1e9;        // LoadThreadCache, best of kRepeats
  double first_char = 0;    // the first character: every thread is tested
  double worst_narrow = 0;  // the slowest further character
  double worst_widen = 0;   // the slowest erased character
  std::size_t keystrokes = 0;
};

Figures Measure(int count, const std::vector<const char*>& typed_texts) {
  bench::CachedFolder cached("filter-" + std::to_string(count), count);
  const thread::FolderSource& source = cached.source;
  thread::LoadContext& context = cached.context;
  mailbox::FolderInfo& folder = cached.folder;
  Figures figures;
  thread::ThreadLoad load;
  for (int r = 0; r < kRepeats; ++r) {
    thread::ThreadLoad opened;
    figures.open = std::min(
        figures.open, bench::Seconds([&] { opened = thread::LoadThreadCache(source, context); }));
    load = std::move(opened);
  }
  thread::RowView view;
  const thread::QueryClock clock = thread::LocalQueryClock();
  view.Reset(thread::FillThreadList(load.List.Head(), folder, false).Rows, 0, {});
  for (int r = 0; r < kRepeats; ++r) {
    for (const char* typed : typed_texts) {
      const std::string text = typed;
      // Typed forward, then erased back to nothing.
      // A character at a time: never within a UTF-8 sequence.
      const auto inside = [&](std::size_t n) {
        return n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80;
      };
      for (std::size_t n = 1; n <= text.size(); ++n) {
        if (inside(n)) continue;
        const double t =
            bench::Seconds([&] { view.SetFilter(thread::ParseQuery(text.substr(0, n), clock)); });
        if (n == 1) {
          figures.first_char = std::max(figures.first_char, t);
        } else {
          figures.worst_narrow = std::max(figures.worst_narrow, t);
        }
        ++figures.keystrokes;
      }
      for (std::size_t n = text.size(); n-- > 0;) {
        if (inside(n)) continue;
        const double t =
            bench::Seconds([&] { view.SetFilter(thread::ParseQuery(text.substr(0, n), clock)); });
        figures.worst_widen = std::max(figures.worst_widen, t);
        ++figures.keystrokes;
      }
      if (view.size() != static_cast<std::size_t>(count)) std::abort();
    }
  }
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts = {100000};
  if (argc > 1) counts.clear();
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  std::printf("%8s | %10s | %10s %6s | %10s %6s | %10s %6s\n", "messages", "cache open",
              "first char", "ratio", "more chars", "ratio", "erasing", "ratio");
  for (int count : counts) {
    for (const auto* texts : {&kTyped, &kTypedQueries}) {
      const Figures f = Measure(count, *texts);
      std::printf("%8d | %8.1fms | %8.1fms %5.2fx | %8.1fms %5.2fx | %8.1fms %5.2fx%s\n", count,
                  f.open * 1e3, f.first_char * 1e3, f.first_char / f.open, f.worst_narrow * 1e3,
                  f.worst_narrow / f.open, f.worst_widen * 1e3, f.worst_widen / f.open,
                  texts == &kTyped ? "" : "  (queries)");
    }
  }
  std::printf(
      "cache open = LoadThreadCache of the same folder, best of %d; the filter\n"
      "columns are the slowest of %d replays of typing three texts a character\n"
      "at a time and erasing them (ratio: against the cache open); the second\n"
      "line types queries that test every thread at every character. The aim is\n"
      "30 ms per character at 100,000 messages, list update included.\n",
      kRepeats, kRepeats);
  return 0;
}
