// Reading "VLTR.ume" from arbitrary bytes: never crashes, always gives a list
// that keeps the depth rules, and what it read reads back the same after
// being written.

#include "thread/thread_cache.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Depths and links of the list are consistent.
void CheckShape(const thread::ThreadNode* head) {
  const thread::ThreadNode* previous = nullptr;
  for (const thread::ThreadNode* node = head; node != nullptr; node = node->Next) {
    Require(node->Prev == previous);
    Require(node->Depth >= 0);
    Require(previous == nullptr ? node->Depth == 0 : node->Depth <= previous->Depth + 1);
    previous = node;
  }
}

struct Entry {
  std::string MessageId, InReplyTo, LastReference;
  std::int32_t Depth;
};

std::vector<Entry> Entries(const thread::ThreadNode* head) {
  std::vector<Entry> entries;
  for (const thread::ThreadNode* node = head; node != nullptr; node = node->Next) {
    entries.push_back(
        {node->MessageId.str(), node->InReplyTo.str(), node->LastReference.str(), node->Depth});
  }
  return entries;
}

// Names of exactly 8 characters, as every record of "Entry.lst" has. A shorter
// name (a NUL in the name line) moves the depth when written back; such nodes
// match no index record and never survive the consistency pass.
bool FullNames(const thread::ThreadNode* head) {
  for (const thread::ThreadNode* node = head; node != nullptr; node = node->Next) {
    if (strnlen(node->Name.data(), node->Name.size()) != 8) return false;
  }
  return true;
}

thread::CacheContents Read(const std::string& bytes) {
  return thread::ReadThreadCache(bytes, "dir", nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const thread::CacheContents cache = Read(std::string(reinterpret_cast<const char*>(data), size));
  if (cache.Status != thread::CacheReadStatus::kLoaded) {
    Require(cache.List.Empty());
    return 0;
  }
  CheckShape(cache.List.Head());
  if (!FullNames(cache.List.Head())) return 0;
  const thread::CacheContents again = Read(thread::ThreadCacheText(cache.List.Head()));
  Require(again.Status == thread::CacheReadStatus::kLoaded);
  Require(again.Records == cache.Records);
  const std::vector<Entry> before = Entries(cache.List.Head());
  const std::vector<Entry> after = Entries(again.List.Head());
  for (std::size_t i = 0; i < before.size(); ++i) {
    Require(before[i].MessageId == after[i].MessageId);
    Require(before[i].InReplyTo == after[i].InReplyTo);
    Require(before[i].LastReference == after[i].LastReference);
    Require(before[i].Depth == after[i].Depth);
  }
  return 0;
}
