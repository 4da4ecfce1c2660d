#pragma once
// Finding the links of the shown text: URLs beginning with "http://",
// "https://" or "ftp://" (letter case ignored) and mail addresses around an
// "@". The scans work on the display's whole text (lines joined by CR LF) as
// Shift-JIS bytes; each is one forward pass.

#include <cstddef>
#include <string_view>
#include <vector>

namespace viewer {

// A link's byte range in the whole text: [start, end).
struct Link {
  std::size_t start = 0;
  std::size_t end = 0;
  bool operator==(const Link&) const = default;
};

// The links of `text` in the order they are looked up: all "http://" links in
// text order, then the "https://" links, then the "ftp://" links, then the mail
// addresses. Links may overlap (an address inside a URL).
std::vector<Link> DetectLinks(std::string_view text);

// The same rules over UTF-8 text (a Unicode view), applied to characters: a
// URL ends at a delimiter or at a character other than ASCII, except those
// Shift-JIS writes in one byte (half-width katakana), which stay in as they do
// in Shift-JIS text; an address holds ASCII address characters only. For every
// character Shift-JIS can hold the links are those of the Shift-JIS text.
// Ranges are bytes of the UTF-8 text.
std::vector<Link> DetectLinksUtf8(std::string_view text);

// Appends the URLs starting with `prefix` (lower case), searched in `lower`, the
// text with its ASCII letters lower-cased. A URL runs from its prefix up to the
// first delimiter or lead byte after the prefix, or to the end of the text.
void MarkUrls(std::string_view lower, std::string_view prefix, std::vector<Link>& links);

// How the scanned text writes its characters. In Shift-JIS a letter may be
// the second byte of a double-byte character; in UTF-8 every byte of a
// character other than ASCII is 0x80 or above, so no address character.
enum class TextBytes { kShiftJis, kUtf8 };

// Appends the mail addresses: the address characters directly before and after
// each "@", both sides needing at least one. A letter that is the second byte
// of a double-byte character is not an address character.
void MarkMailAddresses(std::string_view text, TextBytes bytes, std::vector<Link>& links);

// Space, CR, LF, Tab, ( ) < > [ ] * and both quotes end a URL.
bool IsUrlDelimiter(unsigned char byte);
// ASCII letters and digits, "-", "_" and ".".
bool IsAddressCharacter(unsigned char byte);

}  // namespace viewer
