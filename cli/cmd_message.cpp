// veltrano-cli message [--flags HEX] [--forced] [--header] [--utf8 [--find TEXT]] FILE
//
// Prints the text the viewer shows for a message file (attachment lines and
// forwarded messages included), each line followed by LF (raw Shift-JIS), then the line "--- links"
// and one line per link, "start TAB end TAB text", in the order the viewer looks them up. Positions
// count bytes in the shown lines joined by CR LF.
// With --header the header lines come first, as key H shows them.
//
// With --utf8 the text is the viewer's own, every character kept, printed as
// UTF-8 with LF line ends; then "--- links" and the links as above, start and
// end counted in characters (code points) of the printed text.
//
// --find TEXT (UTF-8; only with --utf8, whose text the positions count in)
// then prints, after the links, "--- found" and one line "start TAB end" per occurrence of TEXT
// as the viewer's find bar finds it (folded as the quick filter folds, the
// whole TEXT one phrase), left to right, not overlapping, in code points of
// the printed text. An empty TEXT finds nothing: "--- found" alone.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "nkf/nkf_convert.h"
#include "viewer/message_view.h"
#include "viewer/text_find.h"
#include "viewer/text_lines.h"

namespace {

int Usage() {
  std::fputs(
      "usage: veltrano-cli message [--flags HEX] [--forced] [--header] [--utf8 [--find TEXT]] "
      "FILE\n",
      stderr);
  return 2;
}

// Hexadecimal digits with or without "0x", at most 32 bits.
bool ParseHexFlags(std::string_view text, std::uint32_t& value) {
  if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
  if (text.empty() || text.size() > 8) return false;
  value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return true;
}

void Write(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// For each byte of UTF-8 lines joined by CR LF, the code point it starts in the
// same lines joined by LF (one past the end included).
std::vector<std::size_t> PrintedPositions(std::string_view joined) {
  std::vector<std::size_t> positions(joined.size() + 1, 0);
  std::size_t printed = 0;
  for (std::size_t i = 0; i < joined.size(); ++i) {
    positions[i] = printed;
    const auto byte = static_cast<unsigned char>(joined[i]);
    const bool continuation = (byte & 0xC0) == 0x80;
    const bool line_end_cr = byte == '\r' && i + 1 < joined.size() && joined[i + 1] == '\n';
    if (!continuation && !line_end_cr) ++printed;
  }
  positions[joined.size()] = printed;
  return positions;
}

}  // namespace

int RunMessageCommand(int argc, char** argv) {
  std::uint32_t flags = 0;
  bool forced = false;
  bool header = false;
  bool utf8 = false;
  const char* find = nullptr;  // the text to find, when given
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--flags") {
      if (i + 1 >= argc || !ParseHexFlags(argv[i + 1], flags)) return Usage();
      ++i;
    } else if (arg == "--forced") {
      forced = true;
    } else if (arg == "--header") {
      header = true;
    } else if (arg == "--utf8") {
      utf8 = true;
    } else if (arg == "--find") {
      if (i + 1 >= argc) return Usage();
      find = argv[++i];
    } else if (arg.starts_with("--") || !path.empty()) {
      return Usage();
    } else {
      path = arg;
    }
  }
  if (path.empty() || (find != nullptr && !utf8)) return Usage();

  viewer::MessageView view;
  view.MessagePath = path;
  const viewer::CodeConverter converter = [](std::string_view text) {
    return nkf::ConvertToShiftJis(text);
  };
  viewer::LoadOptions options;
  if (utf8) options.form = viewer::TextForm::kUnicode;
  if (viewer::LoadMessage(view, flags, forced, converter, options) != viewer::LoadStatus::kShown) {
    std::fprintf(stderr, "%s\n", viewer::CannotOpenMessageText(path).c_str());
    return 1;
  }
  if (header) viewer::ToggleHeader(view);

  for (const std::string& line : view.Lines) {
    Write(line);
    Write("\n");
  }
  Write("--- links\n");
  const std::string text = viewer::JoinLines(view.Lines);
  const std::vector<std::size_t> printed =
      utf8 ? PrintedPositions(text) : std::vector<std::size_t>();
  for (const viewer::Link& link : view.Links) {
    const std::size_t start = utf8 ? printed[link.start] : link.start;
    const std::size_t end = utf8 ? printed[link.end] : link.end;
    std::printf("%zu\t%zu\t", start, end);
    Write(std::string_view(text).substr(link.start, link.end - link.start));
    Write("\n");
  }
  if (find != nullptr) {
    Write("--- found\n");
    // The finder joins the lines by one line end, as they are printed.
    const viewer::TextFinder finder(view.Lines, view.Form);
    for (const viewer::TextRange& range : finder.FindAll(find)) {
      std::printf("%zu\t%zu\n", range.start, range.end);
    }
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
