// What the thread list shows, as one object: each row's own folder for the
// counts a read or a trashed message changes, the filter text kept only for
// what it was typed for, collapsed threads kept per folder across the hits,
// and new hits replacing the shown ones.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "thread/ja_texts.h"
#include "thread/shown_list.h"

namespace thread {
namespace {

struct Message {
  int depth = 0;
  bool unread = false;
};

// A list of messages named "m0", "m1"... with files in `folder_dir`; the
// nodes in list order.
ThreadNode* MakeList(const std::vector<Message>& messages, const std::string& folder_dir,
                     std::vector<ThreadNode*>& nodes) {
  ThreadNode* head = nullptr;
  ThreadNode* last = nullptr;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    ThreadNode* node = NewThreadNode(last);
    const std::string name = "m" + std::to_string(i);
    std::copy(name.begin(), name.end(), node->Name.begin());
    node->Depth = messages[i].depth;
    if (messages[i].unread) node->StatusBlock[3] = 0x40;
    SetFilePath(*node, folder_dir);
    if (last == nullptr) {
      head = node;
    } else {
      AppendNode(last, node);
    }
    last = node;
    nodes.push_back(node);
  }
  return head;
}

// Hits of the given folders (folder, unread), made as the search makes them.
HitList MakeHits(const std::vector<std::pair<int, bool>>& hits_of,
                 const mailbox::FolderTable& folders, std::vector<ThreadNode*>& nodes) {
  HitList hits;
  ThreadNode* last = nullptr;
  for (const auto& [folder, unread] : hits_of) {
    ThreadNode* node = NewThreadNode(last);
    const std::string name = "h" + std::to_string(nodes.size());
    std::copy(name.begin(), name.end(), node->Name.begin());
    if (unread) node->StatusBlock[3] = 0x40;
    SetFilePath(*node, folders[folder].Path);
    if (last == nullptr) {
      hits.List.Reset(node);
    } else {
      AppendNode(last, node);
    }
    hits.FolderOf[node] = folder;
    nodes.push_back(node);
    last = node;
  }
  return hits;
}

class ShownListTest : public ::testing::Test {
 protected:
  ShownListTest() {
    for (int i = 0; i < 4; ++i) {
      folders_[i].Kind = mailbox::kFolderMail;
      folders_[i].Path = "/box/f" + std::to_string(i);
      folders_[i].Total = 10;
      folders_[i].Unread = 1;
    }
  }
  ~ShownListTest() override {
    shown_.Clear(-1);
    for (mailbox::FolderInfo& folder : folders_) FreeThreadList(folder.Threads);
  }
  // Shows folder `folder`'s list, owned by the view as the loader leaves it.
  std::vector<ThreadNode*> ShowFolder(int folder, const std::vector<Message>& messages) {
    std::vector<ThreadNode*> nodes;
    shown_.Clear(folder);  // as the loader clears the rows, with the folder opening
    if (view_.OwnsCurrent) FreeThreadList(view_.CurrentThreads);
    view_.CurrentThreads = MakeList(messages, folders_[folder].Path, nodes);
    view_.OwnsCurrent = true;
    view_.CurrentFolderIndex = folder;
    shown_.ShowFolder(nodes, folder, folders_);
    return nodes;
  }
  void LeaveShownList() {
    shown_.Clear(-1);
    if (view_.OwnsCurrent) FreeThreadList(view_.CurrentThreads);
    view_.CurrentThreads = nullptr;
    view_.OwnsCurrent = false;
    view_.CurrentFolderIndex = -1;
  }
  void KeepList(int folder) {
    std::vector<ThreadNode*> nodes;
    folders_[folder].Threads = MakeList({{0, true}}, folders_[folder].Path, nodes);
  }

  mailbox::FolderTable folders_;
  ThreadView view_{folders_};
  ShownList shown_;
};

TEST_F(ShownListTest, AHitChangesTheCountsOfItsOwnFolderAndDropsItsKeptList) {
  KeepList(1);
  KeepList(2);
  std::vector<ThreadNode*> hit;
  LeaveShownList();
  shown_.TakeHits(MakeHits({{1, true}, {2, true}, {1, false}}, folders_, hit), "word", true);
  shown_.ShowHits();
  ASSERT_TRUE(shown_.ShowsHits());
  EXPECT_EQ(shown_.FolderOf(hit[1]), 2);

  EXPECT_EQ(shown_.MarkRead(view_, hit[1]), 2) << "folder 2's last unread message";
  EXPECT_EQ(folders_[2].Unread, 0);
  EXPECT_EQ(folders_[2].Threads, nullptr) << "its kept list showed the hit unread";
  EXPECT_NE(folders_[1].Threads, nullptr) << "another folder's list stays";
  EXPECT_EQ(shown_.MarkRead(view_, hit[1]), -1) << "a read message is read once";
  EXPECT_EQ(folders_[2].Unread, 0);

  EXPECT_EQ(shown_.Remove(view_, hit[2]), -1) << "a read hit leaves the unread count";
  EXPECT_EQ(folders_[1].Total, 9);
  EXPECT_EQ(folders_[1].Unread, 1);
  EXPECT_EQ(folders_[1].Threads, nullptr);
  EXPECT_EQ(shown_.Remove(view_, hit[0]), 1);
  EXPECT_EQ(shown_.Rows().size(), 1u);
  EXPECT_EQ(shown_.StatusText(folders_), ja::kResultsLabel + std::string("1") + ja::kResultsEnd);
}

TEST_F(ShownListTest, AFolderRowChangesItsFolderAndKeepsTheListShown) {
  const std::vector<ThreadNode*> nodes = ShowFolder(3, {{0, true}, {1, false}});
  folders_[3].Threads = view_.CurrentThreads;  // kept in memory and shown
  view_.OwnsCurrent = false;
  EXPECT_EQ(shown_.MarkRead(view_, nodes[0]), 3);
  EXPECT_EQ(folders_[3].Threads, view_.CurrentThreads);
  EXPECT_EQ(shown_.Remove(view_, nodes[0]), -1);
  EXPECT_EQ(folders_[3].Total, 9);
  EXPECT_EQ(folders_[3].Threads, view_.CurrentThreads) << "the new head, wherever it is held";
  EXPECT_EQ(shown_.Rows().size(), 1u);
}

// Each step is what the window does: a folder opens (Clear, then ShowFolder),
// is read again, or the hits show.
TEST_F(ShownListTest, TheFilterTextStaysOnlyWithWhatItWasTypedFor) {
  struct Step {
    const char* what;
    int folder;  // -2: the hits
    bool keeps;
  };
  const Step steps[] = {
      {"folder 1 opens: the box had no folder", 1, false},
      {"folder 1 read again (再構築)", 1, true},
      {"the hits show", -2, false},
      {"folder 1 opens from the hits", 1, false},
      {"folder 2 opens", 2, false},
      {"folder 2 read again", 2, true},
  };
  for (const Step& step : steps) {
    if (step.folder == -2) {
      std::vector<ThreadNode*> hit;
      LeaveShownList();
      shown_.TakeHits(MakeHits({{0, false}}, folders_, hit), "word", true);
      shown_.ShowHits();
      EXPECT_EQ(shown_.KeepsFilter(), step.keeps) << step.what;
      continue;
    }
    // The box is emptied (or kept) as the folder opens, before its rows come.
    shown_.Clear(step.folder);
    EXPECT_EQ(shown_.KeepsFilter(), step.keeps) << step.what;
    ShowFolder(step.folder, {{0, false}});
    EXPECT_TRUE(shown_.KeepsFilter()) << step.what << ": the rows of the folder opened";
  }
}

TEST_F(ShownListTest, CollapsedThreadsAreKeptPerFolderAcrossTheHits) {
  shown_.SetCollapseByDefault(true);
  const std::vector<Message> two_threads = {{0}, {1}, {0}, {1}};
  ShowFolder(1, two_threads);
  EXPECT_EQ(shown_.Rows().size(), 2u) << "collapsed by default";
  shown_.Rows().ExpandAll();
  std::vector<ThreadNode*> hit;
  LeaveShownList();
  shown_.TakeHits(MakeHits({{1, false}}, folders_, hit), "word", true);
  shown_.ShowHits();
  ShowFolder(1, two_threads);
  EXPECT_EQ(shown_.Rows().size(), 4u) << "as the user left it";
  ShowFolder(2, two_threads);
  EXPECT_EQ(shown_.Rows().size(), 2u) << "a folder not shown yet";
}

TEST_F(ShownListTest, NewHitsReplaceTheShownOnesAndTheStatusSaysWhenMoreAreComing) {
  std::vector<ThreadNode*> first;
  shown_.TakeHits(MakeHits({{0, false}}, folders_, first), "word", false);
  EXPECT_EQ(shown_.HitsStatusText(),
            ja::kResultsLabel + std::string("1") + ja::kResultsMore + ja::kResultsEnd);
  shown_.ShowHits();
  std::vector<ThreadNode*> more;
  shown_.TakeHits(MakeHits({{0, false}, {1, false}}, folders_, more), "word", true);
  ASSERT_TRUE(shown_.ShowsHits());
  EXPECT_EQ(shown_.Rows().Shown(), more) << "the rows are the new hits at once";
  EXPECT_EQ(shown_.FindHit(more[1]->FilePath.str()), more[1]);
  EXPECT_EQ(shown_.HitsQuery(), "word");
  shown_.ForgetHits();
  EXPECT_FALSE(shown_.ShowsHits());
  EXPECT_TRUE(shown_.Rows().empty());
}

}  // namespace
}  // namespace thread
