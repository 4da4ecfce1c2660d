// The index answering parsed queries (fields, phrases, dates, flags, folders, negation,
// OR, groups) against a brute-force scan of the same messages: every hit and no other,
// over a generated mailbox; and the flags kept current without reading a file again.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "mailbox/accounts.h"
#include "mailbox/folder_discovery.h"
#include "platform/files.h"
#include "search/fold.h"
#include "search/folder_scan.h"
#include "search/mail_index.h"
#include "search/message_text.h"
#include "search/tokens.h"
#include "tests/search_mailbox_support.h"
#include "tests/temp_dir_support.h"
#include "thread/index_record.h"
#include "thread/search_query.h"
#include "tools/mkmailbox/generator.h"

namespace search {
namespace {

using thread::QueryField;
using thread::QueryNode;

// One message as the brute-force scan sees it: each field folded, runs of blanks made
// one space (a phrase's blanks match any run of blanks).
struct Message {
  std::string folder_dir;
  std::string name;
  std::string folder_title;  // folded
  std::uint32_t stamp = 0;
  std::uint32_t flags = 0;
  std::string sender, recipients, subject, unquoted, quoted, names;
};

std::string Squeezed(const std::string& folded) {
  std::string out;
  bool blank = false;
  for (const char c : folded) {
    if (IsBlank(c)) {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

bool Holds(const std::string& field, const std::string& text) {
  return Squeezed(field).find(Squeezed(Fold(text))) != std::string::npos;
}

bool LeafHolds(const Message& m, const QueryNode& leaf) {
  switch (leaf.kind) {
    case QueryNode::Kind::kText: {
      const std::string& t = leaf.text;
      switch (leaf.field) {
        case QueryField::kAny:
          return Holds(m.sender, t) || Holds(m.subject, t) || Holds(m.unquoted, t) ||
                 Holds(m.quoted, t);
        case QueryField::kFrom:
          return Holds(m.sender, t);
        case QueryField::kTo:
          return Holds(m.recipients, t);
        case QueryField::kSubject:
          return Holds(m.subject, t);
        case QueryField::kBody:
          return Holds(m.unquoted, t) || Holds(m.quoted, t);
        case QueryField::kNotQuoted:
          return Holds(m.unquoted, t);
        case QueryField::kFile:
          return Holds(m.names, t);
      }
      return false;
    }
    case QueryNode::Kind::kDate:
      return (!leaf.from_stamp || m.stamp >= *leaf.from_stamp) &&
             (!leaf.before_stamp || m.stamp < *leaf.before_stamp);
    case QueryNode::Kind::kFlag:
      switch (leaf.flag) {
        case thread::QueryFlag::kUnread:
          return (m.flags & thread::kUnreadFlag) != 0;
        case thread::QueryFlag::kRead:
          return (m.flags & thread::kUnreadFlag) == 0;
        case thread::QueryFlag::kAttachment:
          return (m.flags & thread::kAttachmentFlag) != 0;
      }
      return false;
    case QueryNode::Kind::kFolder:
      return m.folder_title.find(Fold(leaf.text)) != std::string::npos;
    default:
      return false;
  }
}

// Every message of every mail folder, in the folders' order and the records' order (the
// generated mailbox gives no Message-ID twice in a folder).
std::vector<Message> ReadAll(const std::string& mailbox) {
  std::vector<Message> all;
  for (const mailbox::Account& account : mailbox::EnumerateAccounts(mailbox)) {
    auto table = std::make_unique<mailbox::FolderTable>();
    mailbox::DiscoverFolders(account.Directory, {}, *table);
    for (const mailbox::FolderInfo& folder : *table) {
      if (folder.Kind == mailbox::kFolderEmpty) break;
      if (folder.Kind != mailbox::kFolderMail) continue;
      for (const ListedMessage& listed :
           ListFolder(folder.Path, 0).value_or(std::vector<ListedMessage>())) {
        Message m;
        m.folder_dir = folder.Path;
        m.name = listed.name;
        m.folder_title = Fold(SjisToUtf8(folder.Title));
        m.stamp = listed.stamp;
        m.flags = listed.flags;
        const MessageFields f =
            ReadMessageFields(platform::JoinPath(folder.Path, listed.name + ".qnm"), listed.flags)
                .value_or(MessageFields());
        m.sender = Fold(SjisToUtf8(listed.sender) + "\n" + f.from);
        m.recipients = Fold(f.recipients);
        m.subject = Fold(SjisToUtf8(listed.subject));
        m.unquoted = Fold(f.unquoted);
        m.quoted = Fold(f.quoted);
        m.names = Fold(f.names);
        all.push_back(std::move(m));
      }
    }
  }
  return all;
}

// `chars` characters of `text` from a random character, blanks allowed (`phrase`) or
// not, never starting or ending with a blank; empty when none can be taken.
std::string Sample(const std::string& text, std::size_t chars, bool phrase, std::mt19937& random) {
  for (int attempt = 0; attempt < 20 && !text.empty(); ++attempt) {
    std::size_t pos = random() % text.size();
    while (pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) --pos;
    std::size_t end = pos;
    for (std::size_t i = 0; i < chars && end < text.size(); ++i) end += CharLength(text, end);
    const std::string piece = text.substr(pos, end - pos);
    if (piece.empty() || IsBlank(piece.front()) || IsBlank(piece.back())) continue;
    const bool blanks = std::any_of(piece.begin(), piece.end(), IsBlank);
    if (blanks != phrase) continue;
    return piece;
  }
  return {};
}

QueryNode Text(QueryField field, std::string text) {
  QueryNode node;
  node.kind = QueryNode::Kind::kText;
  node.field = field;
  node.phrase = std::any_of(text.begin(), text.end(), IsBlank);
  node.text = std::move(text);
  return node;
}
QueryNode Not(QueryNode node) {
  node.negated = !node.negated;
  return node;
}
QueryNode Group(QueryNode::Kind kind, std::vector<QueryNode> children) {
  QueryNode node;
  node.kind = kind;
  node.children = std::move(children);
  return node;
}
QueryNode Either(std::vector<QueryNode> children) {
  return Group(QueryNode::Kind::kEither, std::move(children));
}
QueryNode All(std::vector<QueryNode> children) {
  return Group(QueryNode::Kind::kAll, std::move(children));
}
QueryNode Date(std::optional<std::int64_t> from, std::optional<std::int64_t> before) {
  QueryNode node;
  node.kind = QueryNode::Kind::kDate;
  node.from_stamp = from;
  node.before_stamp = before;
  return node;
}
QueryNode Flag(thread::QueryFlag flag) {
  QueryNode node;
  node.kind = QueryNode::Kind::kFlag;
  node.flag = flag;
  return node;
}
QueryNode InFolder(std::string text) {
  QueryNode node;
  node.kind = QueryNode::Kind::kFolder;
  node.text = std::move(text);
  return node;
}

// Days start at UTC midnight on the tests' clock.
std::int64_t UtcDayStart(const thread::CivilDay& day) { return thread::DaysFromCivil(day) * 86400; }

thread::CivilDay UtcDayOf(std::int64_t stamp) { return thread::CivilFromDays(stamp / 86400); }

std::string DayText(const thread::CivilDay& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
  return text;
}

class SearchQueryIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mkmailbox::Options options;
    options.messages_per_folder = 25;
    std::string error;
    ASSERT_TRUE(mkmailbox::GenerateMailbox(options, dir_.path(), error)) << error;
    std::string open_error;
    index_ = MailIndex::OpenAt(mailbox_, dir_.Join("index.fts"), &open_error);
    ASSERT_NE(index_, nullptr) << open_error;
    ASSERT_TRUE(index_->UpdateAll(nullptr, nullptr)) << index_->Error();
    all_ = ReadAll(mailbox_);
    ASSERT_FALSE(all_.empty());
  }
  // A word (or a phrase) of the field `pick` of a random message.
  std::string From(std::string Message::*pick, std::size_t chars, bool phrase = false) {
    for (int attempt = 0; attempt < 50; ++attempt) {
      const std::string piece = Sample(all_[random_() % all_.size()].*pick, chars, phrase, random_);
      if (!piece.empty()) return piece;
    }
    return "zzqx";
  }
  std::int64_t SomeStamp() { return all_[random_() % all_.size()].stamp; }

  // The index's hits for `query` over the whole mailbox and its count, and each text
  // leaf's hits in one folder, against the brute-force scan.
  void ExpectAsScanned(const thread::ParsedQuery& query, const std::string& why) {
    std::vector<std::string> want;
    for (const Message& m : all_) {
      if (thread::Evaluate(query.root, [&](const QueryNode& leaf) { return LeafHolds(m, leaf); })) {
        want.push_back(RelativeFolder(mailbox_, m.folder_dir) + "\t" + m.name);
      }
    }
    const auto found = index_->Search(query, -1);
    ASSERT_TRUE(found.has_value()) << why << ": " << index_->Error();
    std::vector<std::string> got;
    for (const MailIndex::Hit& hit : *found) got.push_back(hit.folder + "\t" + hit.name);
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, want) << why;
    EXPECT_EQ(index_->Count(query), static_cast<std::int64_t>(want.size())) << why;

    const std::string& folder = all_[random_() % all_.size()].folder_dir;
    std::vector<const QueryNode*> leaves;
    thread::ForEachLeaf(query.root, [&](const QueryNode& leaf, bool) {
      if (leaf.kind == QueryNode::Kind::kText) leaves.push_back(&leaf);
    });
    const auto leaf_hits = index_->FolderLeafHits(folder, leaves, nullptr);
    ASSERT_TRUE(leaf_hits.has_value()) << why << ": " << index_->Error();
    ASSERT_EQ(leaf_hits->size(), leaves.size());
    for (std::size_t i = 0; i < leaves.size(); ++i) {
      std::vector<std::string> names;
      for (const Message& m : all_) {
        if (m.folder_dir == folder && LeafHolds(m, *leaves[i])) names.push_back(m.name);
      }
      std::sort(names.begin(), names.end());
      EXPECT_EQ((*leaf_hits)[i], names) << why << ": the folder's hits of leaf " << i;
    }
  }

  testing_support::TempDir dir_;
  std::string mailbox_ = platform::JoinPath(dir_.path(), "Mailbox");
  std::unique_ptr<MailIndex> index_;
  std::vector<Message> all_;
  std::mt19937 random_{11};
};

TEST_F(SearchQueryIndexTest, HitsAreWhatABruteForceScanOfTheFieldsGives) {
  using Make = std::function<QueryNode()>;
  using M = Message;
  using thread::QueryFlag;
  const QueryField kAny = QueryField::kAny;
  struct Case {
    Make make;
    const char* why;
  } const cases[] = {
      {[&] { return Text(kAny, From(&M::unquoted, 2)); }, "a bare word of the text"},
      {[&] { return Text(kAny, From(&M::sender, 3)); }, "a bare word of the sender"},
      {[&] { return Text(QueryField::kFrom, From(&M::sender, 2)); }, "from:"},
      {[&] { return Text(QueryField::kFrom, From(&M::unquoted, 2)); }, "from: a word of the text"},
      {[&] { return Text(QueryField::kTo, From(&M::recipients, 4)); }, "to:"},
      {[&] { return Text(QueryField::kSubject, From(&M::subject, 2)); }, "subject:"},
      {[&] { return Text(QueryField::kBody, From(&M::quoted, 3)); }, "body: a quoted word"},
      {[&] { return Text(QueryField::kNotQuoted, From(&M::quoted, 3)); }, "nq: a quoted word"},
      {[&] { return Text(QueryField::kFile, From(&M::names, 3)); }, "file:"},
      {[&] { return Text(kAny, From(&M::unquoted, 6, true)); }, "a phrase of the text"},
      {[&] { return Text(QueryField::kSubject, From(&M::subject, 5, true)); }, "a subject phrase"},
      {[&] { return Text(kAny, From(&M::quoted, 4, true)); }, "a phrase of quoted lines"},
      {[&] {
         const std::int64_t a = SomeStamp(), b = SomeStamp();
         return Date(std::min(a, b), std::max(a, b) + 1);
       },
       "a date range"},
      {[&] { return Date(SomeStamp(), std::nullopt); }, "on or after (an age)"},
      {[&] { return Date(std::nullopt, SomeStamp()); }, "before"},
      {[&] { return Flag(QueryFlag::kUnread); }, "is:unread"},
      {[&] { return Flag(QueryFlag::kRead); }, "is:read"},
      {[&] { return Flag(QueryFlag::kAttachment); }, "has:attachment"},
      {[&] { return InFolder(From(&M::folder_title, 2)); }, "folder:"},
      {[&] { return Not(Text(kAny, From(&M::unquoted, 1))); }, "a negation alone"},
      {[&] {
         return All({Not(Text(kAny, From(&M::unquoted, 1))), Text(kAny, From(&M::unquoted, 1))});
       },
       "a negation first, a word after"},
      {[&] {
         return All({Not(Flag(QueryFlag::kUnread)), Date(SomeStamp(), std::nullopt)});
       },
       "metadata only"},
      {[&] {
         return Either({Text(kAny, From(&M::subject, 2)), Text(kAny, From(&M::unquoted, 2))});
       },
       "OR"},
      {[&] {
         return All(
             {Either({Text(QueryField::kFrom, From(&M::sender, 2)), Flag(QueryFlag::kUnread)}),
              Text(kAny, From(&M::unquoted, 1))});
       },
       "a word beside an OR of a field and a flag"},
      {[&] {
         return All({Text(kAny, From(&M::unquoted, 1)),
                     Not(Either({Text(kAny, From(&M::unquoted, 1)),
                                 InFolder(From(&M::folder_title, 1))}))});
       },
       "a negated group"},
      {[&] {
         return All({Text(kAny, From(&M::unquoted, 2)),
                     Not(Text(QueryField::kSubject, From(&M::subject, 1))),
                     Date(std::nullopt, SomeStamp())});
       },
       "a word, a negated field and a date"},
      {[&] {
         return All(
             {All({Text(kAny, From(&M::unquoted, 1)), Not(Text(kAny, From(&M::unquoted, 1)))}),
              Either({Text(kAny, From(&M::unquoted, 1)),
                      Text(QueryField::kTo, From(&M::recipients, 2))})});
       },
       "a group with a negation beside an OR of fields"},
  };
  for (const Case& c : cases) {
    for (int round = 0; round < 8; ++round) {
      thread::ParsedQuery query;
      query.root = All({c.make()});
      ExpectAsScanned(query, std::string(c.why) + " (round " + std::to_string(round) + ")");
    }
  }
}

// The same through the parser on a fixed clock, whose today is the newest message's day:
// ages, days, months and ranges as typed, quotes, field names, keywords and groups.
TEST_F(SearchQueryIndexTest, ParsedQueriesOnAFixedClockAreWhatTheScanGives) {
  std::int64_t newest = 0;
  for (const Message& m : all_) newest = std::max<std::int64_t>(newest, m.stamp);
  const thread::QueryClock clock{UtcDayOf(newest), UtcDayStart};
  using M = Message;
  const std::function<std::string()> forms[] = {
      [&] { return "date:3d " + From(&M::unquoted, 1); },
      [&] { return "date:2w"; },
      [&] { return "date:1m -" + From(&M::unquoted, 1); },
      [&] { return "date:" + DayText(UtcDayOf(SomeStamp())); },
      [&] { return "date:" + DayText(UtcDayOf(SomeStamp())).substr(0, 7); },
      [&] {
        return "date:" + DayText(UtcDayOf(SomeStamp())).substr(0, 7) + ".." +
               DayText(UtcDayOf(newest)).substr(0, 7);
      },
      [&] { return "after:" + DayText(UtcDayOf(SomeStamp())) + " is:unread"; },
      [&] { return "before:" + DayText(UtcDayOf(SomeStamp())) + " has:attachment"; },
      // A text leads and a day bounds its ids on both sides.
      [&] { return From(&M::unquoted, 1) + " date:" + DayText(UtcDayOf(SomeStamp())); },
      [&] { return "\"" + From(&M::unquoted, 5, true) + "\""; },
      [&] { return "件名:" + From(&M::subject, 2) + " OR 差出人：" + From(&M::sender, 3); },
      [&] { return "-" + From(&M::unquoted, 1) + " (" + From(&M::quoted, 2) + " OR is:read)"; },
      [&] { return "-(" + From(&M::unquoted, 1) + " OR " + From(&M::subject, 1) + ") date:1y"; },
      [&] { return "to:" + From(&M::recipients, 3) + " -nq:" + From(&M::quoted, 2); },
      [&] { return "file:" + From(&M::names, 2) + " OR folder:" + From(&M::folder_title, 1); },
  };
  for (const auto& form : forms) {
    for (int round = 0; round < 6; ++round) {
      const std::string text = form();
      const thread::ParsedQuery query = thread::ParseQuery(text, clock);
      ASSERT_TRUE(query.Ok()) << text << ": " << query.error;
      ExpectAsScanned(query, text + " (" + thread::ExplainQuery(query) + ")");
    }
  }
}

// The mail client marks a message read: only its flag word changes in "Entry.lst". The
// next update moves it out of is:unread, and reads no file for it.
TEST(SearchFlagsTest, AFlagChangeIsKeptWithoutReadingTheFileAgain) {
  testing_support::TempDir dir;
  dir.WriteFile("Mailbox/Mailbox.ini", "");
  dir.WriteFile("Mailbox/Acc1/Account.ini", "[Property]\r\nTitle=a\r\n");
  std::vector<search_testing::MiniMessage> messages = {
      {"00000001", 1000, "taro", "Hello", "会議\r\n", "", thread::kUnreadFlag},
      {"00000002", 2000, "jiro", "Hi", "会議\r\n", "", thread::kUnreadFlag}};
  search_testing::WriteFolder(dir, "Mailbox/Acc1/Inbox.box", messages);
  std::string error;
  const std::string mailbox = dir.Join("Mailbox");
  auto index = MailIndex::OpenAt(mailbox, dir.Join("index.fts"), &error);
  ASSERT_NE(index, nullptr) << error;
  ASSERT_TRUE(index->UpdateAll(nullptr, nullptr)) << index->Error();
  thread::ParsedQuery unread;
  unread.root = All({Text(QueryField::kAny, "会議"), Flag(thread::QueryFlag::kUnread)});
  EXPECT_EQ(index->Count(unread), 2);

  messages[0].flags = 0;
  search_testing::WriteFolder(dir, "Mailbox/Acc1/Inbox.box", messages);
  ASSERT_TRUE(index->UpdateAll(nullptr, nullptr)) << index->Error();
  EXPECT_EQ(index->LastUpdate().added, 0u) << "no file read again";
  EXPECT_EQ(index->LastUpdate().removed, 0u);
  const auto hits = index->Search(unread, -1);
  ASSERT_TRUE(hits.has_value()) << index->Error();
  ASSERT_EQ(hits->size(), 1u);
  EXPECT_EQ(hits->front().name, "00000002");
  thread::ParsedQuery read;
  read.root = All({Flag(thread::QueryFlag::kRead)});
  EXPECT_EQ(index->Count(read), 1) << "metadata only";
}

}  // namespace
}  // namespace search
