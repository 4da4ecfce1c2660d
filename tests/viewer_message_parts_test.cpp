// The message as a list of parts: the MIME walk (leaves, types, names and
// their bytes), which part is shown as text and which are attachments, and
// the names parts are saved under.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "viewer/message_parts.h"
#include "viewer/mime_parts.h"

namespace viewer {
namespace {

// One leaf as the command-line program lists it: type, decoded bytes, name.
struct Leaf {
  std::string type;
  std::string bytes;
  std::string name;
  bool operator==(const Leaf&) const = default;
};

std::vector<Leaf> Leaves(std::string_view message) {
  const MimeTree tree = ParseMime(message);
  std::vector<Leaf> leaves;
  for (const std::size_t index : tree.leaves) {
    const MimePart& part = tree.parts[index];
    leaves.push_back({part.type, DecodedBody(message, part), part.name});
    EXPECT_EQ(DecodedSize(message, part), leaves.back().bytes.size()) << message;
  }
  return leaves;
}

std::string Mixed(std::string_view parts) {
  return "Content-Type: multipart/mixed; boundary=\"B\"\n\npreamble\n" + std::string(parts);
}

TEST(ParseMime, LeavesInFileOrderWithTheirDecodedBytes) {
  // clang-format off
  struct Case {
    std::string message;
    std::vector<Leaf> leaves;
    const char* why;
  };
  const Case cases[] = {
      {"Subject: x\n\nbody\n", {{"text/plain", "body\n", ""}}, "no Content-Type: one text/plain leaf"},
      {"Content-Type: Text/HTML; charset=utf-8\n\n<p>", {{"text/html", "<p>", ""}}, "type in lower case"},
      {"Content-Type: text\n\nx", {{"text/plain", "x", ""}}, "a type without subtype is text/plain"},
      {Mixed("--B\n\nfirst\n--B\nContent-Type: application/pdf; name=a.pdf\n"
             "Content-Transfer-Encoding: base64\n\nQUJD\nREVG\n--B--\nepilogue\n"),
       {{"text/plain", "first", ""}, {"application/pdf", "ABCDEF", "a.pdf"}},
       "preamble and epilogue dropped, the line end before a delimiter is no part of the part"},
      {"Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\nContent-Type: text/plain\r\n\r\na\r\nb\r\n--B--\r\n",
       {{"text/plain", "a\r\nb", ""}}, "CR LF lines"},
      {Mixed("--B\n\nfirst\n--B\n\nsecond\n"), {{"text/plain", "first", ""}, {"text/plain", "second\n", ""}},
       "no last delimiter: the last part runs to the end"},
      {Mixed("--Bx\n--B \t\n\nkept --B\n--B--\n"), {{"text/plain", "kept --B", ""}},
       "a longer boundary or one inside a line is no delimiter; blanks after one are"},
      {Mixed("--B\nContent-Type: multipart/alternative; boundary=\"C\"\n\n--C\n\nplain\n--C\n"
             "Content-Type: text/html\n\nhtml\n--C--\n--B\nContent-Type: image/png\n\npng\n--B--\n"),
       {{"text/plain", "plain", ""}, {"text/html", "html", ""}, {"image/png", "png", ""}},
       "nested multiparts depth first"},
      {Mixed("--B\nContent-Type: multipart/mixed; boundary=\"B\"\n\n--B\n\ninner\n--B--\n"),
       {{"multipart/mixed", "", ""}, {"text/plain", "inner", ""}},
       "a part repeating its parent's boundary finds no delimiter: a leaf"},
      {"Content-Type: multipart/mixed; boundary=\"B\"\n\nno delimiter at all\n",
       {{"multipart/mixed", "no delimiter at all\n", ""}}, "a multipart without parts is a leaf"},
      {"Content-Type: multipart/digest; boundary=B\n\n--B\n\nSubject: f\n\nx\n--B--\n",
       {{"message/rfc822", "Subject: f\n\nx", ""}}, "a digest's parts are messages, and a message one leaf"},
      {Mixed("--B\nContent-Type: message/rfc822\n\nContent-Type: multipart/mixed; boundary=B\n\n--B\n\nin\n--B--\n"
             "--B--\n"),
       {{"message/rfc822", "Content-Type: multipart/mixed; boundary=B\n", ""}, {"text/plain", "in", ""}},
       "a forwarded message's parts are not the outer one's (here its own boundary cuts it)"},
      {"Content-Transfer-Encoding: quoted-printable\n\na=3D=\nb=ZZ=4\n=\n",
       {{"text/plain", "a=b=ZZ=4\n", ""}}, "quoted-printable: soft breaks joined, broken escapes kept"},
      {"Content-Type: image/gif\nContent-Transfer-Encoding: base64\n\nQU*JD\nR!A==\nQQ\n",
       {{"image/gif", "ABCDA", ""}}, "base64: stray characters skipped, padding ends a group"},
      {"Content-Transfer-Encoding: x-uuencode\n\nnoise\nbegin 644 a.txt\n#86)C\n`\nend\n",
       {{"text/plain", "abc", ""}}, "uuencode from begin to end"},
      {"Content-Transfer-Encoding: 8bit\n\n\x82\xa0\n", {{"text/plain", "\x82\xa0\n", ""}}, "8bit as stored"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(Leaves(c.message), c.leaves) << c.why;
}

TEST(ParseMime, HeaderFieldsFoldedAndInAnyCase) {
  const std::string message =
      "content-type: Text/Plain;\n\tCHARSET=\"ISO-8859-1\"; format=flowed\n"
      "Content-Transfer-Encoding:  Base64 \nSubject: a\n b\n\nQUJD\n";
  const MimeTree tree = ParseMime(message);
  EXPECT_EQ(tree.parts[0].charset, "ISO-8859-1");
  EXPECT_EQ(tree.parts[0].transfer, TransferEncoding::kBase64);
  EXPECT_EQ(HeaderField(PartHeader(message, tree.parts[0]), "subject"), "a b");
}

TEST(ParseMime, HugeAndDeepStructuresStayBounded) {
  std::string many = "Content-Type: multipart/mixed; boundary=B\n\n";
  for (int i = 0; i < 10000; ++i) many += "--B\nContent-Type: image/png\n\nx\n";
  EXPECT_EQ(ParseMime(many).leaves.size(), 10000u);

  std::string deep;
  for (int i = 0; i < 1000; ++i) {
    deep += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\n\n--b" +
            std::to_string(i) + "\n";
  }
  deep += "\ntext\n";
  const MimeTree tree = ParseMime(deep);
  ASSERT_EQ(tree.leaves.size(), 1u);
  EXPECT_EQ(tree.parts[tree.leaves[0]].depth, kMaxMimeDepth);
}

TEST(ShownTextPart, ChosenByStructureAndTheRestAreAttachments) {
  // clang-format off
  struct Case {
    std::string message;
    std::string shown;  // the shown part's decoded bytes; "-" for none
    std::set<std::string> attachments;  // the attachments' decoded bytes
    const char* why;
  };
  const std::string alternative =
      "--B\nContent-Type: multipart/alternative; boundary=C\n\n--C\nContent-Type: text/html\n\nH\n"
      "--C\nContent-Type: text/plain\n\nP\n--C--\n";
  const Case cases[] = {
      {Mixed(alternative + "--B\nContent-Type: image/png\n\nI\n--B--\n"), "P", {"I"},
       "alternative: its plain part, wherever it stands; the html beside it is no attachment"},
      {Mixed("--B\nContent-Type: multipart/alternative; boundary=C\n\n--C\nContent-Type: text/html\n\nH\n--C--\n"),
       "H", {}, "alternative without plain text: its html"},
      {"Content-Type: multipart/related; boundary=B; start=\"<two>\"\n\n--B\nContent-ID: <one>\n\nONE\n"
       "--B\nContent-ID: <two>\nContent-Type: text/html\n\nTWO\n--B--\n", "TWO", {"ONE"},
       "related: the part its start names"},
      {"Content-Type: multipart/related; boundary=B\n\n--B\nContent-Type: text/html\n\nROOT\n"
       "--B\nContent-Type: image/gif\n\nG\n--B--\n", "ROOT", {"G"}, "related: else its first part"},
      {Mixed("--B\nContent-Type: image/png\n\nI\n--B\nContent-Disposition: attachment\n\nT1\n"
             "--B\nContent-Type: text/plain\n\nT2\n--B--\n"), "T2", {"I", "T1"},
       "mixed: the first text part that is not an attachment"},
      {Mixed("--B\nContent-Type: application/pdf\n\nPDF\n--B--\n"), "-", {"PDF"}, "mixed without text"},
      {"Content-Type: text/html\n\n<b>x</b>", "<b>x</b>", {}, "a single html part"},
      {"Content-Type: text/csv\n\na,b", "a,b", {}, "a single part of any text type"},
      {"Content-Type: application/zip\n\nZ", "-", {"Z"}, "a single part that is not text is an attachment"},
      {"Content-Type: multipart/mixed; boundary=B\n\nraw\n", "raw\n", {}, "a multipart without parts as text"},
      {Mixed("--B\nContent-Type: message/rfc822\n\nSubject: f\n\nF\n--B--\n"), "-", {"Subject: f\n\nF"},
       "a forwarded message is an attachment, never the text"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const MimeTree tree = ParseMime(c.message);
    const std::size_t shown = ShownTextPart(tree);
    EXPECT_EQ(shown == kNoPart ? "-" : DecodedBody(c.message, tree.parts[shown]), c.shown) << c.why;
    std::set<std::string> attachments;
    for (const std::size_t leaf : AttachmentLeaves(tree, shown)) {
      attachments.insert(DecodedBody(c.message, tree.parts[tree.leaves[leaf]]));
    }
    EXPECT_EQ(attachments, c.attachments) << c.why;
  }
}

TEST(AttachmentLine, NameOrTypeAndSize) {
  MimePart part;
  part.type = "image/png";
  EXPECT_EQ(AttachmentLineText(part, 1023), "  image/png (1023 B)");
  part.name = "見積書.xlsx";
  EXPECT_EQ(AttachmentLineText(part, 12595), "  見積書.xlsx (12.3 KB)");
  EXPECT_EQ(SizeText(20 * 1024 * 1024 + 512 * 1024), "20.5 MB");
}

TEST(LeafSaveName, OwnNameElseNumberAndForwardedMessagesEndInEml) {
  MessageFile file;
  file.bytes = Mixed(
      "--B\nContent-Type: image/png; name=\"../../evil?.png\"\n\nI\n--B\nContent-Type: "
      "image/png\n\nJ\n"
      "--B\nContent-Type: message/rfc822\n\nSubject: =?UTF-8?B?5pel5pys?=\n\nF\n"
      "--B\nContent-Type: message/rfc822; name=fw.eml\n\nF\n--B--\n");
  file.tree = ParseMime(file.bytes);
  EXPECT_EQ(LeafSaveName(file, 0), "evil_.png");
  EXPECT_EQ(LeafSaveName(file, 1), "part2");
  EXPECT_EQ(LeafSaveName(file, 2), "日本.eml");
  EXPECT_EQ(LeafSaveName(file, 3), "fw.eml");
  EXPECT_EQ(LeafBytes(file, 1), "J");
  EXPECT_EQ(LeafBytes(file, 9), "");
}

}  // namespace
}  // namespace viewer
