// Link scanning over the shown text and what a click, hover or copy on a link
// or a selection leads to.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/ja_texts.h"
#include "viewer/link_actions.h"
#include "viewer/link_scan.h"

namespace viewer {
namespace {

// The texts of the links, in Links order.
std::vector<std::string> LinkTexts(std::string_view text) {
  std::vector<std::string> texts;
  for (const Link& link : DetectLinks(text)) {
    texts.emplace_back(text.substr(link.start, link.end - link.start));
  }
  return texts;
}

using Texts = std::vector<std::string>;

TEST(DetectLinks, UrlEnds) {
  struct Case {
    std::string text;
    Texts links;
    const char* why;
  };
  const Case cases[] = {
      {"See HTTP://Example.com/Path.",
       {"HTTP://Example.com/Path."},
       "capitals found, full stop kept"},
      {"(http://a.example/x)", {"http://a.example/x"}, "parentheses end it"},
      {"http://a.example/x\x93\xfa\x96\x7b", {"http://a.example/x"}, "Japanese after it ends it"},
      {"http://a.example/\xe0\x78", {"http://a.example/"}, "a kanji led by 0xE0 ends it whole"},
      {"http://a.example/\xe1\x40", {"http://a.example/"}, "0xE1 is a lead byte"},
      {"http://a.example/\xb1\xb2", {"http://a.example/\xb1\xb2"}, "half-width katakana stays in"},
      {"http://a/b;c,d@e!",
       {"http://a/b;c,d@e!", "d@e"},
       "; , @ ! stay in; the address inside too"},
      {"<http://a/>[http://b/]*http://c/*", {"http://a/", "http://b/", "http://c/"}, "< > [ ] *"},
      {"\"http://a/\" 'http://b/'", {"http://a/", "http://b/"}, "both quotes"},
      {"http://a/\tx http://b/\r\nhttp://c/\n",
       {"http://a/", "http://b/", "http://c/"},
       "tab, blank, CR and LF"},
      {"http://", {"http://"}, "the prefix alone is a link"},
      {"ftp://", {"ftp://"}, "the ftp prefix alone too"},
      {"xhttp://a/", {"http://a/"}, "found inside a word"},
      {"go to HTTPS://secure.example/login?x=1 now",
       {"HTTPS://secure.example/login?x=1"},
       "the secure prefix, found once and not also as http"},
      {"", {}, "empty text"},
      {"http:/ ftp:/ @ nothing here", {}, "incomplete prefixes"},
  };
  for (const Case& c : cases) EXPECT_EQ(LinkTexts(c.text), c.links) << c.why;
}

TEST(DetectLinks, OrderIsHttpThenHttpsThenFtpThenAddresses) {
  const std::string text = "a@b ftp://f/ https://s/ http://h/ c@d http://h2/";
  EXPECT_EQ(LinkTexts(text), (Texts{"http://h/", "http://h2/", "https://s/", "ftp://f/", "a@b", "c@d"}));
  EXPECT_EQ(DetectLinks(text).front(), (Link{24, 33}));
}

TEST(DetectLinks, MailAddresses) {
  struct Case {
    std::string text;
    Texts links;
    const char* why;
  };
  const Case cases[] = {
      {"mail taro.y-s_1@mail.example.com, please", {"taro.y-s_1@mail.example.com"}, "comma ends it"},
      {"a@b", {"a@b"}, "from the first byte of the text to its end"},
      {"x @b", {}, "no address character before the @"},
      {"a@ x", {}, "no address character after the @"},
      {"@", {}, "a lone @"},
      {"a@b@c", {"a@b", "b@c"}, "two @ give two overlapping links"},
      {"a@@b", {}, "@ is no address character"},
      {"<a@b>", {"a@b"}, "angle brackets end it"},
      {"a@b\x82\xa0", {"a@b"}, "bytes of 0x80 and above end it"},
      {"\x83\x41user@example.com", {"user@example.com"},
       "a letter that is the second byte of a double-byte character is not taken"},
      {"\x81\x40user@example.com", {"user@example.com"},
       "the @ that is the second byte of a full-width blank starts nothing"},
      {"\x83\x41@example.com", {}, "nothing but a second byte before the @"},
      // "宛先" ends in 0xE6, a second byte that lies in the lead-byte range.
      {"\x88\xb6\x90\xe6taro@example.jp", {"taro@example.jp"},
       "a second byte in the lead range does not eat the first letter"},
      {"\x81\x81\x81" "abc@d", {"bc@d"}, "the third lead-range byte opens a character"},
  };
  for (const Case& c : cases) EXPECT_EQ(LinkTexts(c.text), c.links) << c.why;
}

TEST(DetectLinks, UrlWithUserNameHoldsAnAddress) {
  EXPECT_EQ(DetectLinks("http://user@host.example/"), (std::vector<Link>{{0, 25}, {7, 24}}));
}

TEST(LinkAt, DecidesByTheFirstLinkHoldingThePosition) {
  const LinkMode click = LinkMode::kClick;
  struct Case {
    std::string text;
    std::size_t position;
    LinkMode mode;
    bool client_configured;
    LinkAction action;
    std::string link;  // the link's text; empty outside every link
    std::string_view caption;
    const char* why;
  };
  const Case cases[] = {
      {"See HTTP://Example.com/Path.", 4, click, false, LinkAction::kOpenUrl,
       "HTTP://Example.com/Path.", "", "a click opens the URL as shown"},
      {"xx http://a/ yy", 2, click, true, LinkAction::kNone, "", "", "before the link"},
      {"xx http://a/ yy", 12, click, true, LinkAction::kNone, "", "", "just after the link"},
      {"xx http://a/ yy", 100, click, true, LinkAction::kNone, "", "", "past the text"},
      {"xx http://a/ yy", 11, click, true, LinkAction::kOpenUrl, "http://a/", "",
       "the link's last byte"},
      {"to a@b.example", 5, click, true, LinkAction::kComposeToAddress, "a@b.example", "",
       "an address composes with a configured client"},
      {"to a@b.example", 5, click, false, LinkAction::kNone, "a@b.example", "",
       "and does nothing without one"},
      {"http://a/\x01\x7f"
       "calc",
       0, click, true, LinkAction::kNone,
       "http://a/\x01\x7f"
       "calc",
       "", "a link with control characters is never opened"},
      {"http://user@host.example/", 12, click, true, LinkAction::kOpenUrl,
       "http://user@host.example/", "", "the URL comes first, before the address inside it"},
      {"http://a/ b@c", 0, LinkMode::kHover, true, LinkAction::kNone, "http://a/",
       ja::kOpenUrlCaption, "hover on a URL names the open item"},
      {"http://a/ b@c", 11, LinkMode::kHover, true, LinkAction::kNone, "b@c",
       ja::kSendToAddressCaption, "hover on an address names the send item"},
      {"http://a/ b@c", 11, LinkMode::kCopy, false, LinkAction::kCopyLink, "b@c", "",
       "copy takes the link"},
  };
  for (const Case& c : cases) {
    const LinkDecision d =
        LinkAt(DetectLinks(c.text), c.text, c.position, c.mode, c.client_configured);
    EXPECT_EQ(d.inside, !c.link.empty()) << c.why;
    EXPECT_EQ(d.action, c.action) << c.why;
    EXPECT_EQ(d.text, c.link) << c.why;
    EXPECT_EQ(d.popup_caption, c.caption) << c.why;
  }
}

TEST(UrlSafeToOpen, OnlyWebAndFtpUrlsWithoutBlanksOrQuotes) {
  struct Case {
    std::string text;
    bool safe;
    const char* why;
  };
  const Case cases[] = {
      {"http://example.com/a?b=c&d", true, "web"},
      {"HTTPS://example.com/", true, "secure web, capitals"},
      {"Ftp://example.com/pub/", true, "ftp"},
      {"http://example.com/\x93\xfa", true, "non-ASCII bytes are no danger"},
      {"C:\\Windows\\System32\\calc.exe", false, "a program path"},
      {"calc", false, "a program name"},
      {"\\\\server\\share\\setup.exe", false, "a network path"},
      {"file:///C:/x.exe", false, "file URL"},
      {"javascript:alert(1)", false, "script URL"},
      {"mailto:a@b", false, "other schemes"},
      {"see http://example.com/", false, "text before the prefix"},
      {"http://a/ -flag", false, "a blank would add an argument"},
      {"http://a/\"x", false, "double quote"},
      {"http://a/\tb", false, "tab"},
      {"http://a/\x7f", false, "DEL"},
      {" http://a/", false, "untrimmed text is refused"},
      {"", false, "empty"},
      {"http:/", false, "incomplete prefix"},
  };
  for (const Case& c : cases) EXPECT_EQ(UrlSafeToOpen(c.text), c.safe) << c.why;
}

TEST(TrimSelectedText, DropsBlanksAndControlCharactersAtBothEnds) {
  struct Case {
    std::string selected;
    std::string trimmed;
    const char* why;
  };
  const Case cases[] = {
      {" \t\r\nhttp://a/ b\x01 \n", "http://a/ b", "blanks, line ends and controls at both ends"},
      {"\x81\x40x\x81\x40", "\x81\x40x\x81\x40", "full-width blanks stay"},
      {" \x7f ", "", "nothing but blanks and DEL"},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimSelectedText(c.selected), c.trimmed) << c.why;
  EXPECT_TRUE(UrlSafeToOpen(TrimSelectedText("  https://example.com/\r\n")))
      << "a trimmed selection can be opened";
}

TEST(SelectionIsUrl, NeedsMoreThanSixBytesAndAPrefix) {
  struct Case {
    const char* selected;
    bool url;
    const char* why;
  };
  const Case cases[] = {
      {"ftp://", false, "the prefix alone"},
      {"ftp://a", true, "more than six bytes"},
      {"see HTTP://a", true, "a prefix anywhere, in any case"},
      {"https://a", true, "the secure prefix"},
      {"www.example.com", false, "no prefix"},
  };
  for (const Case& c : cases) EXPECT_EQ(SelectionIsUrl(c.selected), c.url) << c.why;
}

TEST(SelectionIsMailAddress, NeedsAConfiguredClientThreeBytesAndAnAt) {
  struct Case {
    const char* selected;
    bool client_configured;
    bool address;
    const char* why;
  };
  const Case cases[] = {
      {"a@b", true, true, "three bytes with an @"},
      {"a@b", false, false, "no mail client to send with"},
      {"a@", true, false, "two bytes"},
      {"abc", true, false, "no @"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SelectionIsMailAddress(c.selected, c.client_configured), c.address) << c.why;
  }
}

}  // namespace
}  // namespace viewer
