// Opening folders, reloading and rebuilding them, driven through a fake main
// window.

#include "thread/folder_loader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/load_fakes_support.h"
#include "tests/mail_folder_support.h"
#include "tests/temp_dir_support.h"
#include "thread/cache_preload.h"
#include "thread/full_build.h"
#include "thread/ja_texts.h"
#include "thread/thread_cache.h"
#include "thread/thread_rows.h"
#include "tools/mkmailbox/generator.h"

namespace thread {
namespace {

using folder_fixture::FakeHost;
using folder_fixture::ListShape;
using folder_fixture::MakeMessage;
using folder_fixture::RowNames;
using folder_fixture::TestFolder;
using folder_fixture::TestMessage;

// m1; m2 answers m1; m3 is a root; further messages are roots.
std::vector<TestMessage> Messages(int count) {
  std::vector<TestMessage> messages;
  for (int i = 1; i <= count; ++i) {
    TestMessage message = MakeMessage(i, static_cast<std::uint32_t>(i));
    if (i == 2) message.InReplyTo = "m1@test";
    messages.push_back(message);
  }
  return messages;
}

// The phases the progress dialog went through, in order, e.g. "build cache".
std::string Phases(const std::vector<std::string>& titles) {
  std::string joined, last;
  for (const std::string& title : titles) {
    const std::string phase = title == ja::kBuildingTitle    ? "build"
                              : title == ja::kCacheReadTitle ? "cache"
                              : title == ja::kReconcileTitle ? "reconcile"
                              : title == ja::kNewMailTitle   ? "new"
                                                             : "";
    if (phase.empty() || phase == last) continue;
    joined += (joined.empty() ? "" : " ") + phase;
    last = phase;
  }
  return joined;
}

std::string RowShape(const std::vector<ThreadNode*>& rows) {
  std::string shape;
  for (const ThreadNode* node : rows) shape += std::to_string(node->Depth);
  return shape;
}

struct LoaderFixture {
  LoaderFixture() {
    for (int i = 0; i < 2; ++i) {
      (*table)[static_cast<std::size_t>(i)].Kind = mailbox::kFolderMail;
      (*table)[static_cast<std::size_t>(i)].Path = folders[i].Path();
    }
    folders[0].WriteMessages(Messages(3));
    folders[1].WriteMessages(Messages(2));
  }
  ~LoaderFixture() { ReleaseThreadLists(view, host); }

  void Open(int folder, bool remember = true) {
    OpenFolderThreads(view, settings, host, folder, remember);
  }
  std::string Cache(int folder) const { return folders[folder].ReadFile(kCacheFileName); }

  TestFolder folders[2];
  std::unique_ptr<mailbox::FolderTable> table = std::make_unique<mailbox::FolderTable>();
  ThreadView view{*table};
  LoaderSettings settings;
  FakeHost host;
};

TEST(FolderLoaderTest, FirstOpenBuildsInFullAndWritesTheCache) {
  LoaderFixture f;
  f.Open(0);
  EXPECT_EQ(RowNames(f.host.Rows), "00000001 00000002 00000003");
  EXPECT_EQ(RowShape(f.host.Rows), "010");
  EXPECT_EQ(Phases(f.host.Progress.Titles), "build");
  EXPECT_EQ(f.view.CurrentFolderIndex, 0);
  EXPECT_NE(f.Cache(0).find("00000002:1\r\n"), std::string::npos);
  EXPECT_FALSE(f.host.ProgressShown);
  EXPECT_TRUE(f.host.MainWindowEnabled && f.host.AccountMenuEnabled && f.host.ViewerEnabled);
  EXPECT_EQ(f.host.Selections.back(), 2) << "MailIniPos 1: the last row";
}

TEST(FolderLoaderTest, CachedOpenGoesThroughEveryPhaseWithoutMessageFiles) {
  LoaderFixture f;
  f.Open(0);
  const std::string written = f.Cache(0);
  for (const char* name : {"00000001.qnm", "00000002.qnm", "00000003.qnm"}) f.folders[0].Remove(name);
  f.Open(0, false);
  EXPECT_EQ(Phases(f.host.Progress.Titles), "build cache reconcile new");
  EXPECT_EQ(RowShape(f.host.Rows), "010");
  EXPECT_EQ(f.Cache(0), written) << "identifiers kept although no message file was read";
}

TEST(FolderLoaderTest, CancelDuringFullBuildShowsNothingAndWritesNothing) {
  LoaderFixture f;
  f.folders[0].WriteFile(kCacheFileName, "");
  f.host.Progress.CancelAfterSteps = 2;
  f.Open(0);
  EXPECT_TRUE(f.host.Rows.empty());
  EXPECT_EQ(f.view.CurrentFolderIndex, -1);
  EXPECT_EQ(f.Cache(0), "");
  EXPECT_TRUE(f.host.AccountMenuEnabled && f.host.ViewerEnabled);
  EXPECT_EQ(f.view.CurrentThreads, nullptr);
}

TEST(FolderLoaderTest, ChoosingAnotherFolderAbandonsTheLoad) {
  LoaderFixture f;
  f.host.SwitchAfterPumps = 1;
  f.Open(0);
  EXPECT_TRUE(f.host.Rows.empty());
  EXPECT_EQ(f.view.CurrentFolderIndex, -1);
  EXPECT_FALSE(f.folders[0].Exists(kCacheFileName));
  // With no folder current, choosing the same folder again opens it.
  f.host.SwitchAfterPumps = -1;
  f.Open(0);
  EXPECT_EQ(f.host.Rows.size(), 3u);
}

TEST(FolderLoaderTest, TotalZeroEmptiesTheCacheAndShowsNothing) {
  LoaderFixture f;
  f.folders[0].WriteFile(kCacheFileName, "stale");
  f.folders[0].WriteEntryIni(0);
  f.Open(0);
  EXPECT_TRUE(f.host.Rows.empty());
  EXPECT_EQ(f.Cache(0), "");
  EXPECT_EQ(f.host.ProgressShows, 0);

  f.folders[1].WriteEntryIni(0);
  f.Open(1);
  EXPECT_EQ(f.Cache(1), "") << "a missing cache is created empty";
}

TEST(FolderLoaderTest, KeptListIsShownAgainWithoutTheDialog) {
  LoaderFixture f;
  f.settings.MailInMemory = 1;
  f.Open(0);
  f.Open(1);
  EXPECT_EQ(f.host.ProgressShows, 2);
  ASSERT_NE((*f.table)[0].Threads, nullptr);
  f.folders[0].WriteMessages(Messages(5));  // new mail is not seen from memory
  f.Open(0);
  EXPECT_EQ(f.host.ProgressShows, 2);
  EXPECT_EQ(f.host.Rows.size(), 3u);
}

// Rows of another kind (the hits of a search) take the place of the list: a
// list kept in memory stays with its folder, which comes back without the
// dialog, as every other kept list; a list the view owns is freed, and its
// folder is read again.
TEST(FolderLoaderTest, LeavingTheShownListKeepsEveryKeptList) {
  for (const int in_memory : {1, 0}) {
    SCOPED_TRACE(in_memory);
    LoaderFixture f;
    f.settings.MailInMemory = in_memory;
    f.Open(1);
    f.Open(0);
    LeaveShownList(f.view, f.host);
    EXPECT_TRUE(f.host.Rows.empty());
    EXPECT_EQ(f.view.CurrentThreads, nullptr);
    f.Open(0);
    f.Open(1);
    EXPECT_EQ(f.host.ProgressShows, in_memory == 1 ? 2 : 4);
    EXPECT_EQ(f.host.Rows.size(), 2u);
  }
}

TEST(FolderLoaderTest, SameFolderChosenAgainDoesNothing) {
  LoaderFixture f;
  f.Open(0);
  f.host.Selected = 1;
  f.Open(0);
  EXPECT_EQ(f.host.ProgressShows, 1);
  EXPECT_EQ(f.host.Selected, 1);
}

TEST(FolderLoaderTest, ReloadGoesThroughTheCacheAndRebuildReadsEveryFile) {
  LoaderFixture f;
  f.Open(0);
  // Message 3 now answers message 1 in its file; the cache still says root.
  TestMessage third = MakeMessage(3, 3);
  third.InReplyTo = "m1@test";
  f.folders[0].WriteFile("00000003.qnm", folder_fixture::MessageFileText(third));
  f.host.Selected = 1;

  ReloadFolder(f.view, f.settings, f.host, 0);
  EXPECT_EQ(Phases(f.host.Progress.Titles), "build cache reconcile new");
  EXPECT_EQ(RowShape(f.host.Rows), "010");
  EXPECT_EQ(f.host.Selected, 1) << "the selected row is selected again";

  RebuildFolder(f.view, f.settings, f.host, 0);
  EXPECT_EQ(RowShape(f.host.Rows), "011");
  EXPECT_NE(f.Cache(0).find("00000003:1\r\n"), std::string::npos);
}

TEST(FolderLoaderTest, ReloadWithListsInMemoryDropsTheKeptList) {
  LoaderFixture f;
  f.settings.MailInMemory = 1;
  f.Open(0);
  f.folders[0].WriteMessages(Messages(4));
  ReloadFolder(f.view, f.settings, f.host, 0);
  EXPECT_EQ(f.host.Rows.size(), 4u);
  EXPECT_EQ((*f.table)[0].Threads, f.view.CurrentThreads);
}

TEST(FolderLoaderTest, SelectedRowIsRestoredWhenComingBack) {
  LoaderFixture f;
  f.folders[0].WriteMessages(Messages(8));
  f.Open(0);
  f.host.Selected = 5;
  f.Open(1);
  EXPECT_EQ((*f.table)[0].SelectedIndex, 5);
  f.Open(0);
  EXPECT_EQ(f.host.Selected, 5);

  // The list got shorter meanwhile: the last row.
  f.Open(1);
  f.folders[0].WriteMessages(Messages(3));
  f.Open(0);
  EXPECT_EQ(f.host.Rows.size(), 3u);
  EXPECT_EQ(f.host.Selected, 2);
}

TEST(FolderLoaderTest, MissingIndexWithACacheShowsNothingAndKeepsTheCache) {
  LoaderFixture f;
  f.Open(0);
  const std::string written = f.Cache(0);
  f.folders[0].Remove("Entry.lst");
  f.Open(1);
  f.Open(0);
  EXPECT_TRUE(f.host.Rows.empty());
  EXPECT_EQ(f.view.CurrentFolderIndex, -1);
  EXPECT_EQ(f.Cache(0), written);
}

// Threads answering random earlier messages, some through References only,
// some without identifiers, with list tags and reply marks for the subject
// fallback.
std::vector<TestMessage> TangledMessages(int count) {
  std::vector<TestMessage> messages;
  unsigned state = 12345;
  auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 8; };
  for (int i = 1; i <= count; ++i) {
    TestMessage message = MakeMessage(i, static_cast<std::uint32_t>(i));
    message.Subject = "topic " + std::to_string(next() % 20);
    if (i > 1 && next() % 3 != 0) {
      const std::string parent = "m" + std::to_string(1 + next() % static_cast<unsigned>(i + 3)) + "@test";
      if (next() % 2 == 0) {
        message.InReplyTo = parent;
      } else {
        message.References = parent;
      }
      message.Subject = "Re: " + message.Subject;
    }
    if (next() % 7 == 0) message.MessageId.clear();
    messages.push_back(message);
  }
  return messages;
}

TEST(FullBuildTest, ScanningAheadOnThreadsGivesTheSameList) {
  TestFolder folder;
  folder.WriteMessages(TangledMessages(400));
  for (const bool references : {false, true}) {
    std::string shapes[2];
    for (int workers : {0, 2}) {
      QuietProgress progress;
      QuietMonitor monitor;
      LoadContext context{progress, monitor};
      FolderSource source;
      source.Path = folder.Path();
      source.Link.References = references;
      source.Link.Subject = true;
      source.ScanWorkers = workers;
      const ThreadLoad load = BuildThreadsFromIndex(source, context);
      ASSERT_TRUE(load.Show);
      std::string why;
      EXPECT_TRUE(CheckThreadListIntegrity(load.List.Head(), &why)) << why;
      shapes[workers == 0 ? 0 : 1] = folder_fixture::ListShape(load.List.Head());
    }
    EXPECT_EQ(shapes[0], shapes[1]) << "References " << references;
    EXPECT_NE(shapes[0].find("/2"), std::string::npos) << "the sample has nested threads";
  }
}

TEST(FullBuildTest, CancelStopsAtTheRecordAndReleasesEverything) {
  TestFolder folder;
  folder.WriteMessages(TangledMessages(300));
  for (int workers : {0, 2}) {
    folder_fixture::RecordingProgress progress;
    progress.CancelAfterSteps = 5;
    QuietMonitor monitor;
    LoadContext context{progress, monitor};
    FolderSource source;
    source.Path = folder.Path();
    source.ScanWorkers = workers;
    const ThreadLoad load = BuildThreadsFromIndex(source, context);
    EXPECT_FALSE(load.Show);
    EXPECT_TRUE(load.ForgetFolder);
    EXPECT_TRUE(load.List.Empty());
    EXPECT_EQ(progress.Steps, 5) << "no record is handled after the cancel";
  }
}

TEST(FullBuildTest, MissingIndexGivesNothingToShow) {
  TestFolder folder;
  QuietProgress progress;
  QuietMonitor monitor;
  LoadContext context{progress, monitor};
  FolderSource source;
  source.Path = folder.Path();
  const ThreadLoad load = BuildThreadsFromIndex(source, context);
  EXPECT_FALSE(load.Show);
  EXPECT_FALSE(load.ForgetFolder);
}

TEST(FolderLoaderTest, NoLoadStartsWhileOneRuns) {
  LoaderFixture f;
  f.view.Loading = true;
  f.Open(0);
  ReloadFolder(f.view, f.settings, f.host, 0);
  EXPECT_EQ(f.host.ProgressShows, 0);
  EXPECT_EQ(f.view.CurrentFolderIndex, -1);
  f.view.Loading = false;
}

TEST(CachePreloadTest, StartFolderReadAheadIsUsedOnlyForThatFolderAndCount) {
  testing_support::TempDir dir;
  mkmailbox::Options options;
  options.messages_per_folder = 12;
  std::string error;
  ASSERT_TRUE(mkmailbox::GenerateMailbox(options, dir.path(), error)) << error;
  const platform::SystemPath settings_path = platform::SystemPath::FromCp932(
      dir.WriteFile("Veltra.ini", "[Property]\r\nMailbox=\"" + dir.Join("Mailbox") + "\"\r\n"));
  EXPECT_FALSE(FindStartFolder(platform::SystemPath::FromCp932(dir.Join("none.ini")), nullptr))
      << "no mailbox without asking";
  const std::optional<FolderSource> start = FindStartFolder(settings_path, nullptr);
  ASSERT_TRUE(start);
  ASSERT_TRUE(mailbox::WriteFolderDisplaySettings(start->Path, {1, 1}));

  QuietProgress progress;
  QuietMonitor monitor;
  LoadContext context{progress, monitor};
  {
    const ThreadLoad built = BuildThreadsFromIndex(*start, context);
    mailbox::FolderInfo folder;
    folder.Path = start->Path;
    FillThreadList(built.List.Head(), folder, true);
  }
  const std::string expected = ListShape(LoadThreadCache(*start, context).List.Head());
  ASSERT_NE(expected, "");

  FolderSource more_mail = *start;
  ++more_mail.Total;
  FolderSource other_folder = *start;
  other_folder.Path += "x";
  struct Case {
    FolderSource asked;
    bool handed;
    const char* reason;
  };
  const Case cases[] = {
      {*start, true, "the folder read ahead"},
      {more_mail, false, "mail arrived since: the count differs"},
      {other_folder, false, "another folder is opened first"},
  };
  for (const Case& c : cases) {
    CachePreload preload(settings_path, nullptr);
    // The display settings read ahead serve only the start folder, and only
    // with the default they were read with.
    const auto display = preload.DisplaySettings(c.asked.Path, 0);
    ASSERT_EQ(display.has_value(), c.asked.Path == start->Path) << c.reason;
    if (display) {
      EXPECT_EQ(display->MlStringDelete, 1) << c.reason;
    }
    EXPECT_FALSE(preload.DisplaySettings(c.asked.Path, 1)) << c.reason;
    std::optional<CacheOpening> opening = preload.Take(c.asked, nullptr);
    ASSERT_EQ(opening.has_value(), c.handed) << c.reason;
    if (!opening) continue;
    EXPECT_EQ(ListShape(FinishCacheOpen(std::move(*opening), c.asked, context).List.Head()),
              expected)
        << c.reason;
    EXPECT_FALSE(preload.Take(c.asked, nullptr)) << "given out once";
  }
}

}  // namespace
}  // namespace thread
