// Names of parts: each way mailers write a Japanese file name, decoded; and
// the names parts are saved under, safe on Windows and never taken twice.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "viewer/part_name.h"

namespace viewer {
namespace {

TEST(PartFileName, EveryEncodingOfAJapaneseName) {
  struct Case {
    std::string disposition;   // Content-Disposition value
    std::string content_type;  // Content-Type value
    std::string name;
    const char* why;
  };
  const std::string kName = "見積書.xlsx";
  // clang-format off
  const Case cases[] = {
      {"attachment; filename=\"a b.txt\"", "", "a b.txt", "plain quoted"},
      {"attachment; filename=plain.txt ; size=3", "", "plain.txt", "plain token, blanks trimmed"},
      {"attachment; filename=\"a\\\"b\"", "", "a\"b", "backslash escape in a quoted string"},
      {"attachment; filename*=UTF-8''%E8%A6%8B%E7%A9%8D%E6%9B%B8.xlsx", "", kName, "RFC 2231 UTF-8"},
      {"attachment; filename*0*=iso-2022-jp''%1B%24; filename*1*=B8%2B%40Q%3Dq%1B%28B.xlsx", "", kName,
       "ISO-2022-JP cut inside its escape sequence: pieces joined before decoding"},
      {"attachment; filename*1*=%A9%90%CF%8F%91.xlsx; filename*0*=Shift_JIS'ja'%8C", "", kName,
       "Shift_JIS cut inside a character, pieces out of order"},
      {"attachment; filename*0*=euc-jp''%B8%AB%C0%D1; filename*1=\"%BD%F1\"; filename*2*=%BD%F1.xlsx", "",
       "見積%BD%F1書.xlsx", "EUC-JP; a piece without * is taken as written"},
      {"attachment; filename=\"=?ISO-2022-JP?B?GyRCOCtAUT1xGyhCLnhsc3g=?=\"", "", kName,
       "encoded word inside the parameter"},
      {"attachment; filename=\"=?UTF-8?B?6KaL56mN?= =?UTF-8?B?5pu4Lnhsc3g=?=\"", "", kName,
       "two encoded words, the blank between them dropped"},
      {"attachment; filename=\"\x8c\xa9\x90\xcf\x8f\x91.xlsx\"", "", kName, "raw Shift-JIS bytes"},
      {"attachment; filename=\"\xe8\xa6\x8b\xe7\xa9\x8d\xe6\x9b\xb8.xlsx\"", "", kName, "raw UTF-8 bytes"},
      {"attachment; filename=\"\x1b$B8+@Q=q\x1b(B.xlsx\"", "", kName, "raw JIS by its escapes"},
      {"attachment; filename*=x-unknown''%8C%A9%90%CF%8F%91.xlsx", "", kName, "unknown charset: guessed"},
      {"attachment; filename*=iso-8859-1''caf%E9.txt", "", "café.txt", "a single-byte charset"},
      {"attachment; filename=\"a\x01" "b\"", "", "ab", "control characters dropped"},
      {"attachment; filename=d.txt; filename*=UTF-8''e.txt", "", "e.txt", "filename* before filename"},
      {"inline", "application/pdf; name=\"n.pdf\"", "n.pdf", "else Content-Type's name"},
      {"inline", "application/pdf; name*=UTF-8''%E6%9B%B8.pdf; name=x.pdf", "書.pdf", "name* before name"},
      {"attachment; filename=\"f.txt\"", "text/plain; name=\"n.txt\"", "f.txt", "filename before name"},
      {"attachment", "text/plain; charset=us-ascii", "", "no name"},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(PartFileName(ParseParameters(c.disposition), ParseParameters(c.content_type)), c.name)
        << c.why;
  }
}

TEST(SafeFileName, NothingWindowsRefusesOrPlacesElsewhere) {
  struct Case {
    std::string name;
    std::string safe;
    const char* why;
  };
  const Case cases[] = {
      {"見積書.xlsx", "見積書.xlsx", "a good name stays"},
      {"..\\..\\Windows\\win.ini", "win.ini", "no directory part (backslash)"},
      {"/etc/passwd", "passwd", "no directory part (slash)"},
      {"a<b>c:d\"e|f?g*h", "a_b_c_d_e_f_g_h", "forbidden characters"},
      {"tab\there", "tab_here", "controls"},
      {"  name. . ", "name", "blanks and trailing dots trimmed"},
      {"CON", "_CON", "a device name"},
      {"nul.txt", "_nul.txt", "a device name with an extension, any case"},
      {"com7 .tar.gz", "_com7 .tar.gz", "a device name before blanks"},
      {"COM0.txt", "COM0.txt", "COM0 is no device"},
      {"console.txt", "console.txt", "a longer word is no device"},
      {"...", "attachment", "nothing left: the fallback"},
      {"", "attachment", "empty: the fallback"},
      {"dir/\xEF\xBB\xBF", "attachment", "a byte-order mark alone is nothing"},
      {std::string(10000, 'x') + ".pdf", std::string(kMaxSafeNameChars - 4, 'x') + ".pdf",
       "cut to the bound, the extension kept"},
  };
  for (const Case& c : cases) EXPECT_EQ(SafeFileName(c.name), c.safe) << c.why;
}

TEST(NumberedFileName, FirstFreeNumberBeforeTheExtension) {
  const std::set<std::string> taken = {"a.txt", "a (2).txt", "noext", ".profile"};
  const auto exists = [&](const std::string& name) { return taken.count(name) > 0; };
  EXPECT_EQ(NumberedFileName("b.txt", exists), "b.txt");
  EXPECT_EQ(NumberedFileName("a.txt", exists), "a (3).txt");
  EXPECT_EQ(NumberedFileName("noext", exists), "noext (2)");
  EXPECT_EQ(NumberedFileName(".profile", exists), ".profile (2)");
}

}  // namespace
}  // namespace viewer
