// Converting a 5 MB Japanese text in each input code through the library call, against a
// memcpy of the same bytes measured in the same run. Prints MB/s and the ratio to memcpy.

#include "nkf/nkf_convert.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kTextSize = 5 * 1024 * 1024;
constexpr int kRuns = 5;

// 今日は良い天気ですね。新しいソフトウェアのバージョンをリリースしました (10/15 予定)
// followed by CR LF, in each input code (made with iconv).
struct Form {
  const char* name;
  std::string_view line;
};

const Form kForms[] = {
    {"Shift-JIS",
     "\x8D\xA1\x93\xFA\x82\xCD\x97\xC7\x82\xA2\x93\x56\x8B\x43\x82\xC5\x82\xB7\x82\xCB\x81\x42"
     "\x90\x56\x82\xB5\x82\xA2\x83\x5C\x83\x74\x83\x67\x83\x45\x83\x46\x83\x41\x82\xCC\x83\x6F"
     "\x81\x5B\x83\x57\x83\x87\x83\x93\x82\xF0\x83\x8A\x83\x8A\x81\x5B\x83\x58\x82\xB5\x82\xDC"
     "\x82\xB5\x82\xBD\x20\x28\x31\x30\x2F\x31\x35\x20\x97\x5C\x92\xE8\x29\x0D\x0A"},
    {"EUC-JP",
     "\xBA\xA3\xC6\xFC\xA4\xCF\xCE\xC9\xA4\xA4\xC5\xB7\xB5\xA4\xA4\xC7\xA4\xB9\xA4\xCD\xA1\xA3"
     "\xBF\xB7\xA4\xB7\xA4\xA4\xA5\xBD\xA5\xD5\xA5\xC8\xA5\xA6\xA5\xA7\xA5\xA2\xA4\xCE\xA5\xD0"
     "\xA1\xBC\xA5\xB8\xA5\xE7\xA5\xF3\xA4\xF2\xA5\xEA\xA5\xEA\xA1\xBC\xA5\xB9\xA4\xB7\xA4\xDE"
     "\xA4\xB7\xA4\xBF\x20\x28\x31\x30\x2F\x31\x35\x20\xCD\xBD\xC4\xEA\x29\x0D\x0A"},
    {"ISO-2022-JP",
     "\x1B\x24\x42\x3A\x23\x46\x7C\x24\x4F\x4E\x49\x24\x24\x45\x37\x35\x24\x24\x47\x24\x39\x24"
     "\x4D\x21\x23\x3F\x37\x24\x37\x24\x24\x25\x3D\x25\x55\x25\x48\x25\x26\x25\x27\x25\x22\x24"
     "\x4E\x25\x50\x21\x3C\x25\x38\x25\x67\x25\x73\x24\x72\x25\x6A\x25\x6A\x21\x3C\x25\x39\x24"
     "\x37\x24\x5E\x24\x37\x24\x3F\x1B\x28\x42\x20\x28\x31\x30\x2F\x31\x35\x20\x1B\x24\x42\x4D"
     "\x3D\x44\x6A\x1B\x28\x42\x29\x0D\x0A"},
    {"UTF-8",
     "\xE4\xBB\x8A\xE6\x97\xA5\xE3\x81\xAF\xE8\x89\xAF\xE3\x81\x84\xE5\xA4\xA9\xE6\xB0\x97\xE3"
     "\x81\xA7\xE3\x81\x99\xE3\x81\xAD\xE3\x80\x82\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84\xE3\x82"
     "\xBD\xE3\x83\x95\xE3\x83\x88\xE3\x82\xA6\xE3\x82\xA7\xE3\x82\xA2\xE3\x81\xAE\xE3\x83\x90"
     "\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA7\xE3\x83\xB3\xE3\x82\x92\xE3\x83\xAA\xE3\x83\xAA\xE3"
     "\x83\xBC\xE3\x82\xB9\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\x20\x28\x31\x30\x2F"
     "\x31\x35\x20\xE4\xBA\x88\xE5\xAE\x9A\x29\x0D\x0A"},
};

std::string Repeated(std::string_view line, std::size_t count) {
  std::string text;
  text.reserve(line.size() * count);
  for (std::size_t i = 0; i < count; ++i) text.append(line);
  return text;
}

// Best time of kRuns runs of `work`, in seconds.
template <typename Work>
double BestSeconds(Work&& work) {
  double best = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    best = std::min(best, elapsed.count());
  }
  return best;
}

}  // namespace

int main() {
  for (const Form& form : kForms) {
    const std::size_t lines = kTextSize / form.line.size() + 1;
    const std::string text = Repeated(form.line, lines);
    const std::string expected = Repeated(kForms[0].line, lines);
    std::vector<char> output(2 * text.size() + 1);
    std::size_t written = 0;
    const double convert = BestSeconds(
        [&] { written = nkf::ConvertIntoBuffer(text.c_str(), output.data(), output.size()); });
    const double copy = BestSeconds([&] {
      std::memcpy(output.data(), text.data(), text.size());
      output[text.size()] = '\0';
    });
    // Run once more so that the check below sees a conversion, not the memcpy.
    written = nkf::ConvertIntoBuffer(text.c_str(), output.data(), output.size());
    const bool correct = std::string_view(output.data(), written) == expected;
    const double megabytes = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    std::printf("%-12s %5.1f MB  convert %7.1f MB/s  memcpy %8.1f MB/s  ratio %6.1fx  %s\n",
                form.name, megabytes, megabytes / convert, megabytes / copy, convert / copy,
                correct ? "output correct" : "OUTPUT WRONG");
  }
  return 0;
}
