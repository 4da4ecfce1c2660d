#pragma once
// One folder's messages as a doubly linked list in display order: every thread
// root is followed by its replies depth first, and each node carries its
// indentation level (Depth). There is no separate tree; the order of the list
// and the Depth values are the whole thread structure.

//
// Memory: the nodes of a list and all their texts live in one NodeStore, in
// large chunks, instead of one heap block per node and per text. A folder of
// 100,000 messages took about 435 bytes per message in the 32-bit program
// with a heap block per text; in a store, opened through its cache, it takes
// 277 (bench/wine/list_memory under Wine). A full build still leaves 425:
// the heap the header scan used on the way stays committed. Each node points
// to its store and the store lives until its last node is freed, so a node
// may be moved into another list and stays valid.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "thread/index_record.h"

namespace thread {

struct ThreadNode;

// A text of a node: bytes held by the node's store, read as a string_view. It
// is made only by ThreadNode::Keep, so it can never point into a temporary
// string. Copy it only between fields of nodes of one store; for another
// node, Keep the text in that node's store.
class NodeText {
 public:
  NodeText() = default;
  std::string_view view() const { return {data_, size_}; }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  const char* data() const { return data_; }
  friend bool operator==(const NodeText& a, std::string_view b) { return a.view() == b; }

 private:
  friend class NodeStore;
  NodeText(const char* data, std::uint32_t size) : data_(data), size_(size) {}
  const char* data_ = "";
  std::uint32_t size_ = 0;
};

std::ostream& operator<<(std::ostream& out, const NodeText& text);

// The memory of a list's nodes and texts: chunks that are only ever added to.
// A freed node's bytes stay until the whole store goes with its last node.
// Used from one thread at a time.
class NodeStore {
 public:
  NodeStore() = default;
  NodeStore(const NodeStore&) = delete;
  NodeStore& operator=(const NodeStore&) = delete;

  ThreadNode* NewNode();
  NodeText Keep(std::string_view text);
  // The parts one after another as one text, with no string in between.
  NodeText Keep(std::initializer_list<std::string_view> parts);
  // One node of this store has been freed; deletes the store with its last.
  void Release();

 private:
  // Inline: a cached open of 100,000 messages allocates 600,000 times.
  void* Allocate(std::size_t bytes, std::size_t alignment) {
    const std::size_t pad =
        (alignment - reinterpret_cast<std::uintptr_t>(next_) % alignment) % alignment;
    if (next_ == nullptr || pad + bytes > left_) return AllocateInNewChunk(bytes, alignment);
    void* at = next_ + pad;
    next_ += pad + bytes;
    left_ -= pad + bytes;
    return at;
  }
  void* AllocateInNewChunk(std::size_t bytes, std::size_t alignment);

  std::vector<std::unique_ptr<char[]>> chunks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t next_chunk_ = 512;  // doubles up to 64 KB, so a one-node store stays small
  std::size_t nodes_ = 0;
};

struct ThreadNode {
  NodeText MessageId;         // from Message-ID, without brackets; may be empty
  NodeText InReplyTo;         // from In-Reply-To; may be empty
  NodeText LastReference;     // last identifier of References; may be empty
  NodeText Sender;            // sender text of the index record
  NodeText FilePath;          // folder path + delimiter + Name + ".qnm"
  NodeText Subject;           // subject text of the index record
  bool MlFlag = false;        // came through a mailing list (X-ML*, X-Sequence, Sender)
  bool Muted = false;         // in a thread the folder's mute records name (mute_list.h)
  // The decoded status field of the index record (see StatusBytes).
  StatusBytes StatusBlock{};
  std::array<char, 12> Name{};  // the 8-character message name, zero-terminated
  std::int32_t Depth = 0;       // 0 = thread root, n = n levels below its root
  ThreadNode* Next = nullptr;
  ThreadNode* Prev = nullptr;
  // Kept by ThreadLinker while it is attached: a label that increases along
  // the list, and the node's last reply. Once the list is shown, the RowView
  // sets Order to the node's position in the list (row_view.h).
  std::uint64_t Order = 0;
  ThreadNode* LastReply = nullptr;
  NodeStore* Store = nullptr;  // holds this node and its texts

  // A copy of `text` in this node's store, for setting one of its texts.
  NodeText Keep(std::string_view text) { return Store->Keep(text); }
  NodeText Keep(std::initializer_list<std::string_view> parts) { return Store->Keep(parts); }
};

// FilePath := folder_path + delimiter + Name + ".qnm", written straight into
// the node's store.
void SetFilePath(ThreadNode& node, std::string_view folder_path);

// A node in its initial state (all texts empty, Depth 0, no neighbours), in
// the store of `beside` (a node of the list it is made for), or in a new
// store when that is null. Never returns null (allocation failure throws
// std::bad_alloc).
ThreadNode* NewThreadNode(ThreadNode* beside = nullptr);
// Frees one node that is in no list (or has just been unlinked).
void FreeNode(ThreadNode* node);

// Links `node` after `last`, which must be the list's last node.
void AppendNode(ThreadNode* last, ThreadNode* node);
// Links `node` between `anchor` and anchor's old Next.
void InsertAfter(ThreadNode* anchor, ThreadNode* node);
// Links `node` between anchor's old Prev and `anchor`.
void InsertBefore(ThreadNode* anchor, ThreadNode* node);
// Joins node's Prev and Next to each other; the node keeps its own Next and
// Prev values (the caller frees or relinks it).
void UnlinkNode(ThreadNode* node);
// Frees every node from `head` to the end. Null is allowed.
void FreeThreadList(ThreadNode* head);

// Removes `node` from the list that starts at `head` and frees it; its
// subtree (the run of deeper nodes after it) moves up one level so its
// replies take its place. When node was the head, head becomes its Next.
// Used when a cached message has left the folder. Do not use on a list a
// ThreadLinker is attached to: use ThreadLinker::RemoveNodeKeepingReplies.
void RemoveNodeKeepingReplies(ThreadNode*& head, ThreadNode* node);

// Owns a whole list through its head and frees it on destruction.
class ThreadList {
 public:
  ThreadList() = default;
  explicit ThreadList(ThreadNode* head) : head_(head) {}
  ~ThreadList() { FreeThreadList(head_); }
  ThreadList(ThreadList&& other) noexcept : head_(other.Release()) {}
  ThreadList& operator=(ThreadList&& other) noexcept;
  ThreadList(const ThreadList&) = delete;
  ThreadList& operator=(const ThreadList&) = delete;

  ThreadNode* Head() const { return head_; }
  // For the linking calls that move the head (ThreadLinker::Link).
  ThreadNode*& MutableHead() { return head_; }
  bool Empty() const { return head_ == nullptr; }
  // Gives up ownership and returns the head.
  ThreadNode* Release();
  // Frees the current list and takes `head`.
  void Reset(ThreadNode* head = nullptr);

 private:
  ThreadNode* head_ = nullptr;
};

// The flag word of the node's status field, its unread bit, and the clearing
// of that bit alone (see index_record.h).
inline std::uint32_t FlagWord(const ThreadNode& node) { return FlagWord(node.StatusBlock); }
inline bool IsUnread(const ThreadNode& node) { return IsUnread(node.StatusBlock); }
inline void MarkRead(ThreadNode& node) { MarkRead(node.StatusBlock); }

// A date stamp: StatusBlock bytes 8-11, most significant byte first.
using Stamp = std::array<std::uint8_t, 4>;
Stamp DateStamp(const StatusBytes& status_block);
inline Stamp DateStamp(const ThreadNode& node) { return DateStamp(node.StatusBlock); }
// Byte by byte as unsigned bytes: <0, 0 or >0, ordering stamps by value.
int CompareStamps(const Stamp& a, const Stamp& b);

// Checks the list invariants: the head has Depth 0 and no Prev; every Depth is
// >= 0 and at most the previous node's Depth + 1; Next and Prev agree both
// ways; no two non-empty MessageIds are equal ignoring ASCII letter case.
// On failure returns false and, when `why` is not null, says what is wrong.
// An empty list (null head) is valid.
bool CheckThreadListIntegrity(const ThreadNode* head, std::string* why);

}  // namespace thread
