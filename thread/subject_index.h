#pragma once
// Subject threading index: files nodes by their SubjectKey and finds, for a
// reply's subject, the first node in list order whose key occurs in it (a
// Shift-JIS aware search: no match starts on a second byte).
//
// Instead of testing every filed key against the subject, each start position
// of the subject is looked up: keys are grouped by their first few bytes, and
// only the key lengths present under those bytes are hashed and looked up.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "thread/node_index.h"
#include "thread/thread_node.h"

namespace thread {

class SubjectIndex {
 public:
  // `skip_list_tag` selects the key form (SubjectKey's second argument).
  explicit SubjectIndex(bool skip_list_tag) : skip_list_tag_(skip_list_tag) {}

  // Files `node` under its key; a node whose key is empty is never found, so
  // it is not filed. The node's Subject must not change while filed.
  void Add(ThreadNode* node);
  void Remove(ThreadNode* node);

  // The node with the smallest Order whose key occurs in `text`, or null.
  ThreadNode* EarliestContainedIn(std::string_view text) const;

 private:
  static constexpr std::size_t kAnchorLength = 4;
  using LengthCounts = std::vector<std::pair<std::size_t, std::size_t>>;  // key length, keys

  std::string_view KeyOf(const ThreadNode* node) const;
  void CountLength(std::string_view key, bool add);

  bool skip_list_tag_;
  NodeIndex keys_;  // by HashBytes(key)
  // Keys shorter than kAnchorLength, counted by length.
  std::array<std::size_t, kAnchorLength> short_keys_{};
  // Longer keys: HashBytes of their first kAnchorLength bytes -> lengths.
  std::unordered_map<std::uint64_t, LengthCounts> anchors_;
};

}  // namespace thread
