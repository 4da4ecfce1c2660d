// veltrano-cli message [--flags HEX] [--forced] [--header] FILE
//
// Prints the text the viewer shows for a message file, each line followed by
// LF (raw Shift-JIS), then the line "--- links" and one line per link,
// "start TAB end TAB text", in the order the viewer looks them up. Positions
// count bytes in the shown lines joined by CR LF, as the viewer counts them.
// With --header the header lines come first, as key H shows them.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "nkf/nkf_convert.h"
#include "viewer/message_view.h"

namespace {

int Usage() {
  std::fputs("usage: veltrano-cli message [--flags HEX] [--forced] [--header] FILE\n", stderr);
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

}  // namespace

int RunMessageCommand(int argc, char** argv) {
  std::uint32_t flags = 0;
  bool forced = false;
  bool header = false;
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
    } else if (arg.starts_with("--") || !path.empty()) {
      return Usage();
    } else {
      path = arg;
    }
  }
  if (path.empty()) return Usage();

  viewer::MessageView view;
  view.MessagePath = path;
  const viewer::CodeConverter converter = [](std::string_view text) {
    return nkf::ConvertToShiftJis(text);
  };
  if (viewer::LoadMessage(view, flags, forced, converter) != viewer::LoadStatus::kShown) {
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
  for (const viewer::Link& link : view.Links) {
    std::printf("%zu\t%zu\t", link.start, link.end);
    Write(std::string_view(text).substr(link.start, link.end - link.start));
    Write("\n");
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
