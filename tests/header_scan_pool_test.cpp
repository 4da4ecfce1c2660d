// The header scan ahead of the linking: every node gets its own headers,
// whichever thread scanned it, even when the scan of another node fails.

#include "thread/header_scan_pool.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "thread/thread_node.h"

namespace thread {
namespace {

// The node's name as its Message-ID; a name starting with "X" cannot be read.
MessageHeaders ReadByName(const ThreadNode& node) {
  if (node.Name[0] == 'X') throw std::runtime_error("unreadable message");
  return {node.Name.data(), "", "", node.MlFlag};
}

TEST(HeaderScanAhead, AFailedScanLeavesItsNodeEmptyAndTheOthersScanned) {
  struct Case {
    int workers;
    std::vector<std::string> names;
    const char* why;
  };
  const Case cases[] = {
      {1, {"00000001", "X0000002", "00000003"}, "one worker goes on after the failure"},
      {4,
       {"X0000001", "00000002", "X0000003", "00000004", "00000005", "X0000006"},
       "failures on several workers"},
      {0, {"X0000001", "00000002"}, "scanned by the caller"},
  };
  for (const Case& c : cases) {
    ThreadList owner(NewThreadNode());
    std::vector<ThreadNode*> nodes;
    for (const std::string& name : c.names) {
      ThreadNode* node = nodes.empty() ? owner.Head() : NewThreadNode(owner.Head());
      if (!nodes.empty()) AppendNode(nodes.back(), node);
      name.copy(node->Name.data(), 8);
      node->MessageId = node->Keep("old");
      nodes.push_back(node);
    }
    HeaderScanAhead scan(nodes, c.workers, ReadByName);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      scan.WaitFor(i);
      const std::string expected = c.names[i][0] == 'X' ? "" : c.names[i];
      EXPECT_EQ(nodes[i]->MessageId, expected) << c.why << ": " << c.names[i];
    }
  }
}

}  // namespace
}  // namespace thread
