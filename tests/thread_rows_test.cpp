// Rows of the thread list: indentation, displayed subject, unread image and
// count, the cache written in the same pass, the folder's "VLTR.fol" and the
// start row.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/load_fakes_support.h"
#include "tests/mail_folder_support.h"
#include "thread/thread_cache.h"
#include "thread/thread_rows.h"

namespace thread {
namespace {

using folder_fixture::TestFolder;

// A list of nodes named "00000001"... with the given depths; `unread` lists
// the 0-based positions of unread nodes.
class RowList {
 public:
  RowList(const std::vector<int>& depths, const std::vector<int>& unread = {}) {
    ThreadNode* last = nullptr;
    for (std::size_t i = 0; i < depths.size(); ++i) {
      ThreadNode* node = NewThreadNode();
      const std::string name = std::string(7, '0') + static_cast<char>('1' + i);
      std::copy(name.begin(), name.end(), node->Name.begin());
      node->Depth = depths[i];
      node->Subject = node->Keep("s" + std::to_string(i + 1));
      node->Sender = node->Keep("from" + std::to_string(i + 1));
      if (last == nullptr) {
        list_.Reset(node);
      } else {
        AppendNode(last, node);
      }
      last = node;
      rows_.push_back(node);
    }
    for (int i : unread) rows_[static_cast<std::size_t>(i)]->StatusBlock[3] = 0x40;
  }
  ThreadNode* Head() const { return list_.Head(); }
  const std::vector<ThreadNode*>& Rows() const { return rows_; }

 private:
  ThreadList list_;
  std::vector<ThreadNode*> rows_;
};

TEST(ThreadRowsTest, IndentationFollowsDepthUnlessOneLevel) {
  struct Case {
    int depth, tab_info;
    const char* indent;
    const char* reason;
  };
  const Case cases[] = {
      {0, 0, "", "a root has no mark"},
      {0, 1, "", "nor in one-level display"},
      {1, 0, "    +", "a reply: blanks and the mark"},
      {3, 0, "        +", "two more blanks per level"},
      {3, 1, "  +", "one-level display: one indent whatever the depth"},
      {3, 5, "  +", "any TabInfo other than 0 is one-level display"},
  };
  for (const Case& c : cases) EXPECT_EQ(IndentText(c.depth, c.tab_info), c.indent) << c.reason;
}

TEST(ThreadRowsTest, DisplaySubjectDropsTheListTagByCharacters) {
  struct Case {
    std::string subject;
    std::int32_t ml_string_delete;
    std::string expected;
    const char* reason;
  };
  const Case cases[] = {
      {" [list:0001] word", 0, " [list:0001] word", "setting off: unchanged"},
      {" [list:0001] word", 1, "word", "tag and the blank after it go"},
      {" word", 1, "word", "no tag: the first character goes"},
      {"[list:01] word", 1, "list:01] word", "a tag at the first character stays"},
      {" [list", 1, "[list", "no closing bracket: no tag"},
      {"", 1, "", "empty subject"},
      {"a", 1, "", "one character"},
      {" []", 1, "", "the tag runs to the end: nothing is left to skip"},
      {"\x81\x40[ml:1] x", 1, "x", "a double-byte first character is one character"},
      {"\x81[ml] x", 1, "ml] x", "'[' as a second byte is no tag (the pair is one character)"},
      {" [a\x81]b] x", 1, "x", "']' as a second byte does not close the tag"},
      {"\x82\xa0word", 1, "word", "a double-byte first character is skipped whole"},
      {" [ml]\x82\xa0rest", 1, "rest", "the character after ']' is skipped whole"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DisplaySubject(c.subject, c.ml_string_delete), c.expected) << c.reason;
  }
}

TEST(ThreadRowsTest, RowCarriesCaptionSenderAndUnreadImage) {
  const RowList list({0, 1}, {1});
  mailbox::FolderInfo folder;
  folder.TabInfo = 0;
  folder.MlStringDelete = 1;
  list.Rows()[1]->Subject = list.Rows()[1]->Keep(" [ml:2] hello");
  const RowText root = MakeRow(*list.Rows()[0], folder);
  EXPECT_EQ(root.Caption, "1");
  EXPECT_EQ(root.Sender, "from1");
  EXPECT_EQ(root.Image, kNoImage);
  const RowText reply = MakeRow(*list.Rows()[1], folder);
  EXPECT_EQ(reply.Caption, "    +hello");
  EXPECT_EQ(reply.Image, kUnreadImage);
}

TEST(ThreadRowsTest, FillListsNodesCountsUnreadAndWritesTheCacheWhenAsked) {
  enum Before { kNoFile, kOldCache, kDirectory };  // what stands where the cache goes
  struct Case {
    std::vector<int> depths, unread;
    bool write_cache;
    Before before;
    bool written, failed;
    const char* cache_after;  // nullptr: the list's cache text
    const char* why;
  };
  const Case cases[] = {
      {{0, 1, 2, 0}, {1, 3}, true, kOldCache, true, false, nullptr, "rows, unread count and cache"},
      {{0}, {}, false, kNoFile, false, false, "<missing>", "no cache asked for: no file"},
      {{}, {}, true, kOldCache, false, false, "old cache", "an empty list leaves the cache alone"},
      {{0, 1},
       {0},
       true,
       kDirectory,
       false,
       true,
       "<missing>",
       "a cache that cannot be written still gives the rows"},
  };
  for (const Case& c : cases) {
    TestFolder dir;
    if (c.before == kOldCache) dir.WriteFile(kCacheFileName, "old cache");
    if (c.before == kDirectory) {
      ASSERT_TRUE(platform::MakeDirectory(dir.FilePath(kCacheFileName)));
    }
    const RowList list(c.depths, c.unread);
    mailbox::FolderInfo folder;
    folder.Path = dir.Path();
    folder.Unread = 17;
    const FilledRows filled = FillThreadList(list.Head(), folder, c.write_cache);
    EXPECT_EQ(filled.Rows, list.Rows()) << c.why;
    EXPECT_EQ(folder.Unread, static_cast<int>(c.unread.size())) << c.why;
    EXPECT_EQ(filled.CacheWritten, c.written) << c.why;
    EXPECT_EQ(filled.CacheFailed, c.failed) << c.why;
    EXPECT_EQ(dir.ReadFile(kCacheFileName),
              c.cache_after != nullptr ? c.cache_after : ThreadCacheText(list.Head()))
        << c.why;
  }
}

TEST(ThreadRowsTest, FolderSettingsComeFromVltrFolWithDefaults) {
  TestFolder dir;
  mailbox::FolderInfo folder;
  folder.Kind = mailbox::kFolderMail;
  folder.Path = dir.Path();
  EXPECT_TRUE(ReadFolderSettings(folder, 1)) << "the default TabInfo 1 differs from 0";
  EXPECT_EQ(folder.TabInfo, 1);
  EXPECT_EQ(folder.MlStringDelete, 0);
  EXPECT_FALSE(ReadFolderSettings(folder, 1)) << "nothing changed";

  dir.WriteFile("VLTR.fol", "[Property]\r\nTabInfo=0\r\nMlStringDelete=1\r\n");
  EXPECT_TRUE(ReadFolderSettings(folder, 1));
  EXPECT_EQ(folder.TabInfo, 0);
  EXPECT_EQ(folder.MlStringDelete, 1);

  folder.Kind = mailbox::kFolderContainer;
  EXPECT_TRUE(ReadFolderSettings(folder, 1));
  EXPECT_EQ(folder.TabInfo, 0);
  EXPECT_EQ(folder.MlStringDelete, 0) << "a container reads no file";
}

TEST(ThreadRowsTest, UnreadWalkCountsRowsAndNeverWraps) {
  const RowList list({0, 1, 1, 0, 1, 2, 0}, {0, 3, 6});
  const UnreadDirection next = UnreadDirection::kNext;
  const UnreadDirection previous = UnreadDirection::kPrevious;
  struct Case {
    int from;
    UnreadDirection direction;
    int found;
    const char* reason;
  };
  const Case cases[] = {
      {3, next, 6, "the unread start row is not counted"},
      {4, next, 6, "from a read row"},
      {3, previous, 0, "backwards"},
      {6, next, -1, "no wrap at the end"},
      {0, previous, -1, "no wrap at the start"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindUnreadRow(list.Rows()[c.from], c.from, c.direction), c.found) << c.reason;
  }
}

TEST(ThreadRowsTest, StartRowFollowsMailIniPos) {
  // Five rows; unread at 1 and 3; first and last rows read.
  const RowList list({0, 1, 0, 1, 0}, {1, 3});
  struct Case {
    int selected_index;
    int mail_ini_pos;
    int row;
    int unread_row;
    const char* reason;
  };
  const Case cases[] = {
      {-1, 0, 0, -1, "first row"},
      {-1, 1, 4, -1, "last row"},
      {-1, 2, 0, 1, "first row, then the next unread"},
      {-1, 3, 4, 3, "last row, then the previous unread"},
      {2, 1, 2, -1, "a folder shown before keeps its row"},
      {9, 1, 4, -1, "past the last row: the last row"},
      {1, 2, 1, -1, "an unread start row stays"},
  };
  for (const Case& c : cases) {
    const StartSelection start = ChooseStartRow(list.Rows(), c.selected_index, c.mail_ini_pos);
    EXPECT_EQ(start.Row, c.row) << c.reason;
    EXPECT_EQ(start.UnreadRow, c.unread_row) << c.reason;
  }
}

TEST(ThreadRowsTest, StartRowWithoutUnreadOrRows) {
  const RowList read({0, 0, 0});
  EXPECT_EQ(ChooseStartRow(read.Rows(), -1, 3).UnreadRow, -1);
  EXPECT_EQ(ChooseStartRow(read.Rows(), -1, 3).Row, 2);
  EXPECT_EQ(ChooseStartRow({}, -1, 1).Row, -1);
}

}  // namespace
}  // namespace thread
