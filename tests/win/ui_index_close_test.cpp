// The window never waits on the full-text index: closing it, or choosing another
// mailbox, while the index's first pass wants to write and another program holds the
// index's write lock (the pass would wait seconds for it).

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <string>

#include "search/mail_index.h"
#include "tests/win/ui_support.h"
#include "tools/mkmailbox/generator.h"
#include "ui/ja_texts.h"

namespace uitest {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWithin = std::chrono::seconds(1);

class IndexClose : public ::testing::Test {
 protected:
  void TearDown() override {
    if (other_ != nullptr) {
      sqlite3_exec(other_, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(other_);
    }
  }
  // The index as a run before left it, less a few messages for the pass to add again,
  // with its write lock held by another program; then the window, until its status
  // bar says the pass runs.
  void StartWithTheIndexHeld() {
    std::string error;
    std::unique_ptr<search::MailIndex> index =
        search::MailIndex::Open(fixture.MailboxDir(), &error);
    ASSERT_NE(index, nullptr) << error;
    ASSERT_TRUE(index->UpdateAll(nullptr, nullptr)) << index->Error();
    const std::string path = index->Path();
    index.reset();
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &other_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other_,
                           "DELETE FROM messages WHERE id IN"
                           " (SELECT id FROM messages WHERE folder != 0 LIMIT 5);"
                           " BEGIN IMMEDIATE",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    fixture.FullTextIndex = true;
    fixture.Start();
    ASSERT_TRUE(PumpUntil(
        [&] { return fixture.StatusText().find(ui::ja::kIndexing) != std::string::npos; }, 10000));
  }

  UiFixture fixture;
  sqlite3* other_ = nullptr;
};

TEST_F(IndexClose, ClosingTheWindowTakesUnderASecond) {
  StartWithTheIndexHeld();
  HWND window = fixture.Main().hwnd();
  const auto start = Clock::now();
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_LE(Clock::now() - start, kWithin);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(IndexClose, ChoosingAnotherMailboxTakesUnderASecond) {
  mkmailbox::Options options;
  options.seed = 9;
  options.messages_per_folder = 5;
  std::string error;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, fixture.Dir().Join("other"), error)) << error;
  const std::string other_mailbox = fixture.Dir().Join("other/Mailbox");
  fixture.BrowseForMailbox = [&](const std::string&) { return other_mailbox; };
  StartWithTheIndexHeld();
  const auto start = Clock::now();
  fixture.Command("mMailbox");
  EXPECT_LE(Clock::now() - start, kWithin);
  EXPECT_EQ(fixture.Main().Account().MailboxDir, other_mailbox);
}

}  // namespace
}  // namespace uitest
