#include "thread/thread_linker.h"

#include <string>
#include <utility>
#include <vector>

#include "thread/identifier_hash.h"
#include "thread/node_index.h"
#include "thread/order_labels.h"
#include "thread/sjis_text.h"
#include "thread/subject_index.h"

namespace thread {

// What the linker knows about the list, kept in step with every change.
struct LinkerState {
  explicit LinkerState(LinkOptions link_options) : options(link_options) {}

  LinkOptions options;
  NodeIndex by_message_id;         // every node with a MessageId
  NodeIndex roots_by_in_reply_to;  // roots with an InReplyTo
  NodeIndex roots_by_reference;    // roots with a LastReference (References on)
  SubjectIndex subjects{false};    // Subject on: nodes without a reply mark
  SubjectIndex tagged_subjects{true};
  ThreadNode* tail = nullptr;      // last node of the list
  // While existing nodes are registered: the latest node at each Depth.
  std::vector<ThreadNode*> latest_at_depth;
};

namespace {

enum class Outcome { kPlaced, kDuplicate, kHeldBack };

ThreadNode* Earlier(ThreadNode* a, ThreadNode* b) {
  if (a == nullptr) return b;
  if (b == nullptr) return a;
  return b->Order < a->Order ? b : a;
}

// The last node of the subtree: down the chain of last replies.
ThreadNode* SubtreeEnd(ThreadNode* node) {
  ThreadNode* end = node;
  while (end->LastReply != nullptr) end = end->LastReply;
  return end;
}

void FileRoot(LinkerState& state, ThreadNode* node) {
  if (!node->InReplyTo.empty()) state.roots_by_in_reply_to.Add(HashIdentifier(node->InReplyTo), node);
  if (state.options.References && !node->LastReference.empty()) {
    state.roots_by_reference.Add(HashIdentifier(node->LastReference), node);
  }
}

void UnfileRoot(LinkerState& state, ThreadNode* node) {
  if (!node->InReplyTo.empty()) state.roots_by_in_reply_to.Remove(HashIdentifier(node->InReplyTo), node);
  if (state.options.References && !node->LastReference.empty()) {
    state.roots_by_reference.Remove(HashIdentifier(node->LastReference), node);
  }
}

bool FiledBySubject(const LinkerState& state, const ThreadNode* node) {
  return state.options.Subject && !HasReplyMark(node->Subject);
}

// Files a labelled node that is in the list with its final fields.
void File(LinkerState& state, ThreadNode* node) {
  if (!node->MessageId.empty()) state.by_message_id.Add(HashIdentifier(node->MessageId), node);
  if (node->Depth == 0) FileRoot(state, node);
  if (FiledBySubject(state, node)) {
    state.subjects.Add(node);
    state.tagged_subjects.Add(node);
  }
}

void Unfile(LinkerState& state, ThreadNode* node) {
  if (!node->MessageId.empty()) state.by_message_id.Remove(HashIdentifier(node->MessageId), node);
  if (node->Depth == 0) UnfileRoot(state, node);
  if (FiledBySubject(state, node)) {
    state.subjects.Remove(node);
    state.tagged_subjects.Remove(node);
  }
}

ThreadNode* FindByMessageId(const LinkerState& state, std::string_view id) {
  return state.by_message_id.Earliest(HashIdentifier(id),
                                      [&](const ThreadNode* c) { return SameIdentifier(c->MessageId, id); });
}

bool SubjectArmed(const LinkOptions& options, const ThreadNode* node) {
  return options.Subject && node->InReplyTo.empty() && node->LastReference.empty() && HasReplyMark(node->Subject);
}

// Rule 2 at `candidate`.
bool IsParentById(const LinkOptions& options, const ThreadNode* candidate, const ThreadNode* node) {
  if (candidate->MessageId.empty()) return false;
  return SameIdentifier(candidate->MessageId, node->InReplyTo) ||
         (options.References && SameIdentifier(candidate->MessageId, node->LastReference));
}

// Rule 3 at `candidate`.
bool AnswersNode(const LinkOptions& options, const ThreadNode* candidate, const ThreadNode* node) {
  if (candidate->Depth != 0) return false;
  return (!candidate->InReplyTo.empty() && SameIdentifier(candidate->InReplyTo, node->MessageId)) ||
         (options.References && !candidate->LastReference.empty() &&
          SameIdentifier(candidate->LastReference, node->MessageId));
}

// The first node in list order that rule 2, 3 or 4 applies to, or null.
ThreadNode* FirstCandidate(const LinkerState& state, const ThreadNode* node) {
  const LinkOptions& options = state.options;
  ThreadNode* first = nullptr;
  if (!node->InReplyTo.empty()) first = Earlier(first, FindByMessageId(state, node->InReplyTo));
  if (options.References && !node->LastReference.empty()) {
    first = Earlier(first, FindByMessageId(state, node->LastReference));
  }
  if (!node->MessageId.empty()) {
    const std::string_view id = node->MessageId;
    const std::uint64_t hash = HashIdentifier(id);
    first = Earlier(first, state.roots_by_in_reply_to.Earliest(
                               hash, [&](const ThreadNode* c) { return SameIdentifier(c->InReplyTo, id); }));
    if (options.References) {
      first = Earlier(first, state.roots_by_reference.Earliest(
                                 hash, [&](const ThreadNode* c) { return SameIdentifier(c->LastReference, id); }));
    }
  }
  if (SubjectArmed(options, node)) {
    const SubjectIndex& subjects = node->MlFlag ? state.tagged_subjects : state.subjects;
    first = Earlier(first, subjects.EarliestContainedIn(node->Subject));
  }
  return first;
}

void AppendRoot(LinkerState& state, ThreadNode* node) {
  node->Depth = 0;
  node->LastReply = nullptr;
  AppendNode(state.tail, node);
  AssignOrder(node);
  state.tail = node;
}

void PlaceAsLastReply(LinkerState& state, ThreadNode* parent, ThreadNode* node) {
  node->Depth = parent->Depth + 1;
  node->LastReply = nullptr;
  InsertAfter(SubtreeEnd(parent), node);
  parent->LastReply = node;
  AssignOrder(node);
  if (node->Next == nullptr) state.tail = node;
}

// `node` becomes the root in front of `root`; `root` and the roots right
// after it that answer `node` by InReplyTo go one level down with their
// subtrees. The first root that does not answer `node` ends the run.
void Adopt(LinkerState& state, ThreadNode* root, ThreadNode* node) {
  node->Depth = 0;
  InsertBefore(root, node);
  AssignOrder(node);
  for (ThreadNode* n = root; n != nullptr; n = n->Next) {
    if (n->Depth == 0) {
      if (n != root && !SameIdentifier(n->InReplyTo, node->MessageId)) break;
      UnfileRoot(state, n);
      node->LastReply = n;
    }
    n->Depth += 1;
  }
}

// One linking attempt. The placed node is not filed: its caller files it
// once its identifiers are final.
Outcome Place(LinkerState& state, ThreadNode* node) {
  if (!node->MessageId.empty() && FindByMessageId(state, node->MessageId) != nullptr) {
    FreeNode(node);
    return Outcome::kDuplicate;
  }
  ThreadNode* target = FirstCandidate(state, node);
  if (target == nullptr) {
    if (state.options.Subject && (!node->InReplyTo.empty() || !node->LastReference.empty()) &&
        HasReplyMark(node->Subject)) {
      return Outcome::kHeldBack;
    }
    AppendRoot(state, node);
    return Outcome::kPlaced;
  }
  // At the first node any rule applies to, the rules go in their order
  // (duplicates are out already; a subject match is the last rule).
  if (IsParentById(state.options, target, node)) {
    PlaceAsLastReply(state, target, node);
  } else if (AnswersNode(state.options, target, node)) {
    Adopt(state, target, node);
  } else {
    PlaceAsLastReply(state, target, node);
  }
  return Outcome::kPlaced;
}

}  // namespace

ThreadLinker::ThreadLinker(LinkOptions options) : state_(std::make_unique<LinkerState>(options)) {}

ThreadLinker::~ThreadLinker() = default;

void ThreadLinker::AddExisting(ThreadNode* node) {
  LinkerState& state = *state_;
  std::vector<ThreadNode*>& latest = state.latest_at_depth;
  if (node->Depth < 0) node->Depth = 0;
  if (static_cast<std::size_t>(node->Depth) > latest.size()) node->Depth = static_cast<std::int32_t>(latest.size());
  const std::size_t depth = static_cast<std::size_t>(node->Depth);
  if (depth > 0) latest[depth - 1]->LastReply = node;
  latest.resize(depth + 1);
  latest[depth] = node;
  node->LastReply = nullptr;
  AssignOrderAfter(state.tail, node);
  state.tail = node;
  File(state, node);
}

bool ThreadLinker::Link(ThreadNode*& head, ThreadNode* node) {
  if (head == nullptr) {
    node->Depth = 0;
    node->Prev = nullptr;
    node->Next = nullptr;
    head = node;
    state_->tail = nullptr;
    state_->latest_at_depth.clear();
    AddExisting(node);
    return true;
  }
  Outcome outcome = Place(*state_, node);
  if (outcome == Outcome::kHeldBack) {
    // Retry with the identifiers set aside so the subject rule can place the
    // node; they are put back for later adoptions and the cache.
    const NodeText in_reply_to = std::exchange(node->InReplyTo, NodeText());
    const NodeText last_reference = std::exchange(node->LastReference, NodeText());
    outcome = Place(*state_, node);
    node->InReplyTo = in_reply_to;
    node->LastReference = last_reference;
  }
  if (outcome == Outcome::kDuplicate) return false;
  File(*state_, node);
  if (head->Prev != nullptr) head = head->Prev;
  return true;
}

bool ThreadLinker::LinkThreadNode(ThreadNode* node) {
  const Outcome outcome = Place(*state_, node);
  if (outcome == Outcome::kPlaced) File(*state_, node);
  return outcome != Outcome::kHeldBack;
}

void ThreadLinker::RemoveNodeKeepingReplies(ThreadNode*& head, ThreadNode* node) {
  LinkerState& state = *state_;
  Unfile(state, node);
  if (state.tail == node) state.tail = node->Prev;
  if (node->Depth == 0) {
    // The replies of a removed root become roots.
    for (ThreadNode* n = node->Next; n != nullptr && n->Depth > 0; n = n->Next) {
      if (n->Depth == 1) FileRoot(state, n);
    }
  } else {
    // The node's replies take its place under its parent; when it was the
    // parent's last reply, its own last reply or else its previous sibling
    // becomes the parent's last reply.
    ThreadNode* parent = node->Prev;
    ThreadNode* sibling = nullptr;
    for (; parent->Depth >= node->Depth; parent = parent->Prev) {
      if (parent->Depth == node->Depth && sibling == nullptr) sibling = parent;
    }
    if (parent->LastReply == node) parent->LastReply = node->LastReply != nullptr ? node->LastReply : sibling;
  }
  thread::RemoveNodeKeepingReplies(head, node);
}

}  // namespace thread
