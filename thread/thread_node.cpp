#include "thread/thread_node.h"

#include <unordered_set>

#include "thread/identifier_hash.h"

namespace thread {

ThreadNode* NewThreadNode() { return new ThreadNode(); }

void AppendNode(ThreadNode* last, ThreadNode* node) {
  last->Next = node;
  node->Prev = last;
  node->Next = nullptr;
}

void InsertAfter(ThreadNode* anchor, ThreadNode* node) {
  node->Prev = anchor;
  node->Next = anchor->Next;
  if (anchor->Next != nullptr) anchor->Next->Prev = node;
  anchor->Next = node;
}

void InsertBefore(ThreadNode* anchor, ThreadNode* node) {
  node->Next = anchor;
  node->Prev = anchor->Prev;
  if (anchor->Prev != nullptr) anchor->Prev->Next = node;
  anchor->Prev = node;
}

void UnlinkNode(ThreadNode* node) {
  if (node->Prev != nullptr) node->Prev->Next = node->Next;
  if (node->Next != nullptr) node->Next->Prev = node->Prev;
}

void FreeThreadList(ThreadNode* head) {
  while (head != nullptr) {
    ThreadNode* next = head->Next;
    delete head;
    head = next;
  }
}

void RemoveNodeKeepingReplies(ThreadNode*& head, ThreadNode* node) {
  for (ThreadNode* n = node->Next; n != nullptr && n->Depth > node->Depth; n = n->Next) {
    n->Depth -= 1;
  }
  UnlinkNode(node);
  if (node == head) head = node->Next;
  delete node;
}

ThreadList& ThreadList::operator=(ThreadList&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

ThreadNode* ThreadList::Release() {
  ThreadNode* head = head_;
  head_ = nullptr;
  return head;
}

void ThreadList::Reset(ThreadNode* head) {
  FreeThreadList(head_);
  head_ = head;
}

Stamp DateStamp(const StatusBytes& status_block) {
  return {status_block[8], status_block[9], status_block[10], status_block[11]};
}

int CompareStamps(const Stamp& a, const Stamp& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

namespace {

bool Fail(std::string* why, std::size_t position, const char* what) {
  if (why != nullptr) *why = "node " + std::to_string(position) + ": " + what;
  return false;
}

}  // namespace

bool CheckThreadListIntegrity(const ThreadNode* head, std::string* why) {
  if (head == nullptr) return true;
  if (head->Prev != nullptr) return Fail(why, 0, "head has a Prev");
  if (head->Depth != 0) return Fail(why, 0, "head Depth is not 0");
  std::unordered_set<std::string> ids;
  std::size_t position = 0;
  for (const ThreadNode* n = head; n != nullptr; n = n->Next, ++position) {
    if (n->Depth < 0) return Fail(why, position, "negative Depth");
    if (n->Prev != nullptr && n->Depth > n->Prev->Depth + 1) {
      return Fail(why, position, "Depth more than one below the previous node");
    }
    if (n->Next != nullptr && n->Next->Prev != n) return Fail(why, position, "Next->Prev does not point back");
    if (n->Prev != nullptr && n->Prev->Next != n) return Fail(why, position, "Prev->Next does not point back");
    if (!n->MessageId.empty() && !ids.insert(FoldIdentifier(n->MessageId)).second) {
      return Fail(why, position, "duplicate MessageId");
    }
  }
  return true;
}

}  // namespace thread
