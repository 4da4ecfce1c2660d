#pragma once
// A hash index from a key hash to the thread nodes filed under it, answering
// "the first node in list order whose key matches" without a list scan. Keys
// are not stored: the caller's match test compares the node's own field, so
// a hash collision costs time, never a wrong answer. Nodes must carry order
// labels (order_labels.h) when they are added.
//
// An open-addressing table (linear probing) with one entry per hash; the
// entry holds the earliest node and, only when a hash has several nodes, an
// overflow list of the others.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "thread/thread_node.h"

namespace thread {

class NodeIndex {
 public:
  void Add(std::uint64_t hash, ThreadNode* node);
  // Removes one filing of `node` under `hash`; nothing when it is not there.
  void Remove(std::uint64_t hash, ThreadNode* node);

  // The node with the smallest Order among those filed under `hash` for which
  // matches(node) holds, or null.
  template <class Match>
  ThreadNode* Earliest(std::uint64_t hash, Match matches) const {
    const std::size_t at = Find(hash);
    if (at == kNone) return nullptr;
    const Entry& entry = entries_[at];
    if (matches(entry.first)) return entry.first;  // first is the earliest of all
    if (entry.more == 0) return nullptr;
    ThreadNode* best = nullptr;
    for (ThreadNode* node : overflow_[entry.more - 1]) {
      if ((best == nullptr || node->Order < best->Order) && matches(node)) best = node;
    }
    return best;
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  struct Entry {
    std::uint64_t hash = 0;
    ThreadNode* first = nullptr;  // the earliest node; null marks a free entry
    std::uint32_t more = 0;       // 1 + index into overflow_, or 0
  };

  std::size_t Find(std::uint64_t hash) const;
  std::size_t Mask() const { return entries_.size() - 1; }
  void Grow();
  void Place(const Entry& entry);  // into a free entry; the table has room
  void Erase(std::size_t at);
  void ReleaseOverflow(Entry& entry);

  std::vector<Entry> entries_;  // power-of-two size, at most half used
  std::size_t used_ = 0;
  std::vector<std::vector<ThreadNode*>> overflow_;
  std::vector<std::uint32_t> free_overflow_;  // reusable overflow_ slots (1-based)
};

}  // namespace thread
