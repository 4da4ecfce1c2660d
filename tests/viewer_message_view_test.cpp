// LoadMessage over real files: what the viewer shows, the header kept aside,
// the conversion decision and the converter's input, and header toggling.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/temp_dir_support.h"
#include "thread/index_record.h"
#include "viewer/ja_texts.h"
#include "viewer/message_parts.h"
#include "viewer/message_view.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

using thread::kAttachmentFlag;
using thread::kNoConvertFlags;
using thread::kNoConvertHighFlag;
using thread::kNoConvertLowFlag;
using thread::kUnreadFlag;

// Wraps what it converts in "<" and ">" and remembers each input.
struct FakeConverter {
  std::vector<std::string> inputs;
  CodeConverter Get() {
    return [this](std::string_view text) {
      inputs.emplace_back(text);
      return "<" + std::string(text) + ">";
    };
  }
};

const std::string kPlainMessage =
    "From: a@example.com\n"
    "Subject: hello\n"
    "\n"
    "line one\n"
    "line two\n";

const std::string kMultipartMessage =
    "From: a@example.com\n"
    "Content-Type: multipart/mixed; boundary=\"B\"\n"
    "\n"
    "preamble\n"
    "--B\n"
    "Content-Type: text/plain\n"
    "\n"
    "part text\n"
    "--B\n"
    "Content-Type: application/octet-stream\n"
    "\n"
    "QUJD\n"
    "--B--\n";

class LoadMessageTest : public ::testing::Test {
 protected:
  // Writes a message file and points the view at it.
  void UseMessage(const std::string& bytes) {
    view_.MessagePath = dir_.WriteFile("00000001.qnm", bytes);
  }

  testing_support::TempDir dir_;
  MessageView view_;
  FakeConverter converter_;
};

TEST_F(LoadMessageTest, ShowsTheBodyOrTheTextPartWithTheHeaderAside) {
  const std::string notice(ja::kAttachmentNotice);
  // clang-format off
  const TextLines multipart_header = {"From: a@example.com", "Content-Type: multipart/mixed; boundary=\"B\"", ""};
  const std::string octet_line = "  application/octet-stream (4 B)";
  const TextLines stored_body = {"preamble", "--B", "Content-Type: text/plain", "", "part text", "--B",
                                 "Content-Type: application/octet-stream", "", "QUJD", "--B--"};
  struct Case {
    std::string message;
    std::uint32_t flags;
    bool forced;
    TextLines header;
    TextLines lines;  // converted by FakeConverter where converted
    const char* why;
  };
  const Case cases[] = {
      {kMultipartMessage, kNoConvertLowFlag, false, multipart_header, {"part text", "", notice, octet_line},
       "a multipart message is read by its parts without the attachment flag too"},
      {"Content-Type: text/plain\n\nbody\n", kAttachmentFlag | kNoConvertLowFlag, false,
       {"Content-Type: text/plain", ""}, {"body"},
       "a plain-text message with the attachment flag is shown whole, without notice"},
      {kMultipartMessage, kAttachmentFlag, false, multipart_header, {"<part text>", "", notice, octet_line},
       "the notice and the attachment lines are kept out of the conversion"},
      {"Content-Type: multipart/mixed; boundary=\"B\"\nX: 1\n", kAttachmentFlag, false,
       {"Content-Type: multipart/mixed; boundary=\"B\"", "X: 1"}, {"<>"},
       "a header without an empty line: an empty text, no part, no notice"},
      {kMultipartMessage, kNoConvertFlags, true, multipart_header, {"<part text>", "", notice, octet_line},
       "forced conversion converts the text part"},
      {"From: a\nSubject: b\n", 0, false, {"From: a", "Subject: b"}, {"<>"},
       "a file without an empty line is all header"},
      {"From: a\n \nSubject: b\n\nbody\n", kNoConvertLowFlag, false, {"From: a", " ", "Subject: b", ""}, {"body"},
       "a line of blanks does not end the header"},
  };
  // clang-format on
  for (const Case& c : cases) {
    UseMessage(c.message);
    FakeConverter converter;
    ASSERT_EQ(LoadMessage(view_, c.flags, c.forced, converter.Get()), LoadStatus::kShown) << c.why;
    EXPECT_EQ(view_.HeaderLines, c.header) << c.why;
    EXPECT_EQ(view_.Lines, c.lines) << c.why;
  }
}

TEST_F(LoadMessageTest, ConversionDecision) {
  struct Case {
    std::uint32_t flags;
    bool forced;
    const char* extra_header;
    bool converted;
    const char* why;
  };
  const Case cases[] = {
      {0, false, "", true, "no flag and no signature: convert"},
      {kNoConvertLowFlag, false, "", false, "first no-convert bit"},
      {kNoConvertHighFlag, false, "", false, "second no-convert bit"},
      {kUnreadFlag, false, "", true, "the unread bit does not matter"},
      {0, false, "X-Quenmar-Signature: 1\n", false, "signature header"},
      {0, false, "X-Note: x-QUENMAR-signature: in a value\n", false,
       "signature anywhere in a line"},
      {0, false, "X-Quenmar-Signature 1\n", true, "without the colon it is no signature"},
      {0x80010000, true, "x-quenmar-signature: 1\n", true, "forced converts in any case"},
  };
  for (const Case& c : cases) {
    UseMessage(std::string("From: a\n") + c.extra_header + "\nbody\n");
    FakeConverter converter;
    ASSERT_EQ(LoadMessage(view_, c.flags, c.forced, converter.Get()), LoadStatus::kShown);
    EXPECT_EQ(view_.Lines, (TextLines{c.converted ? "<body>" : "body"})) << c.why;
  }
}

TEST_F(LoadMessageTest, WithoutConverterNothingIsConverted) {
  UseMessage(kPlainMessage);
  ASSERT_EQ(LoadMessage(view_, 0, true, nullptr), LoadStatus::kShown);
  EXPECT_EQ(view_.Lines, (TextLines{"line one", "line two"}));
}

TEST_F(LoadMessageTest, ConverterGetsTheBodyJoinedByCrLfAndItsOutputIsSplitAgain) {
  UseMessage(kPlainMessage);
  const CodeConverter converter = [](std::string_view text) {
    EXPECT_EQ(text, "line one\r\nline two");
    return std::string("A\r\nB\nC\r\n");
  };
  ASSERT_EQ(LoadMessage(view_, 0, false, converter), LoadStatus::kShown);
  EXPECT_EQ(view_.Lines, (TextLines{"A", "B\nC", ""}));
}

TEST_F(LoadMessageTest, EmptyBodyIsConvertedToNothing) {
  UseMessage("Subject: x\n\n");
  ASSERT_EQ(LoadMessage(view_, 0, false, [](std::string_view text) {
              EXPECT_EQ(text, "");
              return std::string();
            }),
            LoadStatus::kShown);
  EXPECT_TRUE(view_.Lines.empty());
}

TEST_F(LoadMessageTest, ConversionEndsAtTheFirstNulByte) {
  UseMessage(std::string("S: x\n\nabc\0def\n", 14));
  std::string seen;
  ASSERT_EQ(LoadMessage(view_, 0, false,
                        [&seen](std::string_view text) {
                          seen = text;
                          return std::string("x\r\ny\0z", 6);
                        }),
            LoadStatus::kShown);
  EXPECT_EQ(seen, "abc");
  EXPECT_EQ(view_.Lines, (TextLines{"x", "y"}));
}

TEST_F(LoadMessageTest, MissingFileGivesEmptyTextAndAnError) {
  UseMessage(kPlainMessage + "http://example.com/\n");
  ASSERT_EQ(LoadMessage(view_, 0, false, nullptr), LoadStatus::kShown);
  ASSERT_FALSE(view_.Links.empty());
  view_.MessagePath = dir_.Join("missing.qnm");
  for (const std::uint32_t flags : {0u, kAttachmentFlag}) {
    EXPECT_EQ(LoadMessage(view_, flags, false, converter_.Get()), LoadStatus::kCannotOpen);
    EXPECT_TRUE(view_.Lines.empty());
    EXPECT_TRUE(view_.HeaderLines.empty());
    EXPECT_TRUE(view_.Links.empty());
  }
  EXPECT_TRUE(converter_.inputs.empty());
  EXPECT_NE(CannotOpenMessageText(view_.MessagePath).find(view_.MessagePath), std::string::npos);
}

TEST_F(LoadMessageTest, FiveMegabyteMessageIsShownWhole) {
  std::string message = "Subject: big\n\n";
  const std::string line = std::string(70, 'x') + " http://example.com/" + std::string(9, 'y');
  const std::size_t count = 5 * 1024 * 1024 / (line.size() + 1);
  for (std::size_t i = 0; i < count; ++i) message += line + "\n";
  UseMessage(message);
  ASSERT_EQ(LoadMessage(view_, kNoConvertLowFlag, false, nullptr), LoadStatus::kShown);
  ASSERT_EQ(view_.Lines.size(), count);
  EXPECT_EQ(view_.Lines.back(), line);
  EXPECT_EQ(view_.Links.size(), count);
  EXPECT_EQ(view_.Links.back().end, count * (line.size() + 2) - 2);
}

TEST_F(LoadMessageTest, LoadFindsLinksAndToggleHeaderFindsThemAgain) {
  UseMessage("From: x@example.com\n\nsee http://example.com/\n");
  ASSERT_EQ(LoadMessage(view_, kNoConvertLowFlag, false, nullptr), LoadStatus::kShown);
  const MessageView loaded = view_;
  EXPECT_EQ(view_.Links, (std::vector<Link>{{4, 23}}));

  ToggleHeader(view_);
  EXPECT_TRUE(view_.HeaderShown);
  EXPECT_EQ(view_.Lines, (TextLines{"From: x@example.com", "", "see http://example.com/"}));
  // "From: x@example.com" CR LF, CR LF: the body starts at byte 23.
  EXPECT_EQ(view_.Links, (std::vector<Link>{{27, 46}, {6, 19}}));

  ToggleHeader(view_);
  EXPECT_FALSE(view_.HeaderShown);
  EXPECT_EQ(view_.Lines, loaded.Lines);
  EXPECT_EQ(view_.HeaderLines, loaded.HeaderLines);
  EXPECT_EQ(view_.Links, loaded.Links);
}

TEST_F(LoadMessageTest, EveryLoadStartsWithTheHeaderHidden) {
  UseMessage(kPlainMessage);
  ASSERT_EQ(LoadMessage(view_, 0, false, nullptr), LoadStatus::kShown);
  ToggleHeader(view_);
  ASSERT_EQ(LoadMessage(view_, 0, false, nullptr), LoadStatus::kShown);
  EXPECT_FALSE(view_.HeaderShown);
  EXPECT_EQ(view_.HeaderLines.size(), 3u);
  EXPECT_EQ(view_.Lines, (TextLines{"line one", "line two"}));
}

TEST_F(LoadMessageTest, AsStoredShowsTheWholeFileConverted) {
  UseMessage(kMultipartMessage);
  LoadOptions options;
  options.as_stored = true;
  ASSERT_EQ(LoadMessage(view_, kNoConvertFlags, true, converter_.Get(), options),
            LoadStatus::kShown);
  EXPECT_EQ(view_.Lines.front(), "<preamble");
  EXPECT_EQ(view_.Lines.back(), "--B-->");
  EXPECT_TRUE(view_.Attachments.empty());
}

// An HTML part is read as text by its own charset, after the notice, in
// both forms; the forced filter still shows the source as stored.
TEST_F(LoadMessageTest, AnHtmlPartShowsAsTextAfterTheNotice) {
  UseMessage("Content-Type: text/html; charset=Shift_JIS\n\n<p>\x93\xfa\x96\x7b <b>go</b></p>\n");
  LoadOptions unicode;
  unicode.form = TextForm::kUnicode;
  ASSERT_EQ(LoadMessage(view_, 0, false, nullptr, unicode), LoadStatus::kShown);
  const std::string notice(ja::kHtmlConvertedNotice);
  EXPECT_EQ(view_.Lines, (TextLines{Cp932ToUtf8(notice), "", "日本 go"}));
  ASSERT_EQ(LoadMessage(view_, 0, false, nullptr), LoadStatus::kShown);
  EXPECT_EQ(view_.Lines, (TextLines{notice, "", "\x93\xfa\x96\x7b go"})) << "Shift-JIS form";
  LoadOptions stored;
  stored.as_stored = true;
  ASSERT_EQ(LoadMessage(view_, kNoConvertFlags, false, nullptr, stored), LoadStatus::kShown);
  EXPECT_EQ(view_.Lines, (TextLines{"<p>\x93\xfa\x96\x7b <b>go</b></p>"})) << "the source";
}

TEST_F(LoadMessageTest, AttachmentLinesAndForwardedMessagesFollowTheText) {
  UseMessage(
      "Subject: outer\nContent-Type: multipart/mixed; boundary=B\n\n--B\n\nhello\n"
      "--B\nContent-Type: image/png; name=\"=?UTF-8?B?5pel5pys?=.png\"\n"
      "Content-Transfer-Encoding: base64\n\nQUJDRA==\n"
      "--B\nContent-Type: message/rfc822\n\nFrom: =?UTF-8?B?5pel5pys?= <a@b>\nSubject: inner\n"
      "Content-Type: multipart/alternative; boundary=C\n\n--C\nContent-Type: "
      "text/html\n\n<p>h</p>\n"
      "--C\nContent-Type: text/plain; charset=utf-8\n\n\xe5\x86\x85\n--C--\n--B--\n");
  LoadOptions options;
  options.form = TextForm::kUnicode;
  ASSERT_EQ(LoadMessage(view_, 0, false, nullptr, options), LoadStatus::kShown);
  const std::string notice = "  ―――――― このメールにはファイルが添付されています ――――――";
  const TextLines expected = {"hello",
                              "",
                              notice,
                              "  日本.png (4 B)",
                              "  message/rfc822 (189 B)",
                              "",
                              "  ―――――― 転送されたメッセージ ――――――",
                              "From: 日本 <a@b>",
                              "Subject: inner",
                              "",
                              "内"};
  EXPECT_EQ(view_.Lines, expected);
  ASSERT_EQ(view_.Attachments.size(), 2u);
  EXPECT_EQ(view_.Attachments[0].Leaf, 1u);
  EXPECT_EQ(view_.Attachments[0].Name, "日本.png");
  EXPECT_EQ(view_.Attachments[0].Size, 4u);
  EXPECT_EQ(view_.Attachments[1].Type, "message/rfc822");
  EXPECT_EQ(view_.Lines[view_.Attachments[1].Line], "  message/rfc822 (189 B)");
  ToggleHeader(view_);
  EXPECT_EQ(view_.Lines[view_.Attachments[0].Line], "  日本.png (4 B)");
  ToggleHeader(view_);
  EXPECT_EQ(view_.Attachments[0].Line, 3u);
}

TEST_F(LoadMessageTest, ForwardedMessagesNestAtMostEightDeep) {
  std::string message = "Subject: s\n\ninnermost\n";
  for (int depth = 10; depth > 0; --depth) {
    message = "Subject: s" + std::to_string(depth) + "\nContent-Type: multipart/mixed; boundary=b" +
              std::to_string(depth) + "\n\n--b" + std::to_string(depth) +
              "\nContent-Type: message/rfc822\n\n" + message + "\n--b" + std::to_string(depth) +
              "--\n";
  }
  UseMessage(message);
  ASSERT_EQ(LoadMessage(view_, kNoConvertFlags, false, nullptr), LoadStatus::kShown);
  const auto shows = [&](const std::string& line) {
    return std::find(view_.Lines.begin(), view_.Lines.end(), line) != view_.Lines.end();
  };
  EXPECT_TRUE(shows("Subject: s9"));
  EXPECT_FALSE(shows("Subject: s10"));
}

TEST(ViewerCaption, IsFromSenderDashSubject) {
  EXPECT_EQ(ViewerCaption("Taro <t@example.com>", "Re: lunch"), "From: Taro <t@example.com> - Re: lunch");
  EXPECT_EQ(ViewerCaption("", ""), "From:  - ");
}

}  // namespace
}  // namespace viewer
