#pragma once
// What the viewer does with a link or a selection: decisions only, so that the
// window merely carries them out (open with the shell, start a mail, copy).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/link_scan.h"

namespace viewer {

enum class LinkMode { kClick, kHover, kCopy };

enum class LinkAction {
  kNone,              // nothing to do
  kOpenUrl,           // open `text` with the shell's "Open"
  kComposeToAddress,  // start a new mail to `text` in the mail client
  kCopyLink,          // select `link` and copy it to the clipboard
};

struct LinkDecision {
  bool inside = false;  // the position lies in a link (hover: show the hand cursor)
  LinkAction action = LinkAction::kNone;
  Link link;                       // the first link holding the position
  std::string text;                // that link's text as shown
  std::string_view popup_caption;  // hover: caption for the link menu's open item
};

// Looks up the first link of `links` with start <= position < end in `text`,
// the shown text the links were found in. Click: a text holding "://" is opened
// only when UrlSafeToOpen accepts it; an address starts a mail only when the
// mail client is configured; otherwise nothing. Hover: sets popup_caption.
// Copy: copy the link. A position outside every link gives inside == false.
LinkDecision LinkAt(const std::vector<Link>& links, std::string_view text, std::size_t position,
                    LinkMode mode, bool client_configured);

// The selected text with leading and trailing blanks and control characters
// (bytes up to 0x20) removed, as the menu commands use it.
std::string TrimSelectedText(std::string_view selection);

// True when the text may be handed to the shell's "Open": it starts with
// "http://", "https://" or "ftp://" in any letter case and holds no control
// character, blank or double quote. Anything else (a program path, a document,
// a text with arguments) must never be opened. The caller trims first.
bool UrlSafeToOpen(std::string_view text);

// Enables "このURLを開く" for a selection: longer than 6 bytes and holding
// "http://", "https://" or "ftp://" (any letter case) anywhere.
bool SelectionIsUrl(std::string_view selection);

// Enables "このメールアドレスに送信": the mail client is configured and the
// selection is longer than 2 bytes and holds "@".
bool SelectionIsMailAddress(std::string_view selection, bool client_configured);

}  // namespace viewer
