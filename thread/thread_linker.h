#pragma once
// Places new messages into a folder's thread list.
//
// For a new node N the list is searched in list order for the first node C to
// which one of these rules applies, tried in this order at each node:
//   1. duplicate: C.MessageId is non-empty and equals N.MessageId: N is freed;
//   2. parent: C.MessageId is non-empty and equals N.InReplyTo (or, with
//      References on, N.LastReference): N becomes C's last reply;
//   3. adoption: C is a root whose InReplyTo (or, with References on,
//      LastReference) is non-empty and equals N.MessageId: N becomes the root
//      in front of C; C and the roots right after it (with their subtrees)
//      that answer N by InReplyTo go one level down under N;
//   4. subject (Subject on, N has neither InReplyTo nor LastReference, and N's
//      subject has a reply mark): C's subject has no reply mark and its
//      SubjectKey (list tag skipped when N.MlFlag) occurs in N's subject: N
//      becomes C's last reply.
// When no node applies, N is appended as a new root, except that with Subject
// on a node with an identifier link and a reply mark is held back; Link then
// retries it with its identifiers set aside (so rule 4 can place it) and puts
// them back afterwards. Identifiers are compared ignoring ASCII letter case.
//
// One difference from a plain scan in list order: a node whose MessageId is
// already anywhere in the list is always dropped as a duplicate, even when a
// node before the existing one would take it by rule 2, 3 or 4; otherwise the
// list would hold the same message twice.
//
// The linker keeps hash indexes and order labels so that linking a whole
// folder takes near-linear time, and gives exactly the list that the search
// in list order gives.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "thread/thread_node.h"

namespace thread {

struct LinkerState;

struct LinkOptions {
  bool References = false;  // also link through LastReference
  bool Subject = false;     // subject fallback for replies without usable links
};

class ThreadLinker {
 public:
  explicit ThreadLinker(LinkOptions options);
  ~ThreadLinker();
  ThreadLinker(const ThreadLinker&) = delete;
  ThreadLinker& operator=(const ThreadLinker&) = delete;

  // Registers a node that is already in the list. Call it for every node of
  // an existing list, in list order, before the first Link. A Depth outside
  // 0 .. previous Depth + 1 (a damaged cache) is clamped into that range so
  // the list keeps its invariants. While the linker is attached, the list
  // may change only through Link and RemoveNodeKeepingReplies, and the
  // registered nodes' MessageId, InReplyTo, LastReference and Subject must
  // not change.
  void AddExisting(ThreadNode* node);

  // Links a new node (Depth 0, in no list) into the list that starts at
  // `head`, with the subject fallback retry and head maintenance. A null head
  // makes the node the head. Returns false when the node was a duplicate and
  // has been freed; true when it is in the list.
  bool Link(ThreadNode*& head, ThreadNode* node);

  // One linking attempt into the (non-empty) list, without the retry or head
  // maintenance: true when the node was placed or freed as a duplicate, false
  // when it was held back for the subject fallback (it is then in no list).
  // The caller moves its head back when the node went in front of it.
  bool LinkThreadNode(ThreadNode* node);

  // Removes and frees `node` as thread::RemoveNodeKeepingReplies does (its
  // subtree moves up one level, head moves on when node was the head) and
  // keeps the indexes right.
  void RemoveNodeKeepingReplies(ThreadNode*& head, ThreadNode* node);

 private:
  std::unique_ptr<LinkerState> state_;
};

}  // namespace thread
