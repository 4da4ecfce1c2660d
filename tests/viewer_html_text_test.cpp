// HTML mail as text: what the text keeps and drops, the charset it is read
// in, and input built to break a parser.

#include <gtest/gtest.h>

#include <string>

#include "viewer/html_text.h"
#include "viewer/link_scan.h"

namespace viewer {
namespace {

// The expected text written with "\n" line ends, as HtmlToText gives it (CR LF).
std::string CrLf(std::string_view text) {
  std::string out;
  for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

struct Case {
  const char* html;
  const char* text;
  const char* reason;
};

void ExpectTexts(std::initializer_list<Case> cases, std::string_view charset = "utf-8") {
  for (const Case& c : cases) {
    EXPECT_EQ(HtmlToText(c.html, charset), CrLf(c.text)) << c.reason << "\n  html: " << c.html;
  }
}

TEST(HtmlToText, BlocksLinesAndWhiteSpace) {
  ExpectTexts({
      {"<p>a</p><p>b</p>", "a\n\nb", "paragraphs are apart by an empty line"},
      {"<div>a</div><div>b</div>c", "a\nb\nc", "a div is a line of its own"},
      {"<h1>Title</h1>body", "Title\n\nbody", "a heading is a paragraph"},
      {"a<br>b<br/><br><br><br>c", "a\nb\n\nc", "<br> ends a line; one empty line at most"},
      {"  a \n\t b  <b> c</b>", "a b c", "white space collapses across elements"},
      {"<pre>\n  x  y\n\tz</pre>after", "  x  y\n\tz\n\nafter", "pre is kept as written"},
      {"<pre>a\n\n\n\n</pre><p>b", "a\n\nb", "one empty line at most, inside pre too"},
      {"<p></p><p> a </p><br><br>", "a", "no empty line at the start or the end"},
      {"<p>a<div>b</div>", "a\n\nb", "a block closes an open paragraph"},
      {"a<hr>b", "a\n――――――――――――――――――――\nb", "a rule is a line"},
      {"x&nbsp;&nbsp;y<p>&nbsp;z", "x  y\n\n z", "no-break spaces stay, as plain spaces"},
      {"<p>a</p><p>&nbsp;</p><p>b<br>&nbsp;<br>c", "a\n\nb\n\nc",
       "a line of no-break spaces is an empty line"},
      {"&lt;&amp;&gt; &copy &#x3042;&#12354;&#150; &nosuch;", "<&> © ああ– &nosuch;",
       "references decoded, legacy and numeric included, unknown ones kept"},
      {"x<img src=a.png alt=' Logo '>y<img src=b alt=''>", "x[ Logo ]y",
       "an image shows its alt text in brackets; no alt, nothing"},
  });
}

TEST(HtmlToText, ReadsMarkupAsBrowsersDo) {
  ExpectTexts({
      {"<P CLASS=x>A</P><DIV>b</div >", "A\n\nb", "names in any case"},
      {"a<!--->b<!-->c<!-- x -- y -->d<!doctype html><?xml x?>e", "abcde",
       "comments, doctypes and processing instructions, each form"},
      {"<script>w('</scr'+'ipt>')</SCRIPT >x", "x", "raw text ends only at its own end tag"},
      {"a < b && c>d", "a < b && c>d", "a stray < or & is text"},
      {"<a href=http://e.example/?a=1&copy=2 title='x>y'>t</a>", "t <http://e.example/?a=1&copy=2>",
       "quoted '>' stays in a value; a reference without ';' before '=' is text there"},
      {"<img alt='a&quot;b' src=x>", "[a\"b]", "references decoded in values"},
      {"<title>x</title><textarea>&lt;b&gt;</textarea>", "<b>",
       "title dropped, textarea decoded but not parsed"},
      {"x<p>a</p></p>b<div", "x\n\na\n\nb", "a lone </p> is a paragraph; a tag cut off is dropped"},
      {"<plaintext><b>x</b>", "<b>x</b>", "after plaintext everything is text"},
  });
}

TEST(HtmlToText, QuotesListsAndTables) {
  ExpectTexts({
      {"a<blockquote>b<blockquote>c<br>d</blockquote></blockquote>e",
       "a\n\n> b\n\n> > c\n> > d\n\ne", "each quote level puts \"> \" before its lines"},
      {"<ul><li>a<li>b</ul>", "・a\n・b", "bullets, and an open <li> closed by the next"},
      {"<ol start=3><li>a</li><li value=7>b<li>c</ol>", "3. a\n7. b\n8. c",
       "numbers follow start and value"},
      {"<ul><li>a<ul><li>b</li></ul></li><li>c</ul>", "・a\n  ・b\n・c",
       "a nested list is indented and does not end the outer item"},
      {"<table><tr><th>k<td>v<tr><td>x</td><td></td><td>y</table>", "k\tv\nx\ty",
       "rows are lines, cells with text apart by a tab, empty cells leave nothing"},
      {"<table><tr><td>a<table><tr><td>b<td>c</table><td>d</table>", "a\nb\tc\nd",
       "a nested table's cells do not close the outer cell"},
  });
}

TEST(HtmlToText, LinksKeepTheirTargets) {
  ExpectTexts({
      {"<a href=' https://e.example/x?a=1&amp;b=2 '>Order</a>.",
       "Order <https://e.example/x?a=1&b=2>.", "the target follows a text that differs"},
      {"<a href=\"http://e.example/\">http://e.example/</a>", "http://e.example/",
       "a target equal to its text is shown once"},
      {"<a href=http://e.example/><img src=x.png></a>", "http://e.example/",
       "a link without text shows its target"},
      {"<a href='mailto:bob@e.example?subject=Hi'>Bob</a> <a href=MAILTO:bob@e.example>"
       "bob@e.example</a>",
       "Bob <bob@e.example> bob@e.example", "mailto shows the address"},
      {"<a href='javascript:go()'>x</a> <a href='/local'>y</a>", "x y",
       "targets other than http, https and mailto are not shown"},
      {"<a href='http://e.example/日 本'>x</a>", "x <http://e.example/%E6%97%A5%20%E6%9C%AC>",
       "a URL's non-ASCII bytes and spaces are percent-encoded"},
      {"<a href=http://a.example/>one<a href=http://b.example/>two</a>",
       "one <http://a.example/>two <http://b.example/>", "a link inside a link closes the first"},
  });
  // The viewer's scanner finds each target whole.
  const std::string text = HtmlToText(
      "<a href='https://e.example/p?q=1'>Go</a> <a href='mailto:a.b@e.example'>A</a>", "");
  const std::vector<Link> links = DetectLinksUtf8(text);
  ASSERT_EQ(links.size(), 2u) << text;
  EXPECT_EQ(text.substr(links[0].start, links[0].end - links[0].start), "https://e.example/p?q=1");
  EXPECT_EQ(text.substr(links[1].start, links[1].end - links[1].start), "a.b@e.example");
}

TEST(HtmlToText, DropsWhatIsNotShown) {
  ExpectTexts({
      {"<head><title>T</title><style>p{}</style><meta charset=utf-8></head>"
       "<script>if(a<b)x()</script><!-- note -->v<template>t</template><svg><text>s</text></svg>",
       "v", "head content, scripts, comments, templates and graphics are dropped"},
      {"<div hidden>x</div><span style='color:red; DISPLAY : None !important'>y<b>z</b></span>"
       "<p style='display:block'>w</p>",
       "w", "hidden and display:none hide everything inside them"},
      {"<div style='display:none'><a href=http://e.example/>x</a></div>", "",
       "a hidden link leaves no target"},
  });
}

TEST(HtmlToText, CharsetFromMimeThenMetaThenGuess) {
  const struct {
    std::string html;
    const char* mime;
    const char* text;
    const char* reason;
  } cases[] = {
      {"\x82\xA0", "Shift_JIS", "あ", "the MIME charset decides"},
      {"\xA4\xA2", "euc-jp", "あ", "EUC-JP from MIME"},
      {"<meta charset='euc-jp'>\xA4\xA2", "", "あ", "<meta charset> without MIME"},
      {"<meta http-equiv=Content-Type content='text/html; charset=windows-1252'>\x93q\x94", "",
       "“q”", "<meta http-equiv> content"},
      {"<meta charset=utf-8>\xE9", "iso-8859-1", "é", "MIME wins over meta"},
      {"<meta charset=euc-jp>\xA4\xA2", "x-unknown", "あ", "an unknown MIME charset gives way"},
      {"\xEF\xBB\xBF\xC3\xA9", "iso-8859-1", "é", "a byte-order mark wins over all"},
      {"\x1b$B$\"\x1b(B", "iso-8859-1", "あ", "ISO-2022-JP escapes under a Latin label"},
      {"\x1b$B$\"\x1b(B", "", "あ", "guess: ISO-2022-JP by its escapes"},
      {"\xE3\x81\x82", "", "あ", "guess: valid UTF-8"},
      {"\x82\xA0", "", "あ", "guess: CP932 when not UTF-8"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HtmlToText(c.html, c.mime), c.text) << c.reason;
  }
}

TEST(HtmlToText, HugeAndDeepInputStaysBounded) {
  const std::size_t kDepth = 100000;
  std::string deep;
  for (std::size_t i = 0; i < kDepth; ++i) deep += "<div><span>";
  deep += "x";
  EXPECT_EQ(HtmlToText(deep, ""), "x");
  for (std::size_t i = 0; i < kDepth; ++i) deep += "</span></div>";
  deep += "y";
  EXPECT_EQ(HtmlToText(deep, ""), "x\r\ny");
  // 10 MB of unclosed table cells and quotes: every level past the limit is
  // read as absent, so the prefix stays bounded.
  std::string wide;
  while (wide.size() < 10 * 1024 * 1024) wide += "<blockquote><td>c</td>";
  const std::string text = HtmlToText(wide, "");
  EXPECT_LT(text.size(), 5 * wide.size());
  EXPECT_TRUE(text.ends_with("> c")) << text.substr(text.size() - 10);
}

}  // namespace
}  // namespace viewer
