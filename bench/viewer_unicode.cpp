// Preparing a 1 MB UTF-8 message for the viewer: today's path (the body
// converted to Shift-JIS by the code converter, links found on its bytes)
// against the Unicode path (the body decoded straight to Unicode, links found
// on characters), each against a floor measured in the same run: reading the
// file into lines, which every path does first. Prints the best of several runs, for the message
// with its charset declared and without (found by the converter's detection).

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_mailbox.h"
#include "nkf/nkf_convert.h"
#include "platform/files.h"
#include "viewer/message_parts.h"
#include "viewer/message_view.h"

namespace {

constexpr std::size_t kBodySize = 1024 * 1024;
constexpr int kRuns = 15;

volatile std::size_t sink;

// Japanese prose, a quoted line, Latin names, an emoji and links, repeated.
std::string Body() {
  const std::string lines[] = {
      "今日は🍣を食べました。𠮷野家 café ①、また明日の会議でお会いしましょう。",
      "> 議事録は https://www.example.com/minutes/2024/06/index.html にあります。",
      "Grüße aus München – Jürgen Müller <juergen.mueller@example.de>",
      "日本語の文章が続きます。漢字とひらがなとカタカナが混ざっています。",
      "",
  };
  std::string body;
  for (std::size_t i = 0; body.size() < kBodySize; ++i) {
    body += lines[i % std::size(lines)];
    body += "\r\n";
  }
  return body;
}

void Measure(const char* name, const std::string& header, const std::string& body) {
  const std::string path = platform::JoinPath(std::filesystem::temp_directory_path().string(),
                                              "veltrano_bench_unicode.qnm");
  if (!platform::ReplaceFileAtomically(path, header + "\r\n" + body)) {
    std::printf("cannot write %s\n", path.c_str());
    return;
  }
  const viewer::CodeConverter converter = [](std::string_view text) {
    return nkf::ConvertToShiftJis(text);
  };
  viewer::MessageView view;
  view.MessagePath = path;
  const auto load = [&](viewer::TextForm form) {
    viewer::LoadOptions options;
    options.form = form;
    viewer::LoadMessage(view, 0, false, converter, options);
    sink = view.Lines.size() + view.Links.size();
  };
  const double today = bench::BestMilliseconds(kRuns, [&] { load(viewer::TextForm::kShiftJis); });
  const std::size_t today_links = view.Links.size();
  const double unicode = bench::BestMilliseconds(kRuns, [&] { load(viewer::TextForm::kUnicode); });
  const std::size_t unicode_links = view.Links.size();
  const double floor = bench::BestMilliseconds(kRuns, [&] {
    std::string bytes;
    platform::ReadWholeFile(path, bytes);
    sink = viewer::BytesToLines(bytes).size();
  });
  platform::RemoveFile(path);
  std::printf(
      "%-10s today %7.2f ms (%5.1f x floor, %zu links)  unicode %7.2f ms (%5.1f x floor, %zu "
      "links)  floor %5.2f ms  unicode/today %4.2f\n",
      name, today, today / floor, today_links, unicode, unicode / floor, unicode_links, floor,
      unicode / today);
}

}  // namespace

int main() {
  const std::string body = Body();
  std::printf("1 MB UTF-8 message (%zu bytes of body), best of %d runs\n", body.size(), kRuns);
  Measure("declared", "Subject: bench\r\nContent-Type: text/plain; charset=UTF-8\r\n", body);
  Measure("detected", "Subject: bench\r\n", body);
  return 0;
}
