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
  };
  for (const Case& c : cases) EXPECT_EQ(LinkTexts(c.text), c.links) << c.why;
}

TEST(DetectLinks, SecureWebPrefixIsALink) {
  EXPECT_EQ(LinkTexts("go to HTTPS://secure.example/login?x=1 now"),
            (Texts{"HTTPS://secure.example/login?x=1"}));
  // Found once, not also as an "http://" link.
  EXPECT_EQ(DetectLinks("https://a/").size(), 1u);
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

TEST(DetectLinks, UrlWithUserNameHoldsAnAddressAndAClickOpensTheUrl) {
  const std::string text = "http://user@host.example/";
  const std::vector<Link> links = DetectLinks(text);
  ASSERT_EQ(links, (std::vector<Link>{{0, 25}, {7, 24}}));
  const LinkDecision decision = LinkAt(links, text, 12, LinkMode::kClick, true);
  EXPECT_EQ(decision.action, LinkAction::kOpenUrl);
  EXPECT_EQ(decision.text, text);
}

TEST(DetectLinks, EmptyAndLinklessTexts) {
  EXPECT_TRUE(DetectLinks("").empty());
  EXPECT_TRUE(DetectLinks("http:/ ftp:/ @ nothing here").empty());
}

TEST(LinkAt, ClickOpensUrlAsShown) {
  const std::string text = "See HTTP://Example.com/Path.";
  const LinkDecision decision = LinkAt(DetectLinks(text), text, 4, LinkMode::kClick, false);
  EXPECT_TRUE(decision.inside);
  EXPECT_EQ(decision.action, LinkAction::kOpenUrl);
  EXPECT_EQ(decision.text, "HTTP://Example.com/Path.");
}

TEST(LinkAt, PositionsOutsideLinksFindNothing) {
  const std::string text = "xx http://a/ yy";
  const std::vector<Link> links = DetectLinks(text);
  for (const std::size_t position : {std::size_t{2}, std::size_t{12}, std::size_t{100}}) {
    const LinkDecision decision = LinkAt(links, text, position, LinkMode::kClick, true);
    EXPECT_FALSE(decision.inside) << position;
    EXPECT_EQ(decision.action, LinkAction::kNone) << position;
  }
  EXPECT_TRUE(LinkAt(links, text, 11, LinkMode::kClick, true).inside);  // last byte
}

TEST(LinkAt, ClickOnAddressComposesOnlyWithAConfiguredClient) {
  const std::string text = "to a@b.example";
  const std::vector<Link> links = DetectLinks(text);
  const LinkDecision configured = LinkAt(links, text, 5, LinkMode::kClick, true);
  EXPECT_EQ(configured.action, LinkAction::kComposeToAddress);
  EXPECT_EQ(configured.text, "a@b.example");
  const LinkDecision unconfigured = LinkAt(links, text, 5, LinkMode::kClick, false);
  EXPECT_TRUE(unconfigured.inside);
  EXPECT_EQ(unconfigured.action, LinkAction::kNone);
}

TEST(LinkAt, ClickNeverOpensALinkWithControlCharacters) {
  const std::string text = "http://a/\x01\x7f" "calc";
  const LinkDecision decision = LinkAt(DetectLinks(text), text, 0, LinkMode::kClick, true);
  EXPECT_TRUE(decision.inside);
  EXPECT_EQ(decision.action, LinkAction::kNone);
}

TEST(LinkAt, HoverNamesTheMenuItemAndCopyTakesTheLink) {
  const std::string text = "http://a/ b@c";
  const std::vector<Link> links = DetectLinks(text);
  EXPECT_EQ(LinkAt(links, text, 0, LinkMode::kHover, true).popup_caption, ja::kOpenUrlCaption);
  EXPECT_EQ(LinkAt(links, text, 11, LinkMode::kHover, true).popup_caption,
            ja::kSendToAddressCaption);
  EXPECT_EQ(LinkAt(links, text, 11, LinkMode::kHover, true).action, LinkAction::kNone);
  const LinkDecision copy = LinkAt(links, text, 11, LinkMode::kCopy, false);
  EXPECT_EQ(copy.action, LinkAction::kCopyLink);
  EXPECT_EQ(copy.link, (Link{10, 13}));
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
  EXPECT_EQ(TrimSelectedText(" \t\r\nhttp://a/ b\x01 \n"), "http://a/ b");
  EXPECT_EQ(TrimSelectedText("\x81\x40x\x81\x40"), "\x81\x40x\x81\x40");  // full-width blanks stay
  EXPECT_EQ(TrimSelectedText(" \x7f "), "");
  EXPECT_TRUE(UrlSafeToOpen(TrimSelectedText("  https://example.com/\r\n")));
}

TEST(SelectionIsUrl, NeedsMoreThanSixBytesAndAPrefix) {
  EXPECT_FALSE(SelectionIsUrl("ftp://"));
  EXPECT_TRUE(SelectionIsUrl("ftp://a"));
  EXPECT_TRUE(SelectionIsUrl("see HTTP://a"));
  EXPECT_TRUE(SelectionIsUrl("https://a"));
  EXPECT_FALSE(SelectionIsUrl("www.example.com"));
}

TEST(SelectionIsMailAddress, NeedsAConfiguredClientThreeBytesAndAnAt) {
  EXPECT_TRUE(SelectionIsMailAddress("a@b", true));
  EXPECT_FALSE(SelectionIsMailAddress("a@b", false));
  EXPECT_FALSE(SelectionIsMailAddress("a@", true));
  EXPECT_FALSE(SelectionIsMailAddress("abc", true));
}

}  // namespace
}  // namespace viewer
