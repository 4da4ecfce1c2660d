#include "thread/order_labels.h"

#include <cmath>
#include <cstdint>

namespace thread {

namespace {

constexpr int kLabelBits = 63;
constexpr std::uint64_t kLabelLimit = std::uint64_t{1} << kLabelBits;  // labels are below this
// Room left between nodes appended at the end.
constexpr std::uint64_t kAppendStep = std::uint64_t{1} << 32;
// A range of 2^i labels may hold at most (2 / kDensityBase)^i nodes after
// respacing; 1 < kDensityBase < 2.
constexpr double kDensityBase = 1.5;

std::uint64_t PrevLabel(const ThreadNode* node) { return node->Prev != nullptr ? node->Prev->Order : 0; }

// Finds the smallest aligned label range around `node` that holds few enough
// nodes and spreads the nodes in it evenly. `node` is linked but unlabelled.
void Respace(ThreadNode* node) {
  const std::uint64_t anchor = PrevLabel(node);
  ThreadNode* first = node;  // leftmost node in the range
  ThreadNode* last = node;   // rightmost node in the range
  std::uint64_t count = 1;
  for (int level = 1; level <= kLabelBits; ++level) {
    const std::uint64_t size = std::uint64_t{1} << level;
    const std::uint64_t base = anchor & ~(size - 1);
    while (first->Prev != nullptr && first->Prev->Order >= base) {
      first = first->Prev;
      ++count;
    }
    while (last->Next != nullptr && last->Next->Order - base < size) {
      last = last->Next;
      ++count;
    }
    const double allowed = std::pow(2.0 / kDensityBase, level);
    if (level < kLabelBits && static_cast<double>(count) > allowed) continue;
    const std::uint64_t gap = size / count;
    std::uint64_t label = base + gap / 2;
    for (ThreadNode* n = first;; n = n->Next) {
      n->Order = label;
      label += gap;
      if (n == last) break;
    }
    return;
  }
}

}  // namespace

void AssignOrder(ThreadNode* node) {
  const std::uint64_t low = PrevLabel(node);
  if (node->Next == nullptr && kLabelLimit - low > kAppendStep) {
    node->Order = low + kAppendStep;
    return;
  }
  const std::uint64_t high = node->Next != nullptr ? node->Next->Order : kLabelLimit;
  if (high - low >= 2) {
    node->Order = low + (high - low) / 2;
    return;
  }
  Respace(node);
}

void AssignOrderAfter(const ThreadNode* prev, ThreadNode* node) {
  node->Order = (prev != nullptr ? prev->Order : 0) + kAppendStep;
}

}  // namespace thread
