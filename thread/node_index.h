#pragma once
// A hash index from a key hash to the thread nodes filed under it, answering
// "the first node in list order whose key matches" without a list scan. Keys
// are not stored: the caller's match test compares the node's own field, so
// a hash collision costs time, never a wrong answer. Nodes must carry order
// labels (order_labels.h) when they are added.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "thread/thread_node.h"

namespace threads {

class NodeIndex {
 public:
  void Reserve(std::size_t count) { buckets_.reserve(count); }
  void Add(std::uint64_t hash, ThreadNode* node);
  // Removes one filing of `node` under `hash`; nothing when it is not there.
  void Remove(std::uint64_t hash, ThreadNode* node);

  // The node with the smallest Order among those filed under `hash` for which
  // matches(node) holds, or null.
  template <class Match>
  ThreadNode* Earliest(std::uint64_t hash, Match matches) const {
    const auto it = buckets_.find(hash);
    if (it == buckets_.end()) return nullptr;
    const Bucket& bucket = it->second;
    if (matches(bucket.first)) return bucket.first;  // first is the earliest of all
    ThreadNode* best = nullptr;
    for (ThreadNode* node : bucket.more) {
      if ((best == nullptr || node->Order < best->Order) && matches(node)) best = node;
    }
    return best;
  }

 private:
  struct Bucket {
    ThreadNode* first = nullptr;     // the earliest node filed here
    std::vector<ThreadNode*> more;  // the others, in no order
  };
  std::unordered_map<std::uint64_t, Bucket> buckets_;
};

}  // namespace threads
