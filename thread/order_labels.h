#pragma once
// Order labels for a thread list: ThreadNode::Order increases along the list,
// so "which of two nodes comes first" is one comparison. New nodes take a
// label between their neighbours'; when there is no room, the smallest
// enclosing label range that is sparse enough is spread out evenly again
// (the list-labelling scheme of Bender et al.), which costs O(log n) amortised
// per insertion.

#include "thread/thread_node.h"

namespace thread {

// Labels `node`, which has just been linked into a list whose other nodes are
// labelled (its Prev and Next, when present, carry labels in order).
void AssignOrder(ThreadNode* node);

// Labels `node`, whose predecessor `prev` (null for the first node) is already
// labelled, ignoring whatever follows it. For registering an existing list in
// order.
void AssignOrderAfter(const ThreadNode* prev, ThreadNode* node);

}  // namespace thread
