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

std::string WithCrLf(std::string text) {
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
    text.insert(at, "\r");
  }
  return text;
}

TEST(ExtractTextPart, KeepsHeaderThenFirstPlainPartThenNotice) {
  const std::string notice(ja::kAttachmentNotice);
  const std::string header_b = "Content-Type: multipart/mixed; boundary=\"B\"";
  const std::string part_b = "\n\n--B\nContent-Type: text/plain\n\nbody\n--B--\n";
  const std::string long_header = "X-Long: " + std::string(992, 'x');
  // clang-format off
  const TextLines multipart_lines = {"From: a@example.com", "Content-Type: multipart/mixed;", "\tboundary=\"XYZ\"",
                                     "", "first line", "", "last line", "", notice};
  TextLines unquoted_lines = multipart_lines;
  unquoted_lines[2] = "\tboundary=XYZ";
  struct Case {
    std::string message;
    bool is_part;
    TextLines lines;  // when a part (else the caller reads the whole file)
    const char* why;
  };
  const Case cases[] = {
      {Multipart("boundary=\"XYZ\""), true, multipart_lines, "quoted boundary"},
      {Multipart("boundary=XYZ"), true, unquoted_lines, "unquoted boundary"},
      {WithCrLf(Multipart("boundary=\"XYZ\"")), true, multipart_lines, "a CR LF file reads as LF"},
      {"Subject: x\nContent-Type: application/pdf\n\nbody\n", false, {}, "not multipart"},
      {header_b + "\nContent-Type: text/plain; charset=iso-2022-jp" + part_b, false, {},
       "a plain-text header means the whole message"},
      {header_b + "\ncontent-type: TEXT/PLAIN" + part_b, false, {}, "the plain-text header in any letter case"},
      {header_b + "\nContent-Type:text/plain" + part_b, true,
       {header_b, "Content-Type:text/plain", "", "body", "", notice},
       "without the space after the colon it is no plain-text header"},
      {header_b + "\n Content-Type: text/plain" + part_b, true,
       {header_b, " Content-Type: text/plain", "", "body", "", notice},
       "a line not beginning with C is no plain-text header"},
      {"Content-Type: multipart/alternative; boundary=\"B\"\n\n"
       "--B\nContent-Type:text/plain\n\nnot this one\n--B\nContent-Type: text/plain\n\nthis one\n--B--\n", true,
       {"Content-Type: multipart/alternative; boundary=\"B\"", "", "this one", "", notice},
       "a part marker without the space is skipped for the next plain part"},
      {header_b + "\n\n--B\nContent-Type: text/plain\n\na\nb\n", true, {header_b, "", "a", "b", "", notice},
       "the part runs to the end when no boundary comes"},
      {header_b + "\nX: 1\n", true, {header_b, "X: 1", "", notice},
       "a header without an empty line takes the whole file"},
      {header_b + "\n" + long_header + "\n--B\nContent-Type: text/plain\n\nbody\n--B--\n", true,
       {header_b, long_header, "", "body", "", notice},
       "the line end after 1000 bytes arrives alone: an empty line that ends the header"},
      {header_b + "\n\n--B\nContent-Type: text/plain\n\n" + std::string(1000, 'a') + std::string(1000, 'b') +
       "cc\n--B--\n", true,
       {header_b, "", std::string(1000, 'a'), std::string(1000, 'b'), "cc", "", notice},
       "a long body line arrives in pieces of 1000 bytes"},
      {"Content-Type: multipart/mixed; boundary=B\n\r\r\n--B\nContent-Type: text/plain\n\nbody\n--B--\n", true,
       {"Content-Type: multipart/mixed; boundary=B", "\r", "body", "", notice},
       "CR CR LF is a line beginning with CR, which ends the header"},
      {"Content-Type: multipart/mixed; boundary=\"OLD\"\nX-Note: boundary=\"NEW\"\n\n"
       "--NEW\nContent-Type: text/plain\n\nkept --OLD kept\n--NEW--\n", true,
       {"Content-Type: multipart/mixed; boundary=\"OLD\"", "X-Note: boundary=\"NEW\"", "", "kept --OLD kept", "",
        notice},
       "a later boundary line replaces the earlier one"},
      {"Content-Type: multipart/mixed" + part_b, true, {"Content-Type: multipart/mixed", "", "", notice},
       "no boundary: the empty boundary matches the first body line, the part is empty"},
      {header_b + "\n\n--B\nContent-Type: image/png\n\nAAAA\n", true, {header_b, "", "", notice},
       "no plain-text part: an empty part"},
      {header_b + "\n\n--B\nContent-Type: text/plain\n", true, {header_b, "", "", notice},
       "the file ends in the part's header: an empty part"},
      {header_b + "\n\n", true, {header_b, "", "", notice}, "the file ends after the header: an empty part"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const Extracted got = Extract(c.message);
    EXPECT_EQ(got.is_part, c.is_part) << c.why;
    if (c.is_part) {
      EXPECT_EQ(got.lines, c.lines) << c.why;
    }
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
