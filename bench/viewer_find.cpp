// Finding a typed text in a 1 MB message, as the viewer's find does on every
// typed character: folding the shown text (once per message) and finding the
// typed text so far, each against a floor measured in the same run: for the
// fold, turning the text into UTF-16 (which the window does to show it); for
// a keystroke, a plain search for the same bytes in the UTF-8 text
// (std::string_view::find, no folding). The budget is 50 ms a keystroke, so fold and find together
// (a window that folded again on every key) are printed too. Best of several runs.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_mailbox.h"
#include "viewer/text_find.h"
#include "viewer/unicode_text.h"

namespace {

constexpr std::size_t kTextSize = 1024 * 1024;
constexpr int kRuns = 15;
constexpr double kBudgetMs = 50;

volatile std::size_t sink;

// Japanese prose, a quoted line, Latin names, half-width kana and an emoji,
// repeated up to kTextSize bytes of UTF-8.
viewer::TextLines Lines() {
  const std::string lines[] = {
      "今日は🍣を食べました。𠮷野家 café ①、また明日の会議でお会いしましょう。",
      "> 議事録は https://www.example.com/minutes/2024/06/index.html にあります。",
      "Grüße aus München – Jürgen Müller <juergen.mueller@example.de>",
      "ｶﾞｲﾄﾞﾌﾞｯｸ　ＡＢＣ　日本語の文章が続きます。漢字とひらがなとカタカナ。",
      "",
  };
  viewer::TextLines text;
  std::size_t size = 0;
  for (std::size_t i = 0; size < kTextSize; ++i) {
    text.push_back(lines[i % std::size(lines)]);
    size += text.back().size() + 1;
  }
  return text;
}

// Times each prefix of `typed` (as typed character by character) and prints
// the slowest, beside the floor for the same prefix.
void Measure(const viewer::TextFinder& finder, const std::string& joined, const char* name,
             std::string_view typed) {
  double slowest = 0;
  double floor = 0;  // for the slowest prefix
  std::size_t found = 0;
  for (std::size_t length = 1; length <= typed.size(); ++length) {
    // Only whole UTF-8 characters are typed.
    if (length < typed.size() && (static_cast<unsigned char>(typed[length]) & 0xC0) == 0x80) {
      continue;
    }
    const std::string_view prefix = typed.substr(0, length);
    const double find = bench::BestMilliseconds(kRuns, [&] {
      found = finder.FindAll(prefix).size();
      sink = found;
    });
    const double plain = bench::BestMilliseconds(kRuns, [&] {
      std::size_t count = 0;
      const std::string_view text = joined;
      for (std::size_t at = text.find(prefix); at != std::string_view::npos;
           at = text.find(prefix, at + prefix.size())) {
        ++count;
      }
      sink = count;
    });
    if (find > slowest) {
      slowest = find;
      floor = plain;
    }
  }
  std::printf("%-10s slowest keystroke %6.2f ms (%5.1f x floor %5.2f ms, %zu found)\n", name,
              slowest, slowest / floor, floor, found);
}

}  // namespace

int main() {
  const viewer::TextLines lines = Lines();
  std::string joined;
  for (const std::string& line : lines) joined += line + "\n";
  std::printf("1 MB UTF-8 message (%zu bytes, %zu lines), best of %d runs, budget %.0f ms\n",
              joined.size(), lines.size(), kRuns, kBudgetMs);

  viewer::TextFinder finder;
  const double fold = bench::BestMilliseconds(
      kRuns, [&] { finder = viewer::TextFinder(lines, viewer::TextForm::kUnicode); });
  const double fold_floor =
      bench::BestMilliseconds(kRuns, [&] { sink = viewer::Utf8ToUtf16(joined).size(); });
  std::printf("fold text  %6.2f ms (%5.1f x floor %5.2f ms: the text to UTF-16, as shown)\n", fold,
              fold / fold_floor, fold_floor);

  Measure(finder, joined, "ascii", "example");
  Measure(finder, joined, "japanese", "会議でお会い");
  Measure(finder, joined, "frequent", "の");

  const double both = bench::BestMilliseconds(kRuns, [&] {
    const viewer::TextFinder fresh(lines, viewer::TextForm::kUnicode);
    sink = fresh.FindAll("e").size();
  });
  std::printf("fold+find  %6.2f ms for a keystroke that folds the text again: %s\n", both,
              both <= kBudgetMs ? "within budget" : "OVER BUDGET");
  return 0;
}
