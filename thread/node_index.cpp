#include "thread/node_index.h"

#include <algorithm>
#include <utility>

namespace thread {

std::size_t NodeIndex::Find(std::uint64_t hash) const {
  if (entries_.empty()) return kNone;
  for (std::size_t at = static_cast<std::size_t>(hash) & Mask();; at = (at + 1) & Mask()) {
    if (entries_[at].first == nullptr) return kNone;
    if (entries_[at].hash == hash) return at;
  }
}

void NodeIndex::Grow() {
  std::vector<Entry> old = std::move(entries_);
  entries_.assign(std::max<std::size_t>(16, old.size() * 2), Entry{});
  for (const Entry& entry : old) {
    if (entry.first != nullptr) Place(entry);
  }
}

void NodeIndex::Place(const Entry& entry) {
  std::size_t at = static_cast<std::size_t>(entry.hash) & Mask();
  while (entries_[at].first != nullptr) at = (at + 1) & Mask();
  entries_[at] = entry;
}

void NodeIndex::Add(std::uint64_t hash, ThreadNode* node) {
  const std::size_t at = Find(hash);
  if (at == kNone) {
    if (2 * (used_ + 1) > entries_.size()) Grow();
    Place({hash, node, 0});
    ++used_;
    return;
  }
  Entry& entry = entries_[at];
  if (node->Order < entry.first->Order) std::swap(node, entry.first);
  if (entry.more == 0) {
    if (free_overflow_.empty()) {
      overflow_.emplace_back();
      entry.more = static_cast<std::uint32_t>(overflow_.size());
    } else {
      entry.more = free_overflow_.back();
      free_overflow_.pop_back();
    }
  }
  overflow_[entry.more - 1].push_back(node);
}

void NodeIndex::Remove(std::uint64_t hash, ThreadNode* node) {
  const std::size_t at = Find(hash);
  if (at == kNone) return;
  Entry& entry = entries_[at];
  if (entry.first == node && entry.more == 0) {
    Erase(at);
    return;
  }
  if (entry.more == 0) return;
  std::vector<ThreadNode*>& others = overflow_[entry.more - 1];
  auto victim = others.end();
  if (entry.first == node) {
    // The earliest of the others moves up.
    victim = std::min_element(others.begin(), others.end(),
                              [](const ThreadNode* a, const ThreadNode* b) { return a->Order < b->Order; });
    entry.first = *victim;
  } else {
    victim = std::find(others.begin(), others.end(), node);
    if (victim == others.end()) return;
  }
  *victim = others.back();
  others.pop_back();
  if (others.empty()) ReleaseOverflow(entry);
}

void NodeIndex::ReleaseOverflow(Entry& entry) {
  free_overflow_.push_back(entry.more);
  entry.more = 0;
}

// Linear-probing deletion: entries after the hole that would no longer be
// reachable from their home slot move back into it.
void NodeIndex::Erase(std::size_t at) {
  std::size_t hole = at;
  for (std::size_t next = (hole + 1) & Mask(); entries_[next].first != nullptr; next = (next + 1) & Mask()) {
    const std::size_t home = static_cast<std::size_t>(entries_[next].hash) & Mask();
    // Distance from home to its current place versus to the hole.
    if (((next - home) & Mask()) >= ((next - hole) & Mask())) {
      entries_[hole] = entries_[next];
      hole = next;
    }
  }
  entries_[hole] = Entry{};
  --used_;
}

}  // namespace thread
