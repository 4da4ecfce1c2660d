// The full-text index against a plain substring search: every hit and no other, over a
// generated mailbox of every body charset and over hand-made messages; kept current as
// messages come, go and change; a damaged or foreign index file set aside.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/utf8_path.h"
#include "search/fnv1a.h"
#include "search/fold.h"
#include "search/folder_scan.h"
#include "search/index_file.h"
#include "search/mail_index.h"
#include "search/message_text.h"
#include "search/tokens.h"
#include "tests/search_mailbox_support.h"
#include "tests/sqlite_faults_support.h"
#include "tests/temp_dir_support.h"
#include "tools/mkmailbox/generator.h"
#include "viewer/unicode_text.h"

namespace search {
namespace {

// One message as the slow search sees it: its sender (the record's and the From header),
// subject and text, folded.
struct Haystack {
  std::string folder;  // relative, "\" between components
  std::string name;
  std::uint32_t stamp = 0;
  std::string texts[3];
};

std::vector<Haystack> ReadMailbox(const std::string& mailbox,
                                  const std::vector<std::string>& folders) {
  std::vector<Haystack> all;
  for (const std::string& folder : folders) {
    std::string list;
    platform::ReadWholeFile(platform::JoinPath(mailbox, folder + "/Entry.lst"), list);
    for (const ListedMessage& m : ListMessages(list, 0, {})) {
      Haystack h;
      h.folder = folder;
      std::replace(h.folder.begin(), h.folder.end(), '/', '\\');
      h.name = m.name;
      h.stamp = m.stamp;
      const std::string path = platform::JoinPath(mailbox, folder + "/" + m.name + ".qnm");
      const MessageFields fields = ReadMessageFields(path, m.flags).value_or(MessageFields());
      h.texts[0] = Fold(SjisToUtf8(m.sender) + "\n" + fields.from);
      h.texts[1] = Fold(SjisToUtf8(m.subject));
      h.texts[2] = Fold(fields.unquoted + fields.quoted);
      all.push_back(std::move(h));
    }
  }
  return all;
}

bool SlowMatch(const Haystack& h, const std::vector<std::string>& words) {
  return std::all_of(words.begin(), words.end(), [&](const std::string& word) {
    return std::any_of(std::begin(h.texts), std::end(h.texts), [&](const std::string& text) {
      return text.find(word) != std::string::npos;
    });
  });
}

// A substring of `text` of `chars` characters from a random character, or empty when it
// would hold a blank.
std::string Sample(const std::string& text, std::size_t chars, std::mt19937& random) {
  if (text.empty()) return {};
  std::size_t pos = random() % text.size();
  while (pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) --pos;
  std::size_t end = pos;
  for (std::size_t i = 0; i < chars && end < text.size(); ++i) end += CharLength(text, end);
  const std::string word = text.substr(pos, end - pos);
  return std::any_of(word.begin(), word.end(), IsBlank) ? std::string() : word;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
  return text;
}

using search_testing::Words;

// The filter's question for words side by side: the names of the folder's messages
// where every word holds.
std::optional<std::vector<std::string>> FolderWordHits(
    MailIndex& index, const std::string& folder, const std::string& words,
    const std::function<bool()>& stop = nullptr) {
  const thread::ParsedQuery query = Words(words);
  std::vector<const thread::QueryNode*> leaves;
  for (const thread::QueryNode& leaf : query.root.children) leaves.push_back(&leaf);
  const auto hits = index.FolderLeafHits(folder, leaves, stop);
  if (!hits) return std::nullopt;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < hits->size(); ++i) {
    if (i == 0) {
      names = (*hits)[0];
      continue;
    }
    std::vector<std::string> both;
    std::set_intersection(names.begin(), names.end(), (*hits)[i].begin(), (*hits)[i].end(),
                          std::back_inserter(both));
    names = std::move(both);
  }
  return names;
}

class SearchIndexTest : public ::testing::Test {
 protected:
  std::unique_ptr<MailIndex> OpenIndex() {
    std::string error;
    auto index = MailIndex::OpenAt(mailbox_, index_path_, &error);
    EXPECT_NE(index, nullptr) << error;
    return index;
  }
  std::string Folder(const std::string& relative) const {
    return platform::JoinPath(mailbox_, relative);
  }

  testing_support::TempDir dir_;
  std::string mailbox_ = platform::JoinPath(dir_.path(), "Mailbox");
  std::string index_path_ = dir_.Join("index.fts");
};

// The generated mailbox holds every body charset, encoded words, multipart mail and
// quoted-printable and base64 bodies. Words of 1 to 5 characters are drawn from its
// texts (so most are hits somewhere), single words and pairs of words from two
// messages (AND across sender, subject and text), and the index must give exactly the
// messages the substring search gives, in each folder and over the whole mailbox.
TEST_F(SearchIndexTest, FindsExactlyWhatASubstringSearchFinds) {
  mkmailbox::Options options;
  options.messages_per_folder = 25;
  std::string error;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, dir_.path(), error)) << error;
  std::vector<std::string> folders;
  for (const char* account : {"Acc1", "Acc2"}) {
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(platform::JoinPath(mailbox_, account))) {
      if (entry.is_regular_file() && entry.path().filename() == "Entry.lst") {
        folders.push_back(std::filesystem::relative(entry.path().parent_path(), mailbox_).string());
      }
    }
  }
  ASSERT_FALSE(folders.empty());
  auto index = OpenIndex();
  ASSERT_TRUE(index->UpdateAll(nullptr, nullptr)) << index->Error();
  const std::vector<Haystack> all = ReadMailbox(mailbox_, folders);
  ASSERT_EQ(index->LastUpdate().messages, all.size());

  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    if (round == 150) {
      // The rest on a connection opened afresh, the log emptied at the last one's close:
      // the second reader of a search of every hit then has no snapshot to share.
      index.reset();
      index = OpenIndex();
    }
    std::vector<std::string> words;
    const int count = round % 3 == 0 ? 2 : 1;
    for (int w = 0; w < count; ++w) {
      const Haystack& h = all[random() % all.size()];
      const std::string word = Sample(h.texts[random() % 3], 1 + round % 5, random);
      if (!word.empty()) words.push_back(word);
    }
    if (words.empty()) continue;
    std::vector<MailIndex::Hit> expected;
    for (auto h = all.rbegin(); h != all.rend(); ++h) {
      if (SlowMatch(*h, words)) expected.push_back({h->folder, h->name});
    }
    const std::string query = Joined(words);
    const auto found = index->Search(Words(query), -1);
    ASSERT_TRUE(found.has_value()) << index->Error();
    auto key = [](const MailIndex::Hit& h) { return h.folder + "\t" + h.name; };
    std::vector<std::string> want, got;
    for (const auto& h : expected) want.push_back(key(h));
    for (const auto& h : *found) got.push_back(key(h));
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    ASSERT_EQ(got, want) << "query \"" << query << "\"";
    EXPECT_EQ(index->Count(Words(query)), static_cast<std::int64_t>(want.size())) << query;

    // The window's filter of one folder, any character as typed.
    const std::string& folder = folders[random() % folders.size()];
    std::string relative = folder;
    std::replace(relative.begin(), relative.end(), '/', '\\');
    std::vector<std::string> in_folder;
    for (const auto& h : expected) {
      if (h.folder == relative) in_folder.push_back(h.name);
    }
    std::sort(in_folder.begin(), in_folder.end());
    EXPECT_EQ(FolderWordHits(*index, Folder(folder), query), in_folder) << query;
  }
}

TEST(MessageFieldsTest, HoldTheAttachmentNamesAndTheForwardedMessages) {
  testing_support::TempDir dir;
  const std::string path = dir.WriteFile(
      "m.qnm",
      "Content-Type: multipart/mixed; boundary=B\n\n--B\n\nhello\n--B\nContent-Type: "
      "application/octet-stream; name=\"=?ISO-2022-JP?B?GyRCOCtAUT1xGyhCLnhsc3g=?=\"\n\nX\n"
      "--B\nContent-Type: message/rfc822\n\nSubject: fw\n\nforwarded words\n--B--\n");
  const MessageFields fields = ReadMessageFields(path, 0).value_or(MessageFields());
  EXPECT_NE(fields.unquoted.find("見積書.xlsx"), std::string::npos) << "its attachment line";
  EXPECT_EQ(fields.names, "見積書.xlsx\n");
  EXPECT_NE(fields.unquoted.find("forwarded words"), std::string::npos) << fields.unquoted;
}

using search_testing::MiniMessage;
using search_testing::WriteFolder;

class SearchUpdateTest : public SearchIndexTest {
 protected:
  void SetUp() override {
    dir_.WriteFile("Mailbox/Mailbox.ini", "");
    dir_.WriteFile("Mailbox/Acc1/Account.ini", "[Property]\r\nTitle=a\r\n");
    messages_ = {{"00000001", 1000, "taro", "Hello", "東京都の会議\r\n"},
                 {"00000002", 3000, "hanako", "Re: Hello", "鍵を忘れた 🍣\r\n"},
                 {"00000003", 2000, "jiro", "設定", "nothing here 안녕하세요\r\n"}};
    WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
    index_ = OpenIndex();
    ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
  }
  std::vector<std::string> Hits(const std::string& query) {
    std::vector<std::string> names;
    const auto hits = index_->Search(Words(query), -1);
    EXPECT_TRUE(hits.has_value()) << index_->Error();
    if (hits) {
      for (const auto& hit : *hits) names.push_back(hit.name);
    }
    return names;
  }
  std::string inbox_ = Folder("Acc1/Inbox.box");
  std::vector<MiniMessage> messages_;
  std::unique_ptr<MailIndex> index_;
};

TEST_F(SearchUpdateTest, ShortWordsAndWordsOfEveryColumnAreFoundNewestFirst) {
  struct Case {
    const char* query;
    std::vector<std::string> names;
    const char* why;
  } const cases[] = {
      {"鍵", {"00000002"}, "one kanji"},
      {"議", {"00000001"}, "one character at the end of a run"},
      {"京都", {"00000001"}, "two characters"},
      {"東京都の会議", {"00000001"}, "a phrase of pairs"},
      {"都会", {}, "characters of the text in another order are no hit"},
      {"o東", {}, "a word never reaches from the subject into the text"},
      {"🍣", {"00000002"}, "an emoji"},
      {"안녕", {"00000003"}, "Hangul"},
      {"HELLO", {"00000002", "00000001"}, "the subject, any case, newest first"},
      {"ＨＡＮＡＫＯ 鍵", {"00000002"}, "sender and text: every word, each anywhere"},
      {"hanako 東京", {}, "words of two different messages"},
      {"e", {"00000002", "00000003", "00000001"}, "one letter in every message, by stamp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hits(c.query), c.names) << c.why;
    std::vector<std::string> in_folder = c.names;
    std::sort(in_folder.begin(), in_folder.end());
    EXPECT_EQ(FolderWordHits(*index_, inbox_, c.query), in_folder) << c.why << ": the filter";
  }
  EXPECT_EQ(index_->Search(Words("e"), 2).value().size(), 2u) << "a limit";
}

// ASCII words are indexed by pairs from their starts, the last character alone when they
// are odd: the words that begin or end inside a pair or beside punctuation, each against
// the substring search over the same texts.
TEST_F(SearchUpdateTest, WordsEndingInsideOrBesideAsciiPairsAreExact) {
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box",
              {{"00000001", 1000, "-", "-", "sprintf(buf, \"%d\");\r\n"},
               {"00000002", 2000, "-", "-", "aaaa man-pages\r\n"},
               {"00000003", 3000, "-", "-", "会議ab wb会 版2\r\n"},
               {"00000004", 4000, "-", "-", "q\x01z man pages\r\n"}});
  ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
  const std::vector<Haystack> all = ReadMailbox(mailbox_, {"Acc1/Inbox.box"});
  struct Case {
    const char* query;
    std::vector<std::string> names;
    const char* why;
  } const cases[] = {
      {"printf", {"00000001"}, "inside a longer run"},
      {"f(b", {"00000001"}, "punctuation inside a run"},
      {"\"%d\");", {"00000001"}, "quotes and the run's last character"},
      {"aaa", {"00000002"}, "repeated letters"},
      {"aaaaa", {}, "one letter more than the text holds"},
      {"man-pages", {"00000002"}, "a hyphen"},
      {"man p", {"00000004", "00000002"}, "two words, each a run's start"},
      {"s-p", {}, "across a blank is no hit"},
      {"議a", {"00000003"}, "an ASCII letter after Japanese, the first of a pair"},
      {"議ax", {}, "and no letter after it"},
      {"w", {"00000003"}, "a letter alone: the first of a pair"},
      {"b会", {"00000003"}, "an ASCII letter before Japanese"},
      {"版2", {"00000003"}, "a digit after a kanji"},
      {"q", {"00000004"}, "a letter before a control character"},
      {"z", {"00000004"}, "a letter after a control character"},
      {"a", {"00000004", "00000003", "00000002"}, "a letter alone, in a pair or at a run's end"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hits(c.query), c.names) << c.why << ": " << c.query;
    std::vector<std::string> slow;
    for (auto h = all.rbegin(); h != all.rend(); ++h) {
      if (SlowMatch(*h, QueryWords(c.query))) slow.push_back(h->name);
    }
    EXPECT_EQ(slow, c.names) << "the substring search: " << c.query;
  }
}

// A phrase is its words with the breaks between them: the first word may end a longer
// run, the last begin one (a last word of one ASCII character is any pair it begins), a
// run of blanks matches any run, and the words must follow one another.
TEST_F(SearchUpdateTest, PhrasesAreTheirWordsInOrderAcrossAnyBlanks) {
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box",
              {{"00000001", 1000, "-", "-", "aaaa man-pages\r\n"},
               {"00000002", 2000, "-", "-", "会議ab wb会 版2\r\n"},
               {"00000003", 3000, "-", "-", "q\x01z man   pages\r\nman\r\nxyz\r\n"}});
  ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
  struct Case {
    const char* phrase;
    std::vector<std::string> names;
    const char* why;
  } const cases[] = {
      {"man p", {"00000003"}, "a last word of one letter begins a run"},
      {"an pa", {"00000003"}, "the first word ends a run, the last begins one"},
      {"aa man", {"00000001"}, "ASCII words"},
      {"議ab wb会", {"00000002"}, "Japanese and ASCII"},
      {"ab   w", {"00000002"}, "more blanks than the text holds"},
      {"pages man", {"00000003"}, "across a line end, a blank as any other"},
      {"xyz man", {}, "the words in another order"},
      {"z man", {"00000003"}, "after a control character"},
  };
  for (const Case& c : cases) {
    thread::ParsedQuery query;
    thread::QueryNode leaf;
    leaf.kind = thread::QueryNode::Kind::kText;
    leaf.text = c.phrase;
    leaf.phrase = true;
    query.root.children.push_back(leaf);
    std::vector<std::string> names;
    for (const auto& hit : index_->Search(query, -1).value_or(std::vector<MailIndex::Hit>{})) {
      names.push_back(hit.name);
    }
    EXPECT_EQ(names, c.names) << c.why << ": \"" << c.phrase << "\"";
  }
}

TEST_F(SearchUpdateTest, FollowsNewRemovedAndChangedMessages) {
  messages_.erase(messages_.begin());                                           // 1 left the folder
  messages_[0].body = "合鍵を作った\r\n";                                       // 2 rewritten
  messages_.push_back({"00000004", 4000, "saburo", "新着", "東京タワー\r\n"});  // 4 new
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  EXPECT_EQ(index_->Unindexed(inbox_), 2u) << "the changed and the new one";
  ASSERT_TRUE(index_->UpdateFolder(inbox_, nullptr)) << index_->Error();
  EXPECT_EQ(index_->Unindexed(inbox_), 0u);
  EXPECT_EQ(Hits("東京"), std::vector<std::string>{"00000004"}) << "new in, left out";
  EXPECT_EQ(Hits("合鍵"), std::vector<std::string>{"00000002"}) << "the new text";
  EXPECT_TRUE(Hits("🍣").empty()) << "the old text is gone";
  EXPECT_EQ(FolderWordHits(*index_, inbox_, "鍵"), std::vector<std::string>{"00000002"});
}

// Stamps that follow neither the names, nor the folders, nor the order the messages
// were indexed in (one folder indexed before the other, a message added later, a second
// of more messages than one second's ids held before): hits come by stamp, ties by the
// folder's place in those asked for, then by name, and a limit cuts that order.
TEST_F(SearchUpdateTest, HitsComeByStampThenFolderThenNameWhateverTheIndexingOrder) {
  const std::string other = Folder("Acc1/User001.box");
  std::vector<MiniMessage> inbox = {{"00000002", 700, "a", "tok", "x\r\n"},
                                    {"00000005", 900, "a", "tok", "x\r\n"},
                                    {"00000004", 100, "a", "tok", "x\r\n"}};
  std::vector<std::string> same_second;
  for (int i = 0; i < 20; ++i) {  // more than one second's ids held before
    char name[9];
    std::snprintf(name, sizeof name, "%08X", 0xA0 + i);
    inbox.push_back({name, 300, "a", "tok", "x\r\n"});
    same_second.push_back(name);
  }
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", inbox);
  ASSERT_TRUE(index_->UpdateFolder(inbox_, nullptr)) << index_->Error();
  std::vector<MiniMessage> user = {{"00000009", 700, "b", "tok", "x\r\n"},
                                   {"00000001", 500, "b", "tok", "x\r\n"},
                                   {"00000003", 700, "b", "tok", "x\r\n"}};
  WriteFolder(dir_, "Mailbox/Acc1/User001.box", user);
  ASSERT_TRUE(index_->UpdateFolder(other, nullptr)) << index_->Error();
  user.push_back({"00000000", 900, "b", "tok", "x\r\n"});
  WriteFolder(dir_, "Mailbox/Acc1/User001.box", user);
  ASSERT_TRUE(index_->UpdateFolder(other, nullptr)) << index_->Error();

  // The folder indexed first is asked for first: its ties come first though indexed first.
  std::vector<std::string> want = {"00000005", "00000000", "00000002",
                                   "00000003", "00000009", "00000001"};
  want.insert(want.end(), same_second.begin(), same_second.end());
  want.push_back("00000004");
  auto names = [&](std::int64_t limit) {
    std::vector<std::string> out;
    const auto hits = index_->Search(Words("tok"), {inbox_, other}, limit);
    EXPECT_TRUE(hits.has_value()) << index_->Error();
    for (const auto& hit : hits.value_or(std::vector<MailIndex::Hit>{})) out.push_back(hit.name);
    return out;
  };
  EXPECT_EQ(names(-1), want);
  for (const std::int64_t limit : {3, 4, 10}) {
    EXPECT_EQ(names(limit), std::vector<std::string>(want.begin(), want.begin() + limit))
        << "the first " << limit << ", cut within a second's hits";
  }
}

// Without a text to lead, the messages are read a stretch of ids at a time from the
// newest: a limit must still give the newest hits, whichever stretch they lie in, as the
// search of them all (one stretch) orders them. A message every other day for two years,
// one in three a hit, so that no stretch can be passed over unseen.
TEST_F(SearchUpdateTest, AQueryOfNegationsOnlyGivesTheNewestHitsAcrossStretches) {
  std::vector<MiniMessage> messages;
  for (int i = 0; i < 365; ++i) {
    char name[9];
    std::snprintf(name, sizeof name, "%08X", (i * 7919) % 365);  // names not in date order
    messages.push_back({name, 1600000000u + static_cast<std::uint32_t>(i) * 2 * 86400, "a", "s",
                        i % 3 == 0 ? "keep\r\n" : "skip\r\n"});
  }
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages);
  ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
  const thread::ParsedQuery query = thread::ParseQuery("-skip", thread::LocalQueryClock());
  const auto all = index_->Search(query, -1);
  ASSERT_TRUE(all.has_value()) << index_->Error();
  ASSERT_EQ(all->size(), 122u);
  EXPECT_EQ(all->front().name, messages[363].name) << "the newest hit first";
  for (const std::int64_t limit : {1, 50, 121, 500}) {
    const auto hits = index_->Search(query, limit);
    ASSERT_TRUE(hits.has_value()) << index_->Error();
    const std::size_t n = std::min<std::size_t>(all->size(), static_cast<std::size_t>(limit));
    ASSERT_EQ(hits->size(), n) << limit;
    for (std::size_t i = 0; i < n; ++i) EXPECT_EQ((*hits)[i].name, (*all)[i].name) << limit;
  }
}

// The thread list drops a message whose Message-ID (letter case ignored) an earlier
// record of its folder has: it is no hit, for the whole mailbox, its count or the
// folder's filter, until the one before it leaves.
TEST_F(SearchUpdateTest, AMessageTheThreadListDropsIsNoHit) {
  messages_ = {{"00000001", 1000, "a", "tok", "x\r\n", "same@example.jp"},
               {"00000002", 4000, "a", "tok", "x\r\n", "SAME@Example.JP"},
               {"00000003", 3000, "a", "tok", "x\r\n", "other@example.jp"},
               {"00000004", 2000, "a", "tok", "x\r\n"},
               {"00000005", 5000, "a", "tok", "x\r\n"}};
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  WriteFolder(dir_, "Mailbox/Acc1/User001.box",
              {{"00000009", 6000, "a", "tok", "x\r\n", "same@example.jp"}});
  ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
  EXPECT_EQ(Hits("tok"),
            (std::vector<std::string>{"00000009", "00000005", "00000003", "00000004", "00000001"}))
      << "the later of one identifier dropped; the same one in another folder kept;"
         " messages without one kept";
  EXPECT_EQ(index_->Count(Words("tok")), 5);
  EXPECT_EQ(FolderWordHits(*index_, inbox_, "tok"),
            (std::vector<std::string>{"00000001", "00000003", "00000004", "00000005"}));

  messages_.erase(messages_.begin());
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  ASSERT_TRUE(index_->UpdateFolder(inbox_, nullptr)) << index_->Error();
  EXPECT_EQ(Hits("tok"),
            (std::vector<std::string>{"00000009", "00000005", "00000002", "00000003", "00000004"}))
      << "the first record of the identifier now";
}

TEST_F(SearchUpdateTest, AStoppedUpdateResumesAndAStoppedSearchSaysSo) {
  messages_.push_back({"00000004", 4000, "saburo", "新着", "東京タワー\r\n"});
  messages_.push_back({"00000005", 5000, "shiro", "新着", "大阪\r\n"});
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  int asked = 0;
  EXPECT_FALSE(index_->UpdateAll([&] { return ++asked > 2; }, nullptr));
  EXPECT_EQ(index_->Unindexed(inbox_), 1u) << "the newest was added before the stop";
  EXPECT_EQ(Hits("大阪"), std::vector<std::string>{"00000005"});
  ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr));
  EXPECT_EQ(index_->Unindexed(inbox_), 0u);
  EXPECT_EQ(FolderWordHits(*index_, inbox_, "e", [] { return true; }), std::nullopt);
}

// A search brings the index up to date from the folders' stamps alone, on a connection
// of its own as the command line opens one: every change the mail client makes to a
// folder is seen all the same, and the count of messages held is right whether a folder
// was read again or not.
TEST_F(SearchUpdateTest, AnUpdateFromTheStampsAloneSeesEveryChange) {
  const std::string other = "Mailbox/Acc2/Inbox.box";
  struct Case {
    std::function<void()> change;
    const char* query;
    std::vector<std::string> names;
    std::size_t messages;
    const char* why;
  } const cases[] = {
      {[] {}, "e", {"00000002", "00000003", "00000001"}, 3, "nothing changed"},
      {[&] {
         messages_.push_back({"00000004", 4000, "saburo", "新着", "東京タワー\r\n"});
         WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
       },
       "東京",
       {"00000004", "00000001"},
       4,
       "a message added"},
      {[&] {
         messages_.erase(messages_.begin());
         WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
       },
       "東京",
       {"00000004"},
       3,
       "a message removed"},
      {[&] {
         messages_[1].subject = "Settings changed";  // of another length: a new stamp anyway
         WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
       },
       "changed",
       {"00000003"},
       3,
       "a message's record changed"},
      {[&] {
         dir_.WriteFile("Mailbox/Acc2/Account.ini", "[Property]\r\nTitle=b\r\n");
         WriteFolder(dir_, other, {{"0000000B", 5000, "shiro", "別", "東京駅\r\n"}});
       },
       "東京",
       {"0000000B", "00000004"},
       4,
       "a folder came"},
      {[&] { std::filesystem::remove_all(dir_.Join("Mailbox/Acc2")); },
       "東京",
       {"00000004"},
       3,
       "a folder went"},
      {[] {}, "東京", {"00000004"}, 3, "nothing changed since"},
  };
  for (const Case& c : cases) {
    c.change();
    index_ = OpenIndex();
    index_->CheckEveryFile(false);
    ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << c.why << ": " << index_->Error();
    EXPECT_EQ(Hits(c.query), c.names) << c.why;
    EXPECT_EQ(index_->LastUpdate().messages, c.messages) << c.why;
  }
}

// An index of the layout before holds neither the messages' identifiers nor ids that
// keep to the stamps: it is set aside and built anew.
TEST_F(SearchUpdateTest, AnIndexOfTheLayoutBeforeIsSetAsideAndBuiltAnew) {
  index_.reset();
  {
    Database before;
    ASSERT_TRUE(before.Open(index_path_, false));
    ASSERT_EQ(before.Exec("PRAGMA user_version=6"), SQLITE_OK);
  }
  index_ = OpenIndex();
  ASSERT_NE(index_, nullptr);
  EXPECT_TRUE(platform::FileExists(index_path_ + kSetAsideSuffix));
  EXPECT_TRUE(Hits("鍵").empty()) << "a new, empty index";
  index_->CheckEveryFile(false);
  ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
  EXPECT_EQ(index_->LastUpdate().added, 3u);
  EXPECT_EQ(Hits("鍵"), std::vector<std::string>{"00000002"});
}

TEST_F(SearchUpdateTest, DamagedOrForeignFileIsSetAsideAndRebuilt) {
  const std::string path = index_path_;
  struct Case {
    std::string bytes;
    const char* why;
  } const cases[] = {
      {std::string(8192, 'x'), "not a database"},
      {"SQLite format 3" + std::string(1, '\0') + std::string(4000, '\xff'), "a broken header"},
  };
  for (const Case& c : cases) {
    index_.reset();
    platform::RemoveFile(path + "-wal");
    platform::RemoveFile(path + "-shm");
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, c.bytes));
    index_ = OpenIndex();
    ASSERT_NE(index_, nullptr) << c.why;
    EXPECT_TRUE(platform::FileExists(path + kSetAsideSuffix)) << c.why;
    EXPECT_TRUE(Hits("鍵").empty()) << c.why << ": a new, empty index";
    ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << c.why;
    EXPECT_EQ(Hits("鍵"), std::vector<std::string>{"00000002"}) << c.why;
  }
  // A SQLite file of someone else's.
  index_.reset();
  {
    Database other;
    ASSERT_TRUE(other.Open(path, false));
    other.Exec("PRAGMA application_id=1");
  }
  index_ = OpenIndex();
  ASSERT_NE(index_, nullptr);
  EXPECT_TRUE(Hits("鍵").empty()) << "a foreign file is not read";
}

// Damage found while the file is open (other connections and statements may hold it,
// and Windows renames no open file) is only marked; the next open sets the file aside
// before anything reads it, and the index is built anew.
TEST_F(SearchUpdateTest, DamageFoundWhileOpenIsSetAsideAtTheNextOpen) {
  messages_.push_back({"00000004", 4000, "saburo", "新着", "大阪\r\n"});
  WriteFolder(dir_, "Mailbox/Acc1/Inbox.box", messages_);
  index_.reset();
  {
    search_testing::FaultyFiles files;  // its connections close before it goes
    const std::unique_ptr<MailIndex> keeper = OpenIndex();
    const std::unique_ptr<MailIndex> searcher = OpenIndex();
    files.FailWrites(SQLITE_CORRUPT);
    EXPECT_FALSE(keeper->UpdateAll(nullptr, nullptr));
    files.FailWrites(SQLITE_OK);
    EXPECT_TRUE(keeper->Damaged()) << keeper->Error();
    EXPECT_TRUE(platform::FileExists(index_path_ + kDamagedSuffix));
    EXPECT_TRUE(platform::FileExists(index_path_)) << "nothing renamed while open";
    EXPECT_FALSE(platform::FileExists(index_path_ + kSetAsideSuffix));
#ifdef _WIN32
    std::string error;
    EXPECT_EQ(MailIndex::OpenAt(mailbox_, index_path_, &error), nullptr)
        << "set aside only once no connection has it";
    EXPECT_TRUE(platform::FileExists(index_path_ + kDamagedSuffix));
#endif
  }
  index_ = OpenIndex();
  ASSERT_NE(index_, nullptr);
  EXPECT_TRUE(platform::FileExists(index_path_ + kSetAsideSuffix));
  EXPECT_FALSE(platform::FileExists(index_path_ + kDamagedSuffix));
  EXPECT_TRUE(Hits("鍵").empty()) << "a new, empty index";
  ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
  EXPECT_EQ(Hits("大阪"), std::vector<std::string>{"00000004"});
}

TEST(IndexPathTest, OneFilePerMailboxNamedAsBefore) {
  EXPECT_NE(IndexPath("C:\\Mail\\Mailbox", "D:\\App"), IndexPath("C:\\Mail\\Mailbox2", "D:\\App"))
      << "two mailboxes never share an index";
  EXPECT_EQ(IndexPath("C:\\Mail\\Mailbox", "D:\\App"), IndexPath("c:\\mail\\MAILBOX", "D:\\App"))
      << "letter case does not make another mailbox";
  EXPECT_EQ(IndexPath("C:\\Mail\\Mailbox", "D:\\App"),
            std::string("D:\\App") + platform::kUtf8PathDelimiter + "VLTR-31559ced0746cbc3.fts")
      << "the name the index of this mailbox already has (FNV-1a of the path in lower case)";
  EXPECT_EQ(IndexPath("C:\\Mail\\Mailbox", ""), "") << "no folder, no index";
}

// The values are kept on disk: a changed hash would build every index anew.
TEST(Fnv1aTest, GivesThePublishedValuesAndTakesAWordInOneStep) {
  const struct {
    std::string_view bytes;
    std::uint64_t value;
  } cases[] = {
      {"", 0xcbf29ce484222325ull},        // the offset basis alone
      {"a", 0xaf63dc4c8601ec8cull},       // one byte
      {"foobar", 0x85944171f73967e8ull},  // the published test vector
  };
  for (const auto& c : cases) EXPECT_EQ(Fnv1aOf(c.bytes), c.value) << c.bytes;
  Fnv1a stamps;  // four stamps of a folder never seen
  for (int i = 0; i < 4; ++i) stamps.Word(1);
  EXPECT_EQ(stamps.Value(), 0xb5d0e0774c7d7499ull) << "a word is one step, not eight bytes";
}

}  // namespace
}  // namespace search
