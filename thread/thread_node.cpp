#include "thread/thread_node.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <ostream>
#include <type_traits>
#include <unordered_set>

#include "mailbox/client_files.h"
#include "platform/files.h"
#include "thread/identifier_hash.h"

namespace thread {

namespace {

// Chunks grow to 64 KB: large enough that the heap's own overhead per chunk is
// nothing, small enough that a folder's last chunk wastes little.
constexpr std::size_t kMaxChunk = 64 * 1024;

}  // namespace

std::ostream& operator<<(std::ostream& out, const NodeText& text) { return out << text.view(); }

void* NodeStore::AllocateInNewChunk(std::size_t bytes, std::size_t alignment) {
  const std::size_t size = std::max(next_chunk_, bytes + alignment);
  next_chunk_ = std::min(next_chunk_ * 2, kMaxChunk);
  chunks_.emplace_back(new char[size]);  // not zeroed: zeroing took 8% of a cached open
  next_ = chunks_.back().get();
  left_ = size;
  return Allocate(bytes, alignment);
}

ThreadNode* NodeStore::NewNode() {
  ThreadNode* node = new (Allocate(sizeof(ThreadNode), alignof(ThreadNode))) ThreadNode();
  node->Store = this;
  ++nodes_;
  return node;
}

NodeText NodeStore::Keep(std::string_view text) {
  if (text.empty()) return NodeText();
  char* bytes = static_cast<char*>(Allocate(text.size(), 1));
  std::memcpy(bytes, text.data(), text.size());
  return NodeText(bytes, static_cast<std::uint32_t>(text.size()));
}

NodeText NodeStore::Keep(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  if (size == 0) return NodeText();
  char* bytes = static_cast<char*>(Allocate(size, 1));
  char* at = bytes;
  for (std::string_view part : parts) {
    if (part.empty()) continue;  // its data may be null, which memcpy must not get
    std::memcpy(at, part.data(), part.size());
    at += part.size();
  }
  return NodeText(bytes, static_cast<std::uint32_t>(size));
}

void SetFilePath(ThreadNode& node, std::string_view folder_path) {
  const std::string_view name(node.Name.data(), strnlen(node.Name.data(), node.Name.size()));
  node.FilePath =
      node.Keep({folder_path, {&platform::kPathDelimiter, 1}, name, mailbox::kMessageExtension});
}

void NodeStore::Release() {
  if (--nodes_ == 0) delete this;
}

ThreadNode* NewThreadNode(ThreadNode* beside) {
  NodeStore* store = beside != nullptr ? beside->Store : new NodeStore();
  return store->NewNode();
}

// A node's bytes are simply left in the store: nothing in it needs a destructor.
static_assert(std::is_trivially_destructible_v<ThreadNode>);
void FreeNode(ThreadNode* node) { node->Store->Release(); }

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
    FreeNode(head);
    head = next;
  }
}

void RemoveNodeKeepingReplies(ThreadNode*& head, ThreadNode* node) {
  for (ThreadNode* n = node->Next; n != nullptr && n->Depth > node->Depth; n = n->Next) {
    n->Depth -= 1;
  }
  UnlinkNode(node);
  if (node == head) head = node->Next;
  FreeNode(node);
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
    if (!n->MessageId.empty() && !ids.insert(FoldIdentifier(n->MessageId.view())).second) {
      return Fail(why, position, "duplicate MessageId");
    }
  }
  return true;
}

}  // namespace thread
