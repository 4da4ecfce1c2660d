#include "viewer/link_actions.h"

#include "platform/text_bytes.h"
#include "viewer/ja_texts.h"
#include "viewer/text_lines.h"

namespace viewer {
namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool IsBlankOrControl(unsigned char byte) { return byte <= 0x20 || byte == 0x7F; }

constexpr std::string_view kUrlPrefixes[] = {"http://", "https://", "ftp://"};

}  // namespace

LinkDecision LinkAt(const std::vector<Link>& links, std::string_view text, std::size_t position,
                    LinkMode mode, bool client_configured) {
  LinkDecision decision;
  for (const Link& link : links) {
    if (link.start <= position && position < link.end && link.end <= text.size()) {
      decision.inside = true;
      decision.link = link;
      break;
    }
  }
  if (!decision.inside) return decision;

  decision.text = std::string(text.substr(decision.link.start, decision.link.end - decision.link.start));
  const bool is_url = Contains(decision.text, "://");
  switch (mode) {
    case LinkMode::kClick:
      if (is_url) {
        if (UrlSafeToOpen(decision.text)) decision.action = LinkAction::kOpenUrl;
      } else if (client_configured) {
        decision.action = LinkAction::kComposeToAddress;
      }
      break;
    case LinkMode::kHover:
      decision.popup_caption = is_url ? ja::kOpenUrlCaption : ja::kSendToAddressCaption;
      break;
    case LinkMode::kCopy:
      decision.action = LinkAction::kCopyLink;
      break;
  }
  return decision;
}

std::string TrimSelectedText(std::string_view selection) {
  while (!selection.empty() && IsBlankOrControl(static_cast<unsigned char>(selection.front()))) {
    selection.remove_prefix(1);
  }
  while (!selection.empty() && IsBlankOrControl(static_cast<unsigned char>(selection.back()))) {
    selection.remove_suffix(1);
  }
  return std::string(selection);
}

bool UrlSafeToOpen(std::string_view text) {
  for (const char c : text) {
    if (IsBlankOrControl(static_cast<unsigned char>(c)) || c == '"') return false;
  }
  const std::string lower = platform::AsciiLower(text);
  for (std::string_view prefix : kUrlPrefixes) {
    if (lower.starts_with(prefix)) return true;
  }
  return false;
}

bool SelectionIsUrl(std::string_view selection) {
  if (selection.size() <= 6) return false;
  const std::string lower = platform::AsciiLower(selection);
  for (std::string_view prefix : kUrlPrefixes) {
    if (Contains(lower, prefix)) return true;
  }
  return false;
}

bool SelectionIsMailAddress(std::string_view selection, bool client_configured) {
  return client_configured && selection.size() > 2 && Contains(selection, "@");
}

}  // namespace viewer
