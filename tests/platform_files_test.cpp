#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/text_reader.h"
#include "platform/wildcard.h"
#include "tests/temp_dir_support.h"

namespace {

using platform::TextReader;
using testing_support::TempDir;

TEST(TextReader, CutsPiecesAtLineEndsAndAfterMaxMinusOneCharacters) {
  using Texts = std::vector<std::string>;
  struct Case {
    std::string text;
    std::size_t max;
    Texts pieces;
    std::vector<bool> started_line;
    const char* reason;
  };
  const Case cases[] = {
      {"a\r\nb\rc\n\r\nlast",
       1000,
       {"a\n", "b\rc\n", "\n", "last"},
       {true, true, true, true},
       "CR LF is one line end, a lone CR an ordinary byte"},
      {"12345\r\n1234\n123456789\n",
       5,
       {"12345", "\n", "1234\n", "12345", "6789\n"},
       {true, false, true, true, false},
       "the line end counts as a character, as with fgets"},
  };
  for (const Case& c : cases) {
    TextReader r;
    r.OpenBytes(c.text);
    Texts pieces;
    std::vector<bool> started_line;
    for (std::string piece; r.ReadPiece(piece, c.max);) {
      pieces.push_back(piece);
      started_line.push_back(r.PieceStartedLine());
    }
    EXPECT_EQ(pieces, c.pieces) << c.reason;
    EXPECT_EQ(started_line, c.started_line) << c.reason;
  }
}

TEST(TextReader, CrLfSplitAcrossReadBlocksStillReadsAsOneLineEnd) {
  TempDir dir;
  // Put the CR as the last byte of the first 64 KiB block.
  std::string bytes(64 * 1024 - 1, 'x');
  bytes += "\r\nnext\r\n";
  const std::string path = dir.WriteFile("big.txt", bytes);
  TextReader r;
  ASSERT_TRUE(r.Open(path));
  std::string piece;
  std::size_t total = 0;
  std::vector<std::string> tail;
  while (r.ReadPiece(piece, 1000)) {
    total += piece.size();
    if (piece.find('\r') != std::string::npos) ADD_FAILURE() << "CR leaked into a piece";
    tail.push_back(piece);
  }
  EXPECT_EQ(total, 64u * 1024 - 1 + 1 + 5);
  EXPECT_EQ(tail.back(), "next\n");
}

TEST(TextPieces, CutsTheSamePiecesAsTheReader) {
  struct Case {
    std::string text;
    const char* reason;
  };
  const Case cases[] = {
      {"a\r\nb\rc\n\r\nlast", "CR LF, a lone CR, an empty line, no last line end"},
      {"12345\r\n1234\n123456789\n", "lines of the piece size, one less, and longer"},
      {"1234\r\n", "a CR LF right after max - 1 characters still fits"},
      {"12345\r\r\n", "a lone CR where the piece is cut"},
      {"1234\r\r\n", "a lone CR as the last character that fits"},
      {"123456\r", "a CR at the end of the text is a byte"},
      {"\r\n\n\r", "line ends only"},
      {"", "no text"},
  };
  for (const Case& c : cases) {
    for (std::size_t max : {1u, 4u, 5u, 6u, 1000u}) {
      TextReader reader;
      reader.OpenBytes(c.text);
      std::vector<std::string> expected;
      std::vector<bool> expected_starts;
      std::string piece;
      while (reader.ReadPiece(piece, max)) {
        expected.push_back(piece);
        expected_starts.push_back(reader.PieceStartedLine());
      }
      platform::TextPieces pieces(c.text);
      std::vector<std::string> got;
      std::vector<bool> got_starts;
      platform::TextPiece cut;
      while (pieces.Next(cut, max)) {
        got.push_back(std::string(cut.Text) + (cut.LineEnd ? "\n" : ""));
        got_starts.push_back(cut.StartedLine);
      }
      EXPECT_EQ(got, expected) << c.reason << ", pieces of " << max;
      EXPECT_EQ(got_starts, expected_starts) << c.reason << ", pieces of " << max;
    }
  }
}

TEST(TextReader, MissingFileAndDirectoryDoNotOpen) {
  TempDir dir;
  TextReader r;
  EXPECT_FALSE(r.Open(dir.Join("missing")));
  EXPECT_FALSE(r.Open(dir.path()));
}

TEST(Files, FileExistsIsTrueForPlainVisibleFilesOnly) {
  TempDir dir;
  const std::string file = dir.WriteFile("a.ini", "x");
  EXPECT_TRUE(platform::FileExists(file));
  EXPECT_FALSE(platform::FileExists(dir.MakeDirs("d.ini")));
  EXPECT_FALSE(platform::FileExists(dir.Join("none.ini")));
  EXPECT_TRUE(platform::DirectoryExists(dir.Join("d.ini")));
  EXPECT_FALSE(platform::DirectoryExists(file));
}

TEST(Files, ListingMatchesWildcardsAndMarksDirectories) {
  TempDir dir;
  dir.MakeDirs("User001.box");
  dir.MakeDirs("user002.BOX");
  dir.WriteFile("User003.box", "a file");
  dir.WriteFile("Other.txt", "");
  const auto entries = platform::ListDirectory(dir.path(), "User*.box");
  ASSERT_EQ(entries.size(), 3u);
  int directories = 0;
  for (const auto& e : entries) directories += e.is_directory ? 1 : 0;
  EXPECT_EQ(directories, 2);
  EXPECT_EQ(platform::ListDirectory(dir.path(), "*.*").size(), 4u);
  EXPECT_TRUE(platform::ListDirectory(dir.Join("missing"), "*.*").empty());
}

TEST(Files, WildcardFollowsWindowsRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
    const char* reason;
  };
  const Case cases[] = {
      {"User*.box", "USER12.BOX", true, "letter case does not count"},
      {"*.*", "noextension", true, "*.* matches a name without a dot"},
      {"a?c", "abc", true, "? is one character"},
      {"User*.box", "User1.boxx", false, "the pattern's end must meet the name's"},
      {"a?c", "ac", false, "? is not zero characters"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::WildcardMatch(c.pattern, c.name), c.matches) << c.reason;
  }
}

TEST(Files, AtomicReplaceWritesWholeFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.WriteFile("cache", "old contents");
  ASSERT_TRUE(platform::ReplaceFileAtomically(path, "new"));
  EXPECT_EQ(dir.ReadFile("cache"), "new");
  EXPECT_EQ(platform::ListDirectory(dir.path(), "*").size(), 1u);
  EXPECT_FALSE(platform::ReplaceFileAtomically(dir.Join("missing-dir/cache"), "x"));
}

// A file rewritten while it is read is read again until its size and write
// time stay the same across one read; a file that never settles gives its
// last read after the bounded number of tries.
TEST(Files, ASettledReadRepeatsUntilTheFileStaysTheSameAcrossOneRead) {
  using platform::FileStamp;
  struct Case {
    const char* why;
    std::vector<std::optional<FileStamp>> stamps;  // before and after each read, in turn
    int reads;
    std::string kept;
  } cases[] = {
      {"unchanged: one read", {FileStamp{3, 1}, FileStamp{3, 1}}, 1, "read1"},
      {"written during the first read: read again",
       {FileStamp{3, 1}, FileStamp{9, 2}, FileStamp{9, 2}, FileStamp{9, 2}},
       2,
       "read2"},
      {"same size, new write time: still a change",
       {FileStamp{3, 1}, FileStamp{3, 2}, FileStamp{3, 2}, FileStamp{3, 2}},
       2,
       "read2"},
      {"no stamp before the read: not known to be settled",
       {std::nullopt, FileStamp{3, 1}, FileStamp{3, 1}, FileStamp{3, 1}},
       2,
       "read2"},
      {"never settles: the last of kSettleTries reads",
       {},
       platform::kSettleTries,
       "read" + std::to_string(platform::kSettleTries)},
  };
  for (const Case& c : cases) {
    std::size_t stamp_calls = 0;
    int reads = 0;
    int pauses = 0;
    std::string bytes;
    const bool ok = platform::ReadSettled(
        [&]() -> std::optional<FileStamp> {
          const std::size_t at = stamp_calls++;
          if (at < c.stamps.size()) return c.stamps[at];
          return FileStamp{at, at};  // a new stamp at every look
        },
        [&](std::string& out) {
          out = "read" + std::to_string(++reads);
          return true;
        },
        [&] { ++pauses; }, bytes);
    EXPECT_TRUE(ok) << c.why;
    EXPECT_EQ(reads, c.reads) << c.why;
    EXPECT_EQ(pauses, c.reads - 1) << c.why;
    EXPECT_EQ(bytes, c.kept) << c.why;
  }
  std::string bytes;
  EXPECT_FALSE(platform::ReadSettled([] { return std::optional<FileStamp>(); },
                                     [](std::string&) { return false; }, [] {}, bytes))
      << "a file that cannot be read";
}

TEST(Files, TruncateCreatesOrEmpties) {
  TempDir dir;
  const std::string path = dir.WriteFile("VLTR.ume", "records");
  ASSERT_TRUE(platform::TruncateFile(path));
  EXPECT_EQ(dir.ReadFile("VLTR.ume"), "");
  ASSERT_TRUE(platform::TruncateFile(dir.Join("fresh")));
  EXPECT_TRUE(platform::FileExists(dir.Join("fresh")));
}

TEST(Files, JapaneseFileNamesRoundTrip) {
  TempDir dir;
#ifdef _WIN32
  const std::string name = "\x97\x58\x95\xD6\x8E\xF3\x82\xAF.ini";  // 郵便受け.ini in CP932
#else
  const std::string name = "\xE9\x83\xB5\xE4\xBE\xBF.ini";  // UTF-8 on the POSIX file system
#endif
  const std::string path = dir.WriteFile(name, "[S]\r\nK=1\r\n");
  EXPECT_TRUE(platform::FileExists(path));
  const auto entries = platform::ListDirectory(dir.path(), "*.ini");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, name);
}

TEST(Encoding, Cp932AndUtf16RoundTrip) {
  const std::string sjis = "ASCII \x82\xA0\x83\x41\x93\xFA\x96\x7B\x8C\xEA \xB1\x87\x40";  // あア日本語 ｱ①
  const std::u16string wide = platform::Cp932ToUtf16(sjis);
  EXPECT_EQ(wide, u"ASCII \u3042\u30A2\u65E5\u672C\u8A9E \uFF71\u2460");
  EXPECT_EQ(platform::Utf16ToCp932(wide), sjis);
  EXPECT_EQ(platform::Utf16ToCp932(u"\uAC00"), "?") << "no CP932 form becomes ?";
}

}  // namespace
