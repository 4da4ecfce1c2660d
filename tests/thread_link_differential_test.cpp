// ThreadLinker against the literal list-order scan on generated folders: both
// must give the same list (order, Depth, kept identifiers) and drop the same
// duplicates. VELTRANO_DIFF_CASES sets the number of small folders (default
// 3000); the seed is fixed so a failure names a reproducible case.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/literal_linker_support.h"
#include "thread/thread_linker.h"
#include "thread/thread_node.h"

namespace thread {
namespace {

using testing::CloneMessage;
using testing::LiteralLink;
using testing::MakeNode;
using testing::TestMessage;

std::size_t CaseCount() {
  const char* text = std::getenv("VELTRANO_DIFF_CASES");
  if (text == nullptr) return 3000;
  return static_cast<std::size_t>(std::strtoull(text, nullptr, 10));
}

// Everything that tells two lists apart: order, Depth and the identifiers
// (which the subject retry must put back).
bool SameMessageAndPlace(const ThreadNode& a, const ThreadNode& b) {
  return a.Name == b.Name && a.Depth == b.Depth && a.MessageId == b.MessageId && a.InReplyTo == b.InReplyTo &&
         a.LastReference == b.LastReference;
}

std::string Describe(const ThreadNode* head) {
  std::string text;
  for (const ThreadNode* n = head; n != nullptr; n = n->Next) {
    text += n->Name.data();
    text += ':' + std::to_string(n->Depth) + '[' + n->MessageId.str() + '|' + n->InReplyTo.str() +
            '|' + n->LastReference.str() + "] ";
  }
  return text;
}

class FolderGenerator {
 public:
  explicit FolderGenerator(std::uint64_t seed) : rng_(seed) {}

  LinkOptions Options() { return {Chance(50), Chance(50)}; }

  // `count` messages over a pool of identifiers a little larger than the
  // folder, so that parents may be missing, arrive late or twice.
  std::vector<TestMessage> Messages(std::size_t count) {
    const std::size_t pool = count + Pick(6);
    std::vector<TestMessage> messages;
    for (std::size_t i = 0; i < count; ++i) {
      TestMessage message;
      message.Name = std::to_string(i);
      message.Name.insert(0, 8 - std::min<std::size_t>(8, message.Name.size()), '0');
      if (!Chance(12)) message.MessageId = Identifier(Chance(85) ? i : Pick(pool));
      if (Chance(50)) message.InReplyTo = Identifier(Pick(pool));
      if (Chance(30)) message.LastReference = Identifier(Pick(pool));
      message.Subject = Subject();
      message.MlFlag = Chance(30);
      messages.push_back(message);
    }
    return messages;
  }

  // A list as a cache would hold it: valid Depths, distinct identifiers.
  std::vector<std::pair<TestMessage, int>> CachedList(std::size_t count) {
    std::vector<std::pair<TestMessage, int>> list;
    int depth = 0;
    for (TestMessage& message : Messages(count)) {
      if (!message.MessageId.empty()) message.MessageId = "cached" + message.Name + "@h";
      list.emplace_back(message, depth);
      depth = static_cast<int>(Pick(static_cast<std::size_t>(depth) + 2));
    }
    return list;
  }

  std::size_t Pick(std::size_t bound) { return static_cast<std::size_t>(rng_() % bound); }
  bool Chance(int percent) { return static_cast<int>(rng_() % 100) < percent; }

 private:
  // "id<k>@host" with the letter case of some characters changed.
  std::string Identifier(std::size_t k) {
    std::string id = "id" + std::to_string(k) + "@host";
    if (Chance(25)) {
      for (char& c : id) {
        if (c >= 'a' && c <= 'z' && Chance(50)) c = static_cast<char>(c - 32);
      }
    }
    return id;
  }

  std::string Subject() {
    static const char* const kPrefixes[] = {
        "", "", "", "Re: ", "RE: ", "re: ", "Re:Re: ", "Fwd: ",
        "\x83R" "e: ",   // "R" as the second byte of a double-byte character
        "[ml:0012] Re: ", " ",
    };
    static const char* const kBodies[] = {
        "Word", " Word", "[ml:0001] Word", " [ml:0002] Word", " [ml:0003]Word", "ord", "W", "",
        "\x93\xfa\x96\x7b",          // 日本
        " \x93\xfa\x96\x7b",
        "\x93\xfa[ml:4] \x96\x7b",   // double-byte first character, then a tag
        "\x81\x5b[x] y",             // ー: '[' as a second byte
        " [a\x83\x5d b] Word",       // ゾ: ']' as a second byte inside the tag
        "Word Word", "ord Wo", " [ml:0001]",
    };
    std::string subject = kPrefixes[Pick(std::size(kPrefixes))];
    subject += kBodies[Pick(std::size(kBodies))];
    if (Chance(10)) subject += "Re:";
    return subject;
  }

  std::mt19937_64 rng_;
};

// Links the same messages into two lists, one per linker, checking that
// every step agrees; optionally starts from a cached list and removes nodes
// along the way as the cache's consistency pass does.
class DifferentialRun {
 public:
  explicit DifferentialRun(LinkOptions options) : options_(options), linker_(options) {}
  ~DifferentialRun() {
    FreeThreadList(literal_head_);
    FreeThreadList(fast_head_);
  }

  void StartFrom(const std::vector<std::pair<TestMessage, int>>& cached) {
    ThreadNode* literal_last = nullptr;
    for (const auto& [message, depth] : cached) {
      ThreadNode* literal = MakeNode(message);
      literal->Depth = depth;
      ThreadNode* fast = CloneMessage(*literal);
      fast->Depth = depth;
      if (literal_last == nullptr) {
        literal_head_ = literal;
        fast_head_ = fast;
      } else {
        AppendNode(literal_last, literal);
        AppendNode(fast_last_, fast);
      }
      literal_last = literal;
      fast_last_ = fast;
      linker_.AddExisting(fast);
    }
  }

  ::testing::AssertionResult Link(const TestMessage& message) {
    const bool literal_kept = LiteralLink(literal_head_, MakeNode(message), options_);
    const bool fast_kept = linker_.Link(fast_head_, MakeNode(message));
    if (literal_kept != fast_kept) {
      return ::testing::AssertionFailure() << message.Name << " kept: literal " << literal_kept << " fast " << fast_kept;
    }
    return ::testing::AssertionSuccess();
  }

  // Removes the node at `position` from both lists.
  ::testing::AssertionResult Remove(std::size_t position) {
    ThreadNode* literal = literal_head_;
    ThreadNode* fast = fast_head_;
    for (std::size_t i = 0; i < position && literal != nullptr; ++i) {
      literal = literal->Next;
      fast = fast->Next;
    }
    if (literal == nullptr) return ::testing::AssertionSuccess();
    RemoveNodeKeepingReplies(literal_head_, literal);
    linker_.RemoveNodeKeepingReplies(fast_head_, fast);
    return Compare();
  }

  // Same lists, and the linker's list keeps the invariants.
  ::testing::AssertionResult Compare() const {
    const ThreadNode* literal = literal_head_;
    const ThreadNode* fast = fast_head_;
    while (literal != nullptr && fast != nullptr && SameMessageAndPlace(*literal, *fast)) {
      literal = literal->Next;
      fast = fast->Next;
    }
    if (literal != nullptr || fast != nullptr) {
      return ::testing::AssertionFailure() << "\nliteral: " << Describe(literal_head_)
                                           << "\nfast:    " << Describe(fast_head_);
    }
    std::string why;
    if (!CheckThreadListIntegrity(fast_head_, &why)) {
      return ::testing::AssertionFailure() << why << "\n" << Describe(fast_head_);
    }
    return ::testing::AssertionSuccess();
  }

  std::size_t Size() const {
    std::size_t size = 0;
    for (const ThreadNode* n = fast_head_; n != nullptr; n = n->Next) ++size;
    return size;
  }

 private:
  LinkOptions options_;
  ThreadLinker linker_;
  ThreadNode* literal_head_ = nullptr;
  ThreadNode* fast_head_ = nullptr;
  ThreadNode* fast_last_ = nullptr;
};

std::string CaseName(std::uint64_t seed, const LinkOptions& options) {
  return "seed " + std::to_string(seed) + " References " + std::to_string(options.References) + " Subject " +
         std::to_string(options.Subject);
}

TEST(LinkDifferentialTest, SmallFoldersLinkAsTheListOrderScanDoes) {
  const std::size_t cases = CaseCount();
  for (std::uint64_t seed = 1; seed <= cases; ++seed) {
    FolderGenerator gen(seed);
    const LinkOptions options = gen.Options();
    DifferentialRun run(options);
    for (const TestMessage& message : gen.Messages(1 + gen.Pick(40))) {
      ASSERT_TRUE(run.Link(message)) << CaseName(seed, options);
    }
    ASSERT_TRUE(run.Compare()) << CaseName(seed, options);
  }
}

TEST(LinkDifferentialTest, CachedListsWithRemovalsLinkAsTheListOrderScanDoes) {
  const std::size_t cases = CaseCount() / 3;
  for (std::uint64_t seed = 1; seed <= cases; ++seed) {
    FolderGenerator gen(seed * 7919);
    const LinkOptions options = gen.Options();
    DifferentialRun run(options);
    run.StartFrom(gen.CachedList(1 + gen.Pick(20)));
    ASSERT_TRUE(run.Compare()) << CaseName(seed, options);
    for (const TestMessage& message : gen.Messages(1 + gen.Pick(30))) {
      if (gen.Chance(20)) {
        ASSERT_TRUE(run.Remove(gen.Pick(run.Size() + 1))) << CaseName(seed, options);
      }
      ASSERT_TRUE(run.Link(message)) << CaseName(seed, options);
    }
    ASSERT_TRUE(run.Compare()) << CaseName(seed, options);
  }
}

TEST(LinkDifferentialTest, LargeFoldersLinkAsTheListOrderScanDoes) {
  // Enough messages to crowd the order labels and fill the subject index.
  for (std::uint64_t seed = 1; seed <= 4; ++seed) {
    FolderGenerator gen(seed * 104729);
    const LinkOptions options = {seed % 2 == 0, seed % 3 != 0};
    DifferentialRun run(options);
    for (const TestMessage& message : gen.Messages(1000)) {
      ASSERT_TRUE(run.Link(message)) << CaseName(seed, options);
    }
    ASSERT_TRUE(run.Compare()) << CaseName(seed, options);
  }
}

}  // namespace
}  // namespace thread
