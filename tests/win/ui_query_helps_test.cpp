// The helps to write a query: the keys that filter by the selected (or
// viewed) message's sender, subject or thread, the queries run last dropped
// by Down, and the senders offered after "from:".

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/local_day.h"
#include "platform/wide_win.h"
#include "settings/query_history.h"
#include "tests/win/ui_dialog_support.h"
#include "tests/win/ui_support.h"
#include "thread/catch_up.h"
#include "thread/filter_terms.h"
#include "thread/quick_filter.h"
#include "thread/search_query.h"
#include "thread/sjis_text.h"
#include "thread/thread_node.h"

namespace uitest {
namespace {

std::wstring BoxText(HWND box) {
  wchar_t text[512] = {};
  GetWindowTextW(box, text, 512);
  return text;
}

// Ctrl + `key` as the keyboard sends it to `control`, through the window's
// shortcuts as the program's message loop runs them; true when one took it.
bool PressCtrl(ui::TVtFormMain& main, HWND control, WORD key) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  MSG message{control, WM_KEYDOWN, key, 1, 0, {}};
  const bool taken = main.PreTranslate(message);
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
  Settle();
  return taken;
}

// The messages of the threads in which some message meets `holds`, over the
// folder's whole list.
std::set<const thread::ThreadNode*> ThreadsWhere(
    const thread::ThreadNode* head, const std::function<bool(const thread::ThreadNode&)>& holds) {
  std::set<const thread::ThreadNode*> out;
  for (const thread::ThreadNode* root = head; root != nullptr;) {
    const thread::ThreadNode* end = root->Next;
    while (end != nullptr && end->Depth > 0) end = end->Next;
    bool any = false;
    for (const thread::ThreadNode* at = root; at != end; at = at->Next) any = any || holds(*at);
    for (const thread::ThreadNode* at = root; any && at != end; at = at->Next) out.insert(at);
    root = end;
  }
  return out;
}

// The messages of the threads in which some message's sender holds `word`
// (folded as the filter folds), over the folder's whole list.
std::set<const thread::ThreadNode*> ThreadsOfSender(const thread::ThreadNode* head,
                                                    const std::string& word) {
  const std::string folded = thread::FoldForFilter(word);
  return ThreadsWhere(head, [&](const thread::ThreadNode& node) {
    return thread::SjisContains(thread::FoldForFilter(node.Sender), folded);
  });
}

// A row whose sender wrote some threads of the folder but not all.
int RowOfAPartialSender(UiFixture& fixture) {
  const thread::ThreadNode* head = fixture.Main().ThreadList().View().Head();
  for (int row = 0; row < fixture.RowCount(); ++row) {
    const auto expected = ThreadsOfSender(head, thread::SenderWord(RowNode(fixture, row).Sender));
    if (expected.size() > 1 && static_cast<int>(expected.size()) < fixture.RowCount()) return row;
  }
  return -1;
}

// The local day holding `seconds`, as [its first second, the next day's first).
struct Day {
  platform::LocalDate date;
  std::int64_t from = 0;
  std::int64_t before = 0;
};
Day DayOf(std::int64_t seconds) {
  for (int year = 1990; year < 2100; ++year) {
    if (platform::LocalDayStart({year + 1, 1, 1}) <= seconds) continue;
    for (thread::CivilDay day{year, 1, 1}; day.year == year; day = thread::AddDays(day, 1)) {
      const thread::CivilDay next = thread::AddDays(day, 1);
      const std::int64_t from = platform::LocalDayStart({day.year, day.month, day.day});
      const std::int64_t before = platform::LocalDayStart({next.year, next.month, next.day});
      if (seconds >= from && seconds < before)
        return {{day.year, day.month, day.day}, from, before};
    }
  }
  return {};
}

class QueryHelps : public SharedMailbox {};

// Ctrl+1 in the list: the box holds the selected row's sender as a from:
// term, the rows are that sender's threads, and the focus stays in the list.
TEST_F(QueryHelps, TheSenderKeyFiltersTheListToTheSelectedRowsSender) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  HWND list = main.ThreadList().ListViewMail().hwnd();
  const int row = RowOfAPartialSender(fixture);
  ASSERT_GE(row, 0) << "the generated folder has a sender of some threads";
  const thread::ThreadNode& node = RowNode(fixture, row);
  const std::string word = thread::SenderWord(node.Sender);
  const auto expected = ThreadsOfSender(main.ThreadList().View().Head(), word);
  main.SelectRow(row, true);
  SetFocus(list);

  EXPECT_TRUE(PressCtrl(main, list, '1'));
  EXPECT_EQ(platform::Narrow(BoxText(box)), thread::FieldTerm("from", word));
  EXPECT_EQ(GetFocus(), list) << "the focus stays where it was";
  ASSERT_TRUE(PumpUntil([&] { return main.ThreadList().View().FilterOn(); }, 2000));
  ASSERT_GT(fixture.RowCount(), 0) << "the sender's threads are shown";
  std::set<const thread::ThreadNode*> shown;
  for (int r = 0; r < fixture.RowCount(); ++r) shown.insert(&RowNode(fixture, r));
  EXPECT_EQ(shown, expected) << "exactly the threads of " << word;
  EXPECT_EQ(&RowNode(fixture, fixture.SelectedRow()), &node) << "the selection stays on it";
}

// A sender and a day typed into the box: the rows are exactly the threads
// with a message of that sender on that day (both of one message).
TEST(QueryBox, ASenderAndADayTypedShowOnlyThoseThreads) {
  MailboxOptions options;
  options.messages_per_folder = 200;  // a folder's mail spans a few days
  UiFixture fixture(options);
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  const thread::ThreadNode* head = main.ThreadList().View().Head();
  // The threads with a message whose sender holds `word` on `day`.
  auto threads_of = [&](const std::string& word, const Day& day) {
    const std::string folded = thread::FoldForFilter(word);
    return ThreadsWhere(head, [&](const thread::ThreadNode& node) {
      const std::int64_t stamp = thread::StampSeconds(node);
      return thread::SjisContains(thread::FoldForFilter(node.Sender), folded) &&
             stamp >= day.from && stamp < day.before;
    });
  };
  // A sender and a day of one of their messages that leave out some of
  // their threads, so that both terms count.
  std::string word;
  Day day;
  std::set<const thread::ThreadNode*> expected;
  for (int row = 0; row < fixture.RowCount() && expected.empty(); ++row) {
    const std::string sender = thread::SenderWord(RowNode(fixture, row).Sender);
    const Day candidate = DayOf(thread::StampSeconds(RowNode(fixture, row)));
    const auto both = threads_of(sender, candidate);
    if (!both.empty() && both.size() < ThreadsOfSender(head, sender).size()) {
      word = sender;
      day = candidate;
      expected = both;
    }
  }
  ASSERT_FALSE(expected.empty()) << "the folder has a sender's threads on several days";

  char range[32];
  std::snprintf(range, sizeof range, " date:%04d-%02d-%02d..%04d/%02d/%02d", day.date.year,
                day.date.month, day.date.day, day.date.year, day.date.month, day.date.day);
  SetFocus(box);
  for (const wchar_t c : platform::Widen(thread::FieldTerm("from", word) + range)) TypeChar(box, c);
  auto shown = [&] {
    std::set<const thread::ThreadNode*> rows;
    for (int r = 0; r < fixture.RowCount(); ++r) rows.insert(&RowNode(fixture, r));
    return rows;
  };
  EXPECT_TRUE(PumpUntil([&] { return shown() == expected; }, 5000))
      << shown().size() << " rows against " << expected.size() << " for " << word << range;
}

// Ctrl+2 in the viewer: the main window's box holds the viewed message's
// subject without its reply marks, and the main window comes forward with
// the focus in its list.
TEST_F(QueryHelps, TheSubjectKeyInTheViewerFiltersTheMainWindowsList) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  int reply = 0;
  while (reply < fixture.RowCount() && !thread::HasReplyMark(RowNode(fixture, reply).Subject)) {
    ++reply;
  }
  ASSERT_LT(reply, fixture.RowCount()) << "the folder has a reply";
  const thread::ThreadNode& node = RowNode(fixture, reply);
  Open(fixture, reply);
  ASSERT_EQ(main.ViewedNode(), &node);
  HWND view = fixture.Viewer().BigView();
  SetFocus(view);

  EXPECT_TRUE(PressCtrl(main, view, '2'));
  const std::string box = platform::Narrow(BoxText(main.ThreadList().FilterBox().hwnd()));
  EXPECT_EQ(box, thread::SubjectTerm(node));
  EXPECT_EQ(box.find("Re:"), std::string::npos) << box;
  EXPECT_EQ(GetFocus(), main.ThreadList().ListViewMail().hwnd());
}

// Two queries run with Enter; in the emptied box Down drops them, the newest
// first, and Down, Down, Enter puts the older one back in the box. The
// search of every folder offers the same queries.
TEST_F(QueryHelps, DownInTheEmptyBoxOffersTheQueriesRunLast) {
  fixture.FullTextIndex = true;  // the search of every folder asks the index
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  const ui::DropList& drop = main.ThreadList().FilterBox().Drop();
  for (const std::wstring query : {L"first query", L"second"}) {
    SetFocus(box);
    SetWindowTextW(box, L"");
    for (const wchar_t c : query) TypeChar(box, c);
    PressKey(box, VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() != box; }, 2000)) << "Enter ran it";
  }
  SetFocus(box);
  SetWindowTextW(box, L"");
  Settle();
  PressKey(box, VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return drop.IsOpen(); }, 2000));
  ASSERT_EQ(drop.Count(), 2);
  wchar_t item[64] = {};
  SendMessageW(drop.hwnd(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"second") << "the newest first";
  PressKey(box, VK_DOWN);
  PressKey(box, VK_DOWN);
  PressKey(box, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !drop.IsOpen(); }, 2000));
  EXPECT_EQ(BoxText(box), L"first query");
  EXPECT_EQ(GetFocus(), box) << "choosing is not leaving";
  main.SaveAllSettings();
  EXPECT_EQ(
      settings::LoadQueryHistory(platform::SystemPath::FromCp932(fixture.SettingsPath())).Items(),
      (std::vector<std::string>{"second", "first query"}))
      << "kept in the settings file";

  std::wstring chosen;
  const std::size_t steps = RunWithSteps([&] { fixture.Command("mSearchAll"); },
                                         {[&] {
                                            HWND dialog = FindThreadWindow(L"TSearchAllForm");
                                            if (dialog == nullptr) return false;
                                            PressKey(GetDlgItem(dialog, 11), VK_DOWN);
                                            PressKey(GetDlgItem(dialog, 11), VK_DOWN);
                                            PressKey(GetDlgItem(dialog, 11), VK_RETURN);
                                            return true;
                                          },
                                          [&] {
                                            HWND dialog = FindThreadWindow(L"TSearchAllForm");
                                            if (dialog == nullptr) return false;
                                            chosen = BoxText(GetDlgItem(dialog, 11));
                                            if (chosen != L"second") return false;
                                            PressEscape(dialog);
                                            return true;
                                          }});
  EXPECT_EQ(steps, 2u) << "the search's box took the newest query, then closed";
  EXPECT_EQ(chosen, L"second");
}

// "from:" typed: the folder's senders drop, the most frequent first; typing
// narrows them, and the one chosen takes the place of what was typed.
TEST_F(QueryHelps, AfterFromTheFoldersSendersAreOffered) {
  fixture.Start();
  ui::TVtFormMain& main = fixture.Main();
  HWND box = main.ThreadList().FilterBox().hwnd();
  const ui::DropList& drop = main.ThreadList().FilterBox().Drop();
  const thread::SenderRanking ranking(main.ThreadList().View().Head());
  const std::vector<std::string> all = ranking.Matching("", 50);
  ASSERT_GT(all.size(), 1u);
  SetFocus(box);
  for (const wchar_t c : std::wstring(L"x from:")) TypeChar(box, c);
  ASSERT_TRUE(PumpUntil([&] { return drop.IsOpen(); }, 2000));
  EXPECT_EQ(drop.Count(), static_cast<int>(all.size()));
  // Narrowed by the last sender's first two characters.
  const std::wstring typed = platform::Widen(all.back()).substr(0, 2);
  for (const wchar_t c : typed) TypeChar(box, c);
  const std::vector<std::string> narrowed = ranking.Matching(platform::Narrow(typed), 50);
  ASSERT_TRUE(PumpUntil([&] { return drop.Count() == static_cast<int>(narrowed.size()); }, 2000));
  PressKey(box, VK_DOWN);
  PressKey(box, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !drop.IsOpen(); }, 2000));
  EXPECT_EQ(platform::Narrow(BoxText(box)), "x " + thread::FieldTerm("from", narrowed.front()));
}

}  // namespace
}  // namespace uitest
