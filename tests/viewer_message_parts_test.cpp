// Reading a message into the viewer's lines: the text part of a message with
// attachments, the whole-file reading and the boundary parameter.

#include <gtest/gtest.h>

#include <string>

#include "platform/text_reader.h"
#include "viewer/ja_texts.h"
#include "viewer/message_parts.h"

namespace viewer {
namespace {

struct Extracted {
  bool is_part;
  TextLines lines;
};

Extracted Extract(std::string_view bytes) {
  platform::TextReader reader;
  reader.OpenBytes(bytes);
  Extracted result;
  result.is_part = ExtractTextPartFrom(reader, result.lines);
  return result;
}

TextLines ReadAll(std::string_view bytes) {
  platform::TextReader reader;
  reader.OpenBytes(bytes);
  TextLines lines;
  ReadAllLines(reader, lines);
  return lines;
}

std::string Multipart(std::string_view boundary_parameter) {
  return std::string("From: a@example.com\n"
                     "Content-Type: multipart/mixed;\n"
                     "\t") +
         std::string(boundary_parameter) +
         "\n"
         "\n"
         "This is a multi-part message in MIME format.\n"
         "--XYZ\n"
         "Content-Type: text/plain; charset=iso-2022-jp\n"
         "\n"
         "first line\n"
         "\n"
         "last line\n"
         "--XYZ\n"
         "Content-Type: application/octet-stream\n"
         "\n"
         "QUJD\n"
         "--XYZ--\n";
}

TEST(ExtractTextPart, KeepsHeaderThenFirstPlainPartThenNotice) {
  const Extracted got = Extract(Multipart("boundary=\"XYZ\""));
  ASSERT_TRUE(got.is_part);
  const TextLines expected = {"From: a@example.com",
                              "Content-Type: multipart/mixed;",
                              "\tboundary=\"XYZ\"",
                              "",
                              "first line",
                              "",
                              "last line",
                              "",
                              std::string(ja::kAttachmentNotice)};
  EXPECT_EQ(got.lines, expected);
}

TEST(ExtractTextPart, QuotedAndUnquotedBoundaryGiveTheSameText) {
  const Extracted quoted = Extract(Multipart("boundary=\"XYZ\""));
  const Extracted unquoted = Extract(Multipart("boundary=XYZ"));
  ASSERT_TRUE(quoted.is_part);
  ASSERT_TRUE(unquoted.is_part);
  // Only the header line naming the boundary differs.
  ASSERT_EQ(quoted.lines.size(), unquoted.lines.size());
  for (std::size_t i = 3; i < quoted.lines.size(); ++i) EXPECT_EQ(quoted.lines[i], unquoted.lines[i]);
}

TEST(ExtractTextPart, PlainTextHeaderMeansTheWholeMessage) {
  struct Case {
    const char* content_type;
    bool is_part;
    const char* why;
  };
  const Case cases[] = {
      {"Content-Type: text/plain; charset=iso-2022-jp", false, "plain text is shown whole"},
      {"content-type: TEXT/PLAIN", false, "letter case does not matter"},
      {"Content-Type:text/plain", true, "without the space after the colon it is no marker"},
      {" Content-Type: text/plain", true, "a line not beginning with C is no marker"},
  };
  for (const Case& c : cases) {
    const std::string message = std::string("Content-Type: multipart/mixed; boundary=\"B\"\n") +
                                c.content_type + "\n\n--B\nContent-Type: text/plain\n\nbody\n--B--\n";
    const Extracted got = Extract(message);
    EXPECT_EQ(got.is_part, c.is_part) << c.why;
    if (!got.is_part) {
      EXPECT_TRUE(got.lines.empty()) << c.why;
    }
  }
}

TEST(ExtractTextPart, PartMarkerWithoutSpaceIsSkippedForTheNextPlainPart) {
  const Extracted got = Extract(
      "Content-Type: multipart/alternative; boundary=\"B\"\n\n"
      "--B\nContent-Type:text/plain\n\nnot this one\n"
      "--B\nContent-Type: text/plain\n\nthis one\n--B--\n");
  ASSERT_TRUE(got.is_part);
  const TextLines expected = {"Content-Type: multipart/alternative; boundary=\"B\"", "", "this one",
                              "", std::string(ja::kAttachmentNotice)};
  EXPECT_EQ(got.lines, expected);
}

TEST(ExtractTextPart, NotMultipartIsNoPart) {
  const Extracted got = Extract("Subject: x\nContent-Type: application/pdf\n\nbody\n");
  EXPECT_FALSE(got.is_part);
}

TEST(ExtractTextPart, MalformedStructureGivesAnEmptyPart) {
  struct Case {
    const char* message;
    const char* why;
  };
  const Case cases[] = {
      {"Content-Type: multipart/mixed\n\n--B\nContent-Type: text/plain\n\nbody\n--B--\n",
       "no boundary: the empty boundary matches the first body line"},
      {"Content-Type: multipart/mixed; boundary=\"B\"\n\n--B\nContent-Type: image/png\n\nAAAA\n",
       "no plain-text part"},
      {"Content-Type: multipart/mixed; boundary=\"B\"\n\n--B\nContent-Type: text/plain\n",
       "the file ends in the part's header"},
      {"Content-Type: multipart/mixed; boundary=\"B\"\n\n", "the file ends after the header"},
  };
  for (const Case& c : cases) {
    const Extracted got = Extract(c.message);
    ASSERT_TRUE(got.is_part) << c.why;
    ASSERT_GE(got.lines.size(), 2u) << c.why;
    EXPECT_EQ(got.lines[got.lines.size() - 3], "") << c.why;  // the header's empty line
    EXPECT_EQ(got.lines[got.lines.size() - 2], "") << c.why;
    EXPECT_EQ(got.lines.back(), ja::kAttachmentNotice) << c.why;
  }
}

TEST(ExtractTextPart, TwentyThousandByteLinesAreReadInPieces) {
  // A boundary parameter that runs past the first piece is cut at its end; the
  // rest of the line is more header lines. A long body line is cut likewise.
  const std::string long_boundary = "boundary=" + std::string(20000, 'q');
  const Extracted got = Extract("Content-Type: multipart/mixed; " + long_boundary +
                                "\n\n--" + std::string(20000, 'q') +
                                "\nContent-Type: text/plain\n\n" + std::string(20000, 'b') +
                                "\n--" + std::string(20000, 'q') + "\n");
  ASSERT_TRUE(got.is_part);
  // The 20,040-byte header line gives 21 pieces, then its empty line; the
  // boundary is the 960 q's of the first piece. The body line gives 20 pieces
  // and, its line end arriving alone, an empty line.
  ASSERT_EQ(got.lines.size(), 22u + 21u + 2u);
  EXPECT_EQ(got.lines[0].size(), 1000u);
  EXPECT_EQ(got.lines[20], std::string(40, 'q'));
  EXPECT_EQ(got.lines[22], std::string(1000, 'b'));
  EXPECT_EQ(got.lines[41], std::string(1000, 'b'));
  EXPECT_EQ(got.lines[42], "");
  EXPECT_EQ(got.lines.back(), ja::kAttachmentNotice);
}

TEST(ExtractTextPart, PartRunsToTheEndWhenTheBoundaryNeverComes) {
  const Extracted got = Extract(
      "Content-Type: multipart/mixed; boundary=\"B\"\n\n--B\nContent-Type: text/plain\n\na\nb\n");
  ASSERT_TRUE(got.is_part);
  const TextLines expected = {"Content-Type: multipart/mixed; boundary=\"B\"",
                              "",
                              "a",
                              "b",
                              "",
                              std::string(ja::kAttachmentNotice)};
  EXPECT_EQ(got.lines, expected);
}

TEST(ExtractTextPart, HeaderWithoutEmptyLineTakesTheWholeFile) {
  const Extracted got = Extract("Content-Type: multipart/mixed; boundary=\"B\"\nX: 1\n");
  ASSERT_TRUE(got.is_part);
  const TextLines expected = {"Content-Type: multipart/mixed; boundary=\"B\"", "X: 1", "",
                              std::string(ja::kAttachmentNotice)};
  EXPECT_EQ(got.lines, expected);
}

TEST(ExtractTextPart, LineEndAfterAThousandBytesIsAnEmptyLine) {
  // The 1000 bytes arrive as one piece and their line end as the next: an empty
  // line, which ends the header. What follows is searched for the part.
  const std::string long_line = "X-Long: " + std::string(992, 'x');
  const Extracted got = Extract("Content-Type: multipart/mixed; boundary=\"B\"\n" + long_line +
                                "\n--B\nContent-Type: text/plain\n\nbody\n--B--\n");
  ASSERT_TRUE(got.is_part);
  const TextLines expected = {"Content-Type: multipart/mixed; boundary=\"B\"",
                              long_line,
                              "",
                              "body",
                              "",
                              std::string(ja::kAttachmentNotice)};
  EXPECT_EQ(got.lines, expected);
}

TEST(ExtractTextPart, LongBodyLineArrivesInPiecesOfAThousandBytes) {
  const std::string long_line = std::string(1000, 'a') + std::string(1000, 'b') + "cc";
  const Extracted got = Extract(
      "Content-Type: multipart/mixed; boundary=\"B\"\n\n--B\nContent-Type: text/plain\n\n" +
      long_line + "\n--B--\n");
  ASSERT_TRUE(got.is_part);
  const TextLines expected = {"Content-Type: multipart/mixed; boundary=\"B\"",
                              "",
                              std::string(1000, 'a'),
                              std::string(1000, 'b'),
                              "cc",
                              "",
                              std::string(ja::kAttachmentNotice)};
  EXPECT_EQ(got.lines, expected);
}

TEST(ExtractTextPart, CrLfFileReadsAsLf) {
  std::string crlf = Multipart("boundary=\"XYZ\"");
  for (std::size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2)) {
    crlf.insert(at, "\r");
  }
  EXPECT_EQ(Extract(crlf).lines, Extract(Multipart("boundary=\"XYZ\"")).lines);
}

TEST(ExtractTextPart, LineBeginningWithCarriageReturnEndsTheHeader) {
  // CR CR LF reads as a CR and a line end: a line whose first byte is CR.
  const Extracted got = Extract(
      "Content-Type: multipart/mixed; boundary=B\n\r\r\n"
      "--B\nContent-Type: text/plain\n\nbody\n--B--\n");
  ASSERT_TRUE(got.is_part);
  const TextLines expected = {"Content-Type: multipart/mixed; boundary=B", "\r", "body", "",
                              std::string(ja::kAttachmentNotice)};
  EXPECT_EQ(got.lines, expected);
}

TEST(ExtractTextPart, LaterBoundaryLineReplacesTheEarlierOne) {
  const Extracted got = Extract(
      "Content-Type: multipart/mixed; boundary=\"OLD\"\nX-Note: boundary=\"NEW\"\n\n"
      "--NEW\nContent-Type: text/plain\n\nkept --OLD kept\n--NEW--\n");
  ASSERT_TRUE(got.is_part);
  EXPECT_EQ(got.lines[3], "kept --OLD kept");
  EXPECT_EQ(got.lines.size(), 6u);
}

TEST(BoundaryParameter, TakesQuotedTextElseTextAfterEquals) {
  struct Case {
    const char* line;
    const char* boundary;
    const char* why;
  };
  const Case cases[] = {
      {"\tboundary=\"abc\"\n", "abc", "quoted"},
      {"\tboundary=abc\n", "abc", "unquoted runs to the line end"},
      {"\tboundary=abc; x=y\n", "abc; x=y", "unquoted keeps everything up to the line end"},
      {"\tboundary=\"abc\n", "abc", "an unclosed quote runs to the line end"},
      {"\tBOUNDARY\n", "", "neither quote nor equals"},
      {"Content-Type: multipart/mixed; name=\"n\"; boundary=\"b\"\n", "n",
       "the first double quote of the line counts"},
      {"\tboundary=\"\"\n", "", "empty quotes"},
  };
  for (const Case& c : cases) EXPECT_EQ(BoundaryParameter(c.line), c.boundary) << c.why;
}

TEST(ReadAllLines, SplitsAtLineEndsAndKeepsEveryByte) {
  struct Case {
    std::string bytes;
    TextLines lines;
    const char* why;
  };
  const Case cases[] = {
      {"", {}, "an empty file has no lines"},
      {"a\nb\n", {"a", "b"}, "a final line end makes no extra line"},
      {"a\nb", {"a", "b"}, "a last line without line end is kept"},
      {"a\r\nb\r\n", {"a", "b"}, "CR LF is one line end"},
      {"a\rb\n", {"a\rb"}, "a lone CR is an ordinary byte"},
      {"\n\n", {"", ""}, "empty lines stay"},
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}, "NUL is kept"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadAll(c.bytes), c.lines) << c.why;
}

TEST(ReadAllLines, KeepsLinesLongerThanTheReadBlock) {
  const std::string line(200000, 'z');
  EXPECT_EQ(ReadAll(line + "\n" + line), (TextLines{line, line}));
}

}  // namespace
}  // namespace viewer
