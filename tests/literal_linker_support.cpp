#include "tests/literal_linker_support.h"

#include <string>
#include <utility>

#include "thread/identifier_hash.h"
#include "thread/sjis_text.h"

namespace thread::testing {

namespace {

enum class Result { kPlaced, kDropped, kHeldBack };

ThreadNode* EndOfSubtree(ThreadNode* node) {
  ThreadNode* end = node;
  while (end->Next != nullptr && end->Next->Depth > node->Depth) end = end->Next;
  return end;
}

void PlaceAsLastReply(ThreadNode* parent, ThreadNode* node) {
  node->Depth = parent->Depth + 1;
  InsertAfter(EndOfSubtree(parent), node);
}

Result LinkOnce(ThreadNode* head, ThreadNode* node, const LinkOptions& options) {
  const bool armed = options.Subject && node->InReplyTo.empty() && node->LastReference.empty() &&
                     HasReplyMark(node->Subject);

  // Rule 1 looks at the whole list first: a message already in the list is
  // never linked a second time.
  for (ThreadNode* c = head; c != nullptr; c = c->Next) {
    if (!c->MessageId.empty() && SameIdentifier(c->MessageId, node->MessageId)) {
      FreeNode(node);
      return Result::kDropped;
    }
  }

  ThreadNode* last = head;
  for (ThreadNode* c = head; c != nullptr; c = c->Next) {
    last = c;
    // Rule 2: parent by identifier.
    if (!c->MessageId.empty() && (SameIdentifier(c->MessageId, node->InReplyTo) ||
                                  (options.References && SameIdentifier(c->MessageId, node->LastReference)))) {
      PlaceAsLastReply(c, node);
      return Result::kPlaced;
    }
    // Rule 3: adoption of an earlier root.
    if (c->Depth == 0 && ((!c->InReplyTo.empty() && SameIdentifier(c->InReplyTo, node->MessageId)) ||
                          (options.References && !c->LastReference.empty() &&
                           SameIdentifier(c->LastReference, node->MessageId)))) {
      InsertBefore(c, node);
      node->Depth = 0;
      c->Depth += 1;
      for (ThreadNode* n = c->Next; n != nullptr; n = n->Next) {
        if (n->Depth == 0 && !SameIdentifier(n->InReplyTo, node->MessageId)) break;
        n->Depth += 1;
      }
      return Result::kPlaced;
    }
    // Rule 4: subject match.
    if (armed && !HasReplyMark(c->Subject) && SjisContains(node->Subject, SubjectKey(c->Subject, node->MlFlag))) {
      PlaceAsLastReply(c, node);
      return Result::kPlaced;
    }
  }

  if (options.Subject && (!node->InReplyTo.empty() || !node->LastReference.empty()) &&
      HasReplyMark(node->Subject)) {
    return Result::kHeldBack;
  }
  node->Depth = 0;
  AppendNode(last, node);
  return Result::kPlaced;
}

}  // namespace

bool LiteralLink(ThreadNode*& head, ThreadNode* node, const LinkOptions& options) {
  if (head == nullptr) {
    node->Depth = 0;
    head = node;
    return true;
  }
  Result result = LinkOnce(head, node, options);
  if (result == Result::kHeldBack) {
    const thread::NodeText in_reply_to = std::exchange(node->InReplyTo, thread::NodeText());
    const thread::NodeText last_reference = std::exchange(node->LastReference, thread::NodeText());
    result = LinkOnce(head, node, options);
    node->InReplyTo = in_reply_to;
    node->LastReference = last_reference;
  }
  if (head->Prev != nullptr) head = head->Prev;
  return result != Result::kDropped;
}

ThreadNode* MakeNode(const TestMessage& message, ThreadNode* beside) {
  ThreadNode* node = NewThreadNode(beside);
  message.Name.copy(node->Name.data(), 8);
  node->MessageId = node->Keep(message.MessageId);
  node->InReplyTo = node->Keep(message.InReplyTo);
  node->LastReference = node->Keep(message.LastReference);
  node->Subject = node->Keep(message.Subject);
  node->MlFlag = message.MlFlag;
  return node;
}

ThreadNode* CloneMessage(const ThreadNode& node) {
  ThreadNode* copy = NewThreadNode();
  copy->MessageId = copy->Keep(node.MessageId);
  copy->InReplyTo = copy->Keep(node.InReplyTo);
  copy->LastReference = copy->Keep(node.LastReference);
  copy->Sender = copy->Keep(node.Sender);
  copy->FilePath = copy->Keep(node.FilePath);
  copy->Subject = copy->Keep(node.Subject);
  copy->MlFlag = node.MlFlag;
  copy->StatusBlock = node.StatusBlock;
  copy->Name = node.Name;
  return copy;
}

std::string Shape(const ThreadNode* head) {
  std::string shape;
  for (const ThreadNode* n = head; n != nullptr; n = n->Next) {
    if (!shape.empty()) shape += ' ';
    shape += n->Name.data();
    shape += ':' + std::to_string(n->Depth);
  }
  return shape;
}

}  // namespace thread::testing
