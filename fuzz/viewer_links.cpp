// Any bytes as the shown text: link scanning must stay inside the text, find
// only what it promises, and every decision must be consistent with it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text_bytes.h"
#include "viewer/link_actions.h"
#include "viewer/link_scan.h"
#include "viewer/text_lines.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<viewer::Link> links = viewer::DetectLinks(text);
  for (const viewer::Link& link : links) {
    Check(link.start < link.end && link.end <= text.size());
    const std::string_view shown = text.substr(link.start, link.end - link.start);
    const std::string lower = platform::AsciiLower(shown);
    if (lower.find("://") != std::string::npos) {
      Check(lower.starts_with("http://") || lower.starts_with("https://") ||
            lower.starts_with("ftp://"));
    } else {
      Check(shown.find('@') != std::string_view::npos);
    }
    const viewer::LinkDecision click =
        viewer::LinkAt(links, text, link.start, viewer::LinkMode::kClick, true);
    Check(click.inside);
    if (click.action == viewer::LinkAction::kOpenUrl) Check(viewer::UrlSafeToOpen(click.text));
  }
  const std::string trimmed = viewer::TrimSelectedText(text);
  // A URL that may be opened is also one the menu offers (unless it is the
  // bare six-byte "ftp://").
  if (viewer::UrlSafeToOpen(trimmed) && trimmed.size() > 6) Check(viewer::SelectionIsUrl(trimmed));
  return 0;
}
