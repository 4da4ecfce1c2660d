// The viewer's Unicode text: bodies decoded from their transfer encoding and
// charset without a round trip through Shift-JIS, the header's encoded words,
// and links found on characters.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nkf/nkf_convert.h"
#include "platform/encoding.h"
#include "tests/temp_dir_support.h"
#include "thread/index_record.h"
#include "viewer/body_coding.h"
#include "viewer/ja_texts.h"
#include "viewer/link_scan.h"
#include "viewer/message_view.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

const std::string kIssueText = "今日は🍣を食べました。𠮷野家 café ①";

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t bits = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) bits |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) bits |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[bits >> 18 & 63];
    out += kDigits[bits >> 12 & 63];
    out += i + 1 < bytes.size() ? kDigits[bits >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[bits & 63] : '=';
  }
  return out;
}

// Base64 of `bytes` cut into lines of `width` characters.
std::string Base64Lines(std::string_view bytes, std::size_t width) {
  const std::string encoded = Base64(bytes);
  std::string out;
  for (std::size_t i = 0; i < encoded.size(); i += width) out += encoded.substr(i, width) + "\n";
  return out;
}

std::string ShiftJis(std::u16string_view text) { return platform::Utf16ToCp932(text); }

// "今日は" in ISO-2022-JP.
const std::string kJis = "\x1b$B:#F|$O\x1b(B";

class UnicodeLoadTest : public ::testing::Test {
 protected:
  // Loads a message file in `form` with the program's own converter.
  MessageView Load(const std::string& bytes, std::uint32_t flags,
                   TextForm form = TextForm::kUnicode, bool as_stored = false) {
    MessageView view;
    view.MessagePath = dir_.WriteFile("00000001.qnm", bytes);
    const CodeConverter converter = [](std::string_view text) {
      return nkf::ConvertToShiftJis(text);
    };
    LoadOptions options;
    options.form = form;
    options.as_stored = as_stored;
    EXPECT_EQ(LoadMessage(view, flags, false, converter, options), LoadStatus::kShown);
    return view;
  }

  testing_support::TempDir dir_;
};

TEST_F(UnicodeLoadTest, BodiesAreDecodedToEveryCharacter) {
  struct Case {
    const char* why;
    std::string header;
    std::string body;
    TextLines shown;
    std::uint32_t flags = 0;
  };
  const Case cases[] = {
      {"UTF-8 declared, 8bit",
       "Content-Type: text/plain; charset=UTF-8\n",
       kIssueText + "\n",
       {kIssueText}},
      {"UTF-8 found by the converter's detection", "", kIssueText + "\n", {kIssueText}},
      {"UTF-8 quoted-printable: soft breaks joined, trailing blanks dropped, hex in either case",
       "Content-Type: text/plain; charset=\"utf-8\"\nContent-Transfer-Encoding: quoted-printable\n",
       "=E4=BB=8A=E6=97=A5=E3=81=AF=F0=9F=8D=A3 caf=c3=a9 long=  \nline  \n=F0=A0=AE=B7\n",
       {"今日は🍣 café longline", "𠮷"}},
      {"UTF-8 base64 in lines of 10 characters",
       "Content-Type: text/plain;\n charset=utf-8\nContent-Transfer-Encoding: BASE64\n",
       Base64Lines(kIssueText + "\r\nsecond line\n", 10),
       {kIssueText, "second line"}},
      {"UTF-8 base64 on one long line",
       "Content-Transfer-Encoding: base64\n",
       Base64Lines(kIssueText + "\nx", 1000),
       {kIssueText, "x"}},
      {"ISO-8859-1",
       "Content-Type: text/plain; charset=iso-8859-1\n",
       "caf\xe9 \xfc\xdf\n",
       {"café üß"}},
      {"Windows-1252: its own characters in 0x80-0x9F",
       "Content-Type: text/plain; charset=windows-1252\n",
       "\x80 \x93quoted\x94 \x96\n",
       {"€ “quoted” –"}},
      {"KOI8-R",
       "Content-Type: text/plain; charset=KOI8-R\n",
       "\xf0\xd2\xc9\xd7\xc5\xd4\n",
       {"Привет"}},
      {"quoted-printable Latin-1 with a broken sequence: the rest as stored",
       "Content-Type: text/plain; charset=ISO-8859-1\nContent-Transfer-Encoding: "
       "quoted-printable\n",
       "a=E9b=ZZc=E9\nnext=41\n",
       {"aéb=ZZc=E9", "next=41"}},
      {"broken base64: the lines from the broken one on as stored",
       "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n",
       Base64Lines("caf\xc3\xa9\n", 76) + "not base64!\n",
       {"café", "not base64!"}},
      {"Shift-JIS keeps the converter's path",
       "Content-Type: text/plain; charset=Shift_JIS\n",
       ShiftJis(u"日本語のﾃｷｽﾄ") + "\n",
       {"日本語のテキスト"}},
      {"ISO-2022-JP labelled US-ASCII goes to the converter",
       "Content-Type: text/plain; charset=us-ascii\n",
       kJis + "\n",
       {"今日は"}},
      {"encoded words in a UTF-8 body are decoded",
       "Content-Type: text/plain; charset=utf-8\n",
       "> Subject: =?UTF-8?B?8J+Now==?= =?ISO-2022-JP?B?" + Base64(kJis) + "?= é\n",
       {"> Subject: 🍣今日は é"}},
      {"no-convert flag: the stored bytes read as Shift-JIS, as always",
       "Content-Type: text/plain; charset=UTF-8\n",
       "caf\xc3\xa9\n",
       {Cp932ToUtf8("caf\xc3\xa9")},
       thread::kNoConvertLowFlag},
  };
  for (const Case& c : cases) {
    const MessageView view = Load("From: a\n" + c.header + "\n" + c.body, c.flags);
    EXPECT_EQ(view.Lines, c.shown) << c.why;
    EXPECT_EQ(view.Form, TextForm::kUnicode) << c.why;
  }
}

TEST_F(UnicodeLoadTest, JapaneseBase64TextPartIsDecodedThenConverted) {
  const std::string message =
      "From: a\nContent-Type: multipart/mixed; boundary=\"B\"\n\n--B\n"
      "Content-Type: text/plain; charset=ISO-2022-JP\nContent-Transfer-Encoding: base64\n\n" +
      Base64Lines(kJis + "\n", 76) + "--B\nContent-Type: image/png\n\nAAAA\n--B--\n";
  const MessageView unicode = Load(message, thread::kAttachmentFlag);
  // The notice, our own Shift-JIS, is converted apart from the part.
  EXPECT_EQ(unicode.Lines,
            (TextLines{"今日は", "", Cp932ToUtf8(ja::kAttachmentNotice), "  image/png (4 B)"}));
  // The Shift-JIS form (veltrano-cli message) decodes the part too.
  const MessageView shift_jis = Load(message, thread::kAttachmentFlag, TextForm::kShiftJis);
  EXPECT_EQ(shift_jis.Lines[0], ShiftJis(u"今日は"));
  // The forced filter shows the file as stored.
  const MessageView stored = Load(message, thread::kNoConvertFlags, TextForm::kUnicode, true);
  EXPECT_NE(std::find(stored.Lines.begin(), stored.Lines.end(), Base64(kJis + "\n")),
            stored.Lines.end());
}

TEST_F(UnicodeLoadTest, HeaderShowsItsEncodedWordsDecoded) {
  const std::string header = "From: =?ISO-2022-JP?B?" + Base64(kJis) +
                             "?= <a@example.com>\n"
                             "Subject: =?UTF-8?B?" +
                             Base64("🍣を食べました") +
                             "?=\n"
                             "  =?UTF-8?Q?caf=C3=A9?=\n"
                             "X-Raw: " +
                             ShiftJis(u"日本") + "\n";
  MessageView view = Load(header + "\nhttp://a.example/\n", 0);
  const std::vector<Link> body_links = view.Links;
  ToggleHeader(view);
  EXPECT_EQ(view.Lines, (TextLines{"From: 今日は <a@example.com>", "Subject: 🍣を食べました",
                                   "  café", "X-Raw: 日本", "", "http://a.example/"}));
  // The address after the decoded name, and the URL moved down by the header.
  const std::string text = JoinLines(view.Lines);
  ASSERT_EQ(view.Links.size(), 2u);
  EXPECT_EQ(text.substr(view.Links[1].start, view.Links[1].end - view.Links[1].start),
            "a@example.com");
  EXPECT_EQ(view.Links[0].start, text.find("http://"));
  ToggleHeader(view);
  EXPECT_EQ(view.Lines, (TextLines{"http://a.example/"}));
  EXPECT_EQ(view.Links, body_links);
}

// Links on characters: the same links as the Shift-JIS scan for every
// character Shift-JIS can hold, at the bytes of the UTF-8 text.
TEST(DetectLinksUtf8, MatchesTheShiftJisScanOnWhatShiftJisHolds) {
  const std::u16string texts[] = {
      u"日本語http://a.example/path。続き",
      u"http://a.example/漾 (a kanji led by 0xE0)",
      u"ﾃｽﾄhttp://a.example/ｶﾀｶﾅ mail: 山田<taro@example.co.jp>、以上",
      u"アa@b イ@c d@エ",
      u"あa@b.jp (the last UTF-8 byte of あ is a Shift-JIS lead byte)",
      u"（http://a.example/）「ftp://f.example/」https://s.example/x,y",
      u"http://",
      u"x@y@z",
  };
  for (const std::u16string& wide : texts) {
    const std::string shift_jis = platform::Utf16ToCp932(wide);
    const std::string utf8 = Utf16ToUtf8(wide);
    std::vector<Link> expected;
    for (const Link& link : DetectLinks(shift_jis)) {
      expected.push_back({Cp932ToUtf8(shift_jis.substr(0, link.start)).size(),
                          Cp932ToUtf8(shift_jis.substr(0, link.end)).size()});
    }
    EXPECT_EQ(DetectLinksUtf8(utf8), expected) << utf8;
  }
}

TEST(DetectLinksUtf8, CharactersShiftJisLacks) {
  struct Case {
    std::string text;
    std::vector<std::string> links;
    const char* why;
  };
  const Case cases[] = {
      {"🍣𠮷 http://a.example/ é@x", {"http://a.example/"}, "after surrogate pairs; é no address"},
      {"http://a.example/🍣", {"http://a.example/"}, "an emoji ends a URL"},
      {"http://a.example/café", {"http://a.example/caf"}, "so does a Latin letter"},
      {"naïve@example.com", {"ve@example.com"}, "an address holds ASCII only"},
      {"http://a.example/\xc2\xa0next", {"http://a.example/"}, "a no-break space ends it"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> found;
    for (const Link& link : DetectLinksUtf8(c.text)) {
      found.push_back(c.text.substr(link.start, link.end - link.start));
    }
    EXPECT_EQ(found, c.links) << c.why;
  }
}

TEST(CharsetNamed, WhatGoesStraightToUnicode) {
  struct Case {
    const char* name;
    CharsetKind kind;
    unsigned code_page;
  };
  const Case cases[] = {
      {"UTF-8", CharsetKind::kUtf8, 0},
      {"iso-8859-15", CharsetKind::kSingleByte, 28605},
      {"Windows-1251", CharsetKind::kSingleByte, 1251},
      {"KOI8-U", CharsetKind::kSingleByte, 21866},
      {"ISO-2022-JP", CharsetKind::kOther, 0},
      {"iso-8859-10", CharsetKind::kOther, 0},
      {"", CharsetKind::kNone, 0},
  };
  for (const Case& c : cases) {
    const Charset charset = CharsetNamed(c.name);
    EXPECT_EQ(charset.kind, c.kind) << c.name;
    EXPECT_EQ(charset.code_page, c.code_page) << c.name;
  }
}

TEST(ValidUtf8, BrokenSequencesBecomeReplacementCharacters) {
  struct Case {
    std::string in;
    std::string out;
    const char* why;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBFok", "ok", "a byte-order mark at the start is dropped"},
      {"a\xC3(b", "a\xEF\xBF\xBD(b", "a sequence cut short: one mark, the next byte kept"},
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", "overlong form"},
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", "a surrogate"},
      {"\xF0\x9F\x8D\xA3", "\xF0\x9F\x8D\xA3", "four bytes kept"},
  };
  for (const Case& c : cases) EXPECT_EQ(ValidUtf8(c.in), c.out) << c.why;
}

// The fallback face is given only what Shift-JIS has; the rest of a missing
// run is left to the text control.
TEST(ShiftJisRuns, KeepOnlyTheCharactersShiftJisHas) {
  struct Case {
    std::u16string text;
    std::vector<UnitRun> missing;
    std::vector<UnitRun> kept;
    const char* why;
  };
  const Case cases[] = {
      {u"ab漢字かな", {{2, 6}}, {{2, 6}}, "kanji and kana: the whole run"},
      {u"ｱ①Жα", {{0, 4}}, {{0, 4}}, "half-width katakana, NEC circled digit, Cyrillic, Greek"},
      {u"x🍣y", {{0, 4}}, {{0, 1}, {3, 4}}, "an emoji's surrogate pair is split off"},
      {u"한국어", {{0, 3}}, {}, "Hangul"},
      {u"กขค", {{0, 3}}, {}, "Thai"},
      {u"café", {{3, 4}}, {}, "é: Shift-JIS has no accented letters"},
      {u"日ä本", {{0, 3}}, {{0, 1}, {2, 3}}, "a run broken in the middle"},
      {u"日本語", {{0, 1}, {2, 3}}, {{0, 1}, {2, 3}}, "separate runs stay apart"},
      {u"日本", {{1, 9}}, {{1, 2}}, "a run past the end is cut at it"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShiftJisRuns(c.text, c.missing), c.kept) << c.why;
}

}  // namespace
}  // namespace viewer
