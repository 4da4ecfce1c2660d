#pragma once
// One folder's messages as a doubly linked list in display order: every thread
// root is followed by its replies depth first, and each node carries its
// indentation level (Depth). There is no separate tree; the order of the list
// and the Depth values are the whole thread structure.

#include <array>
#include <cstdint>
#include <string>

#include "thread/index_record.h"

namespace thread {

struct ThreadNode {
  std::string MessageId;      // from Message-ID, without brackets; may be empty
  std::string InReplyTo;      // from In-Reply-To; may be empty
  std::string LastReference;  // last identifier of References; may be empty
  std::string Sender;         // sender text of the index record
  std::string FilePath;       // folder path + delimiter + Name + ".qnm"
  std::string Subject;        // subject text of the index record
  bool MlFlag = false;        // came through a mailing list (X-ML*, X-Sequence, Sender)
  // The decoded status field of the index record (see StatusBytes).
  StatusBytes StatusBlock{};
  std::array<char, 12> Name{};  // the 8-character message name, zero-terminated
  std::int32_t Depth = 0;       // 0 = thread root, n = n levels below its root
  ThreadNode* Next = nullptr;
  ThreadNode* Prev = nullptr;
  // Kept by ThreadLinker while it is attached, meaningless to everyone else:
  // a label that increases along the list, and the node's last reply.
  std::uint64_t Order = 0;
  ThreadNode* LastReply = nullptr;
};

// A node in its initial state (all strings empty, Depth 0, no neighbours).
// Never returns null (allocation failure throws std::bad_alloc).
ThreadNode* NewThreadNode();

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
