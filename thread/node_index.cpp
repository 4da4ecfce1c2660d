#include "thread/node_index.h"

#include <algorithm>

namespace threads {

void NodeIndex::Add(std::uint64_t hash, ThreadNode* node) {
  Bucket& bucket = buckets_[hash];
  if (bucket.first == nullptr) {
    bucket.first = node;
    return;
  }
  if (node->Order < bucket.first->Order) std::swap(node, bucket.first);
  bucket.more.push_back(node);
}

void NodeIndex::Remove(std::uint64_t hash, ThreadNode* node) {
  const auto it = buckets_.find(hash);
  if (it == buckets_.end()) return;
  Bucket& bucket = it->second;
  if (bucket.first != node) {
    const auto found = std::find(bucket.more.begin(), bucket.more.end(), node);
    if (found == bucket.more.end()) return;
    *found = bucket.more.back();
    bucket.more.pop_back();
    return;
  }
  if (bucket.more.empty()) {
    buckets_.erase(it);
    return;
  }
  const auto earliest = std::min_element(bucket.more.begin(), bucket.more.end(),
                                         [](const ThreadNode* a, const ThreadNode* b) { return a->Order < b->Order; });
  bucket.first = *earliest;
  *earliest = bucket.more.back();
  bucket.more.pop_back();
}

}  // namespace threads
