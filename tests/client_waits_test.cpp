// The order of steps and the bounded waits around the mail client: the DDE command's
// wait for the message file, and composing's wait for the client's dialog. Both run
// against scripted fakes on a virtual clock, so the bounds are checked without waiting.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "client/client_commands.h"
#include "client/compose.h"
#include "client/host_command.h"
#include "tests/temp_dir_support.h"

namespace client {
namespace {

constexpr std::int64_t kNever = 1'000'000'000;

// A client that answers at scripted times: an awaited execute is answered at
// `answered_at`, the file is locked until `unlocked_at`, and gone from
// `gone_at` on.
class ScriptedChannel final : public HostChannel {
 public:
  bool connects = true;
  std::int64_t answered_at = 0;
  std::int64_t unlocked_at = 0;
  std::int64_t gone_at = kNever;
  std::vector<std::string> sent;
  std::vector<int> answer_waits;
  int closes = 0;
  std::int64_t now = 0;

  std::vector<int> pauses;
  ExecuteResult OpenAndExecute(const std::string& command, bool reuse,
                               int answer_wait_ms) override {
    if (!reuse) ++fresh_opens;
    if (!connects) return ExecuteResult::kNotSent;
    sent.push_back(command);
    answer_waits.push_back(answer_wait_ms);
    if (answer_wait_ms == 0) return ExecuteResult::kSent;
    if (answered_at > now + answer_wait_ms) {
      now += answer_wait_ms;
      return ExecuteResult::kUnanswered;
    }
    now = std::max(now, answered_at);
    return ExecuteResult::kAnswered;
  }
  void Close() override { ++closes; }
  int fresh_opens = 0;
  void Pause(int ms) override {
    pauses.push_back(ms);
    now += ms;
  }
  std::int64_t NowMs() override { return now; }
  bool FileExists(const std::string&) override { return now < gone_at; }
  bool CanOpenForReading(const std::string&) override {
    return now < gone_at && now >= unlocked_at;
  }
};

TEST(SendHostCommand, EndsWhenTheFileIsReleasedGoneOrTheWaitRunsOut) {
  struct Case {
    bool connects;
    std::int64_t unlocked_at, gone_at;
    HostCommandResult result;
    std::int64_t max_elapsed;
    const char* why;
  };
  const Case cases[] = {
      {false, 0, kNever, HostCommandResult::kNotSent, 0, "no conversation: nothing sent, no wait"},
      {true, 0, kNever, HostCommandResult::kReleased, 30, "free at once: one pause of each wait"},
      {true, 300, kNever, HostCommandResult::kReleased, 330, "released while waiting"},
      {true, kNever, 100, HostCommandResult::kFileGone, 100, "moved away: the wait ends at once"},
      {true, 0, 25, HostCommandResult::kFileGone, 30, "gone between the two waits"},
      {true, kNever, kNever, HostCommandResult::kTimedOut, kFileWaitLimitMs + kFirstWaitPauseMs,
       "locked for ever: the first wait gives up"},
      {true, 4990, kNever, HostCommandResult::kReleased, 5010, "released just before the limit"},
  };
  for (const Case& c : cases) {
    ScriptedChannel channel;
    channel.connects = c.connects;
    channel.unlocked_at = c.unlocked_at;
    channel.gone_at = c.gone_at;
    EXPECT_EQ(SendHostCommand(channel, "MarkMail(x,1073741824,0)", "x.qnm"), c.result) << c.why;
    EXPECT_LE(channel.now, c.max_elapsed) << c.why;
    EXPECT_EQ(channel.sent.size(), c.connects ? 1u : 0u) << c.why;
    EXPECT_EQ(channel.closes, c.connects ? 1 : 0) << "the conversation is closed: " << c.why;
  }
}

// A single command is not awaited and keeps its own conversation and its
// full pauses. A batch's command is awaited, then one look at the file ends
// it with the conversation left open; only a file still held gets the waits,
// whose pauses start short and grow to the single command's, under the same
// bound, which the wait for the answer counts toward.
TEST(SendHostCommand, ABatchAwaitsTheAnswerAndLooksAtTheFileOnce) {
  constexpr auto kSingle = HostCommandPace::kSingle;
  constexpr auto kBatch = HostCommandPace::kBatch;
  constexpr std::int64_t kLimit = kFileWaitLimitMs;
  struct Case {
    HostCommandPace pace;
    std::int64_t answered_at, unlocked_at, gone_at;
    HostCommandResult result;
    std::vector<int> pauses;  // empty with a longest pause: only that and the bound are checked
    int longest_pause;
    std::int64_t max_elapsed;
    int closes;
    const char* why;
  };
  // clang-format off
  const Case cases[] = {
      {kSingle, kNever, 0, kNever, HostCommandResult::kReleased, {20, 10}, 20, 30, 1,
       "single: not awaited, the full pauses, its own conversation"},
      {kSingle, kNever, 50, kNever, HostCommandResult::kReleased, {20, 20, 20, 10}, 20, 70, 1,
       "single: released while waiting, pauses unchanged"},
      {kBatch, 0, 0, kNever, HostCommandResult::kReleased, {}, 0, 0, 0,
       "batch: answered, the file free: no pause, the conversation stays for the next mark"},
      {kBatch, 300, 0, kNever, HostCommandResult::kReleased, {}, 0, 300, 0,
       "batch: a busy client's answer is awaited"},
      {kBatch, 0, 10, kNever, HostCommandResult::kReleased, {1, 2, 3, 4, 1}, 4, 11, 0,
       "batch: a file still held after the answer: the pauses grow while the client works"},
      {kBatch, 0, 400, kNever, HostCommandResult::kReleased, {}, 20, 421, 0,
       "batch: the pauses stop growing at the single command's"},
      {kBatch, 3000, kNever, kNever, HostCommandResult::kTimedOut, {}, 20,
       kLimit + kFirstWaitPauseMs, 1,
       "batch: answered late, locked for ever: the answer's wait counts toward the bound"},
      {kBatch, kNever, 0, kNever, HostCommandResult::kTimedOut, {}, 0, kLimit, 1,
       "batch: never answered: no file wait, the conversation closed"},
      {kBatch, 0, kNever, 5, HostCommandResult::kFileGone, {1, 2, 3}, 3, 6, 1,
       "batch: a gone file ends the wait at once"},
  };
  // clang-format on
  for (const Case& c : cases) {
    ScriptedChannel channel;
    channel.answered_at = c.answered_at;
    channel.unlocked_at = c.unlocked_at;
    channel.gone_at = c.gone_at;
    EXPECT_EQ(SendHostCommand(channel, "MarkMail(x,1073741824,0)", "x.qnm", c.pace), c.result)
        << c.why;
    if (!c.pauses.empty() || c.longest_pause == 0) {
      EXPECT_EQ(channel.pauses, c.pauses) << c.why;
    }
    if (c.longest_pause > 0) {
      ASSERT_FALSE(channel.pauses.empty()) << c.why;
      EXPECT_EQ(*std::max_element(channel.pauses.begin(), channel.pauses.end()), c.longest_pause)
          << c.why;
    }
    EXPECT_LE(channel.now, c.max_elapsed) << c.why;
    EXPECT_EQ(channel.closes, c.closes) << c.why;
    EXPECT_EQ(channel.fresh_opens, c.pace == kSingle ? 1 : 0) << c.why;
    const int awaited = c.pace == kSingle ? 0 : kFileWaitLimitMs;
    EXPECT_EQ(channel.answer_waits, std::vector<int>{awaited}) << c.why;
  }
}

// Records launches; the dialog appears after `shows_after` polls (never when < 0),
// and the program starts closing during pause `closes_at` (never when < 0).
class RecordingSystem final : public ClientSystem {
 public:
  int shows_after = -1;
  int closes_at = -1;
  bool launch_fails = false;
  std::vector<std::string> launches;
  std::vector<std::string> raised;
  int pauses = 0;

  bool Launch(const std::string& exe, const std::string& parameters) override {
    launches.push_back(exe + "|" + parameters);
    return !launch_fails;
  }
  bool RaiseWindowTitled(std::string_view title) override {
    if (shows_after < 0 || pauses < shows_after) return false;
    raised.emplace_back(title);
    return true;
  }
  bool PauseAndPump(int ms) override {
    EXPECT_EQ(ms, kWindowPollMs);
    ++pauses;
    return closes_at < 0 || pauses < closes_at;
  }
};

enum Action { kNew, kReply, kForward, kMailTo, kStart };

bool RunAction(Action action, const ComposeContext& context, ClientSystem& system) {
  const std::string message = context.MailboxDir + "\\Acc1\\Inbox.box\\00000123.qnm";
  switch (action) {
    case kNew:
      return ComposeNew(context, system);
    case kReply:
      return ComposeReply(context, system, message);
    case kForward:
      return ComposeForward(context, system, message);
    case kMailTo:
      return ComposeToAddress(context, system, "a@example.com");
    case kStart:
      return StartClient(context, system);
  }
  return true;
}

TEST(Compose, LaunchesOnceAndWaitsAtMostTheBoundForTheClientsDialog) {
  testing_support::TempDir dir;
  const std::string select_template =
      dir.WriteFile("sel/Account.ini", "[Property]\r\nSelTemplate=1\r\n");
  const std::string no_template =
      dir.WriteFile("plain/Account.ini", "[Property]\r\nSelTemplate=0\r\n");
  const std::string exe = "C:\\Q\\quenmar.exe";
  struct Case {
    Action action;
    std::string exe, ini;
    int shows_after, closes_at;
    int launches, pauses, raised;
    const char* why;
  };
  const Case cases[] = {
      {kNew, exe, no_template, 0, -1, 1, 0, 0, "SelTemplate 0: no wait"},
      {kNew, exe, select_template, 3, -1, 1, 3, 1, "destination dialog raised when it shows"},
      {kNew, exe, select_template, -1, -1, 1, kWindowPolls, 0, "never shown: bounded wait"},
      {kNew, exe, select_template, -1, 1, 1, 1, 0,
       "the client closing during the first pause: no second poll"},
      {kReply, exe, select_template, -1, 5, 1, 5, 0,
       "the client closing during a later pause ends the wait there"},
      {kReply, exe, no_template, 0, -1, 1, 0, 1, "reply settings already shown"},
      {kForward, exe, no_template, -1, -1, 1, kWindowPolls, 0, "never shown: bounded wait"},
      {kMailTo, exe, no_template, 0, -1, 1, 0, 0, "mail to: no wait"},
      {kStart, exe, no_template, 0, -1, 1, 0, 0, "start: no wait"},
      {kNew, "", select_template, 0, -1, 0, 0, 0, "client not configured: nothing"},
      {kReply, "", no_template, 0, -1, 0, 0, 0, "client not configured: nothing"},
  };
  for (const Case& c : cases) {
    RecordingSystem system;
    system.shows_after = c.shows_after;
    system.closes_at = c.closes_at;
    EXPECT_TRUE(RunAction(c.action, {c.exe, "Home", c.ini, "C:\\Mail\\Mailbox"}, system)) << c.why;
    EXPECT_EQ(static_cast<int>(system.launches.size()), c.launches) << c.why;
    EXPECT_EQ(system.pauses, c.pauses) << c.why;
    EXPECT_EQ(static_cast<int>(system.raised.size()), c.raised) << c.why;
  }
}

// A client that cannot be started is reported by every command, and no
// dialog of it is waited for.
TEST(Compose, AFailedLaunchIsReportedAndWaitsForNothing) {
  testing_support::TempDir dir;
  const std::string select_template =
      dir.WriteFile("sel/Account.ini", "[Property]\r\nSelTemplate=1\r\n");
  for (const Action action : {kNew, kReply, kForward, kMailTo, kStart}) {
    RecordingSystem system;
    system.launch_fails = true;
    EXPECT_FALSE(RunAction(
        action, {"C:\\Q\\quenmar.exe", "Home", select_template, "C:\\Mail\\Mailbox"}, system))
        << action;
    EXPECT_EQ(system.launches.size(), 1u) << action;
    EXPECT_EQ(system.pauses, 0) << action;
  }
}

TEST(Compose, CommandLinesReachTheShellWholeAndUnsafeAddressesNever) {
  RecordingSystem system;
  system.shows_after = 0;
  const std::string mailbox = "C:\\Mail\\Mailbox";
  const std::string message = "Acc1\\Inbox.box\\00000123";
  const ComposeContext context{"C:\\Q\\quenmar.exe", "My Home", "", mailbox};
  EXPECT_TRUE(ComposeReply(context, system, mailbox + "\\" + message + ".qnm"));
  EXPECT_TRUE(ComposeForward(context, system, mailbox + "\\" + message + ".qnm"));
  EXPECT_TRUE(ComposeNew(context, system));
  EXPECT_TRUE(StartClient(context, system));
  EXPECT_TRUE(ComposeToAddress(context, system, "a@example.com"));
  for (const char* unsafe : {"a@b.c /send:x", "\"a@b.c\"", "a@b.c\t", "no-at-sign"}) {
    EXPECT_TRUE(ComposeToAddress(context, system, unsafe));
  }
  const std::string exe = context.ClientExePath + "|";
  const std::vector<std::string> expected = {
      exe + ReplyParameters(message, "My Home", mailbox),
      exe + ForwardParameters(message, "My Home", mailbox),
      exe + NewMailParameters("My Home", mailbox),
      exe + StartClientParameters("My Home", mailbox),
      exe + MailToParameters("a@example.com", mailbox),
  };
  EXPECT_EQ(system.launches, expected);
}

}  // namespace
}  // namespace client
