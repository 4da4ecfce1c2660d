// Link scanning of a 5 MB message: DetectLinks against a baseline of one
// lower-casing pass plus one memchr pass over the same bytes, measured in the
// same run. Prints the best of several runs for three kinds of text, then the
// whole LoadMessage of a 5 MB file (no conversion) against reading the file.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_mailbox.h"
#include "platform/files.h"
#include "platform/text_bytes.h"
#include "thread/index_record.h"
#include "viewer/link_scan.h"
#include "viewer/message_parts.h"
#include "viewer/message_view.h"
#include "viewer/text_lines.h"

namespace {

constexpr std::size_t kTextSize = 5 * 1024 * 1024;
constexpr int kRuns = 15;

// Repeats the lines, joined by CR LF, up to kTextSize bytes.
std::string Build(const std::vector<std::string>& lines) {
  std::string text;
  text.reserve(kTextSize + 256);
  for (std::size_t i = 0; text.size() < kTextSize; ++i) {
    text += lines[i % lines.size()];
    text += "\r\n";
  }
  text.resize(kTextSize);
  return text;
}

volatile std::size_t sink;

void Measure(const char* name, const std::string& text) {
  std::size_t links = 0;
  const double scan = bench::BestMilliseconds(kRuns, [&] {
    links = viewer::DetectLinks(text).size();
    sink = links;
  });
  const double baseline = bench::BestMilliseconds(kRuns, [&] {
    const std::string lower = platform::AsciiLower(text);
    std::size_t count = 0;
    for (const char* p = lower.data(); (p = static_cast<const char*>(
                                            std::memchr(p, '@', lower.data() + lower.size() - p)));
         ++p) {
      ++count;
    }
    sink = count;
  });
  std::printf("%-12s %7zu links  DetectLinks %7.2f ms  baseline %6.2f ms  ratio %5.2f\n", name, links,
              scan, baseline, scan / baseline);
}

// LoadMessage of the text stored as a message file, against reading the file.
void MeasureLoad(const std::string& text) {
  const std::string path = platform::JoinPath(std::filesystem::temp_directory_path().string(),
                                              "veltrano_bench_message.qnm");
  if (!platform::ReplaceFileAtomically(path, "Subject: bench\r\n\r\n" + text)) {
    std::printf("cannot write %s\n", path.c_str());
    return;
  }
  viewer::MessageView view;
  view.MessagePath = path;
  const double load = bench::BestMilliseconds(kRuns, [&] {
    viewer::LoadMessage(view, thread::kNoConvertFlags, false, nullptr);
    sink = view.Lines.size();
  });
  const double read = bench::BestMilliseconds(kRuns, [&] {
    std::string bytes;
    platform::ReadWholeFile(path, bytes);
    sink = bytes.size();
  });
  platform::RemoveFile(path);
  std::printf("LoadMessage  %7zu lines  LoadMessage %7.2f ms  file read %6.2f ms  ratio %5.2f\n",
              view.Lines.size(), load, read, load / read);
}

}  // namespace

int main() {
  // Japanese prose in Shift-JIS ("日本語の文章です。") with a link now and then.
  const std::string prose =
      "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42";
  std::string prose_line;
  for (int i = 0; i < 4; ++i) prose_line += prose;
  const std::string typical = Build({
      "> Hello Taro, the minutes are at the usual place.",
      prose_line,
      "See https://www.example.com/minutes/2024/06/index.html for details.",
      prose_line,
      "Mail me at hanako.yamada@example.co.jp, or call.",
      "",
      "--",
      "ftp://ftp.example.org/pub/ and http://example.org/",
  });
  const std::string dense = Build({"http://a.example/x a@b.example https://s.example/ ftp://f/ c@d"});
  const std::string adversarial = Build({"a@a@a@a@@@ http:/ http:/ https:/ ftp:/ hhhh ffff @@@@"});

  std::printf("5 MB texts, best of %d runs\n", kRuns);
  Measure("typical", typical);
  Measure("dense", dense);
  Measure("adversarial", adversarial);
  MeasureLoad(typical);
  return 0;
}
