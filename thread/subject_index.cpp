#include "thread/subject_index.h"

#include <algorithm>

#include "thread/identifier_hash.h"
#include "thread/sjis_text.h"

namespace thread {

std::string_view SubjectIndex::KeyOf(const ThreadNode* node) const {
  return SubjectKey(node->Subject, skip_list_tag_);
}

void SubjectIndex::Add(ThreadNode* node) {
  const std::string_view key = KeyOf(node);
  if (key.empty()) return;
  keys_.Add(HashBytes(key), node);
  CountLength(key, true);
}

void SubjectIndex::Remove(ThreadNode* node) {
  const std::string_view key = KeyOf(node);
  if (key.empty()) return;
  keys_.Remove(HashBytes(key), node);
  CountLength(key, false);
}

void SubjectIndex::CountLength(std::string_view key, bool add) {
  if (key.size() < kAnchorLength) {
    std::size_t& count = short_keys_[key.size()];
    if (add) {
      ++count;
    } else if (count > 0) {
      --count;
    }
    return;
  }
  const std::uint64_t anchor = HashBytes(key.substr(0, kAnchorLength));
  LengthCounts& lengths = anchors_[anchor];
  auto it = std::find_if(lengths.begin(), lengths.end(), [&](const auto& entry) { return entry.first == key.size(); });
  if (add) {
    if (it == lengths.end()) {
      lengths.emplace_back(key.size(), 1);
    } else {
      ++it->second;
    }
    return;
  }
  if (it == lengths.end()) return;
  if (--it->second == 0) {
    *it = lengths.back();
    lengths.pop_back();
    if (lengths.empty()) anchors_.erase(anchor);
  }
}

ThreadNode* SubjectIndex::EarliestContainedIn(std::string_view text) const {
  const SubstringHasher hasher(text);
  ThreadNode* best = nullptr;
  const auto consider = [&](std::size_t pos, std::size_t length) {
    const std::string_view slice = text.substr(pos, length);
    ThreadNode* node =
        keys_.Earliest(hasher.Hash(pos, length), [&](const ThreadNode* n) { return KeyOf(n) == slice; });
    if (node != nullptr && (best == nullptr || node->Order < best->Order)) best = node;
  };
  for (std::size_t pos = 0; pos < text.size(); pos += SjisCharLength(text, pos)) {
    const std::size_t remaining = text.size() - pos;
    for (std::size_t length = 1; length < kAnchorLength && length <= remaining; ++length) {
      if (short_keys_[length] > 0) consider(pos, length);
    }
    if (remaining < kAnchorLength) continue;
    const auto it = anchors_.find(hasher.Hash(pos, kAnchorLength));
    if (it == anchors_.end()) continue;
    for (const auto& [length, keys] : it->second) {
      if (length <= remaining) consider(pos, length);
    }
  }
  return best;
}

}  // namespace thread
