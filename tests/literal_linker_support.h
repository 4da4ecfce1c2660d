#pragma once
// The reference linker for tests and the benchmark: a direct transcription of
// the linking rules as a scan of the list in list order per message (see
// thread/thread_linker.h), quadratic per folder. ThreadLinker must give the
// same list.

#include <string>

#include "thread/thread_linker.h"
#include "thread/thread_node.h"

namespace thread::testing {

// With the subject fallback retry and head maintenance; a null head makes the
// node the head. False when the node was a duplicate and has been freed.
bool LiteralLink(ThreadNode*& head, ThreadNode* node, const LinkOptions& options);

// Test messages.
struct TestMessage {
  std::string Name{};  // up to 8 characters
  std::string MessageId{};
  std::string InReplyTo{};
  std::string LastReference{};
  std::string Subject{};
  bool MlFlag = false;
};
ThreadNode* MakeNode(const TestMessage& message, ThreadNode* beside = nullptr);
// A new node with the same message fields (not the links, Depth or Order).
ThreadNode* CloneMessage(const ThreadNode& node);

// The list as "Name:Depth" items separated by spaces.
std::string Shape(const ThreadNode* head);

}  // namespace thread::testing
