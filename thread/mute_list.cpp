#include "thread/mute_list.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/files.h"
#include "platform/text_bytes.h"
#include "thread/catch_up.h"
#include "thread/identifier_hash.h"

namespace thread {

namespace {

constexpr char kFolderSettingsFile[] = "VLTR.fol";
constexpr char kVersionKey[] = "Version";

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= 0x20; }

bool IsRecordKey(std::string_view key) {
  if (key.size() != 17 || (key[0] != 'T' && key[0] != 't')) return false;
  for (char c : key.substr(1)) {
    if (!std::strchr("0123456789abcdefABCDEF", c) || c == '\0') return false;
  }
  return true;
}

std::string RecordKey(std::string_view token) {
  char key[20];
  std::snprintf(key, sizeof key, "T%016llx",
                static_cast<unsigned long long>(HashIdentifier(token)));
  return key;
}

std::string JoinTokens(const std::vector<std::string>& tokens) {
  std::string value;
  for (const std::string& token : tokens) {
    if (!value.empty()) value += ' ';
    value += token;
  }
  return value;
}

// The exact hash of a token: FNV-1a over the ASCII-lowered bytes, with no
// string made.
std::uint64_t TokenHash(std::string_view token) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (char c : token) {
    const auto byte = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    hash = (hash ^ byte) * 0x100000001b3ull;
  }
  return hash;
}

// Showing a folder looks up every message's identifier, and most are of no
// muted thread. A byte at a time, the exact hash cost 3 ms for 100,000
// messages, a tenth of the open. This print, which only the filter uses,
// reads three words (the first, middle and last eight bytes) and the length:
// identifiers that differ elsewhere only share a slot and cost the exact
// look-up. Each byte is folded with 0x20, which lowers "A"-"Z" (and merges a
// few other pairs: the filter needs only that identifiers equal ignoring case
// agree).
std::uint64_t PrintOf(std::string_view token) {
  constexpr std::uint64_t kFold = 0x2020202020202020ull;
  const std::size_t size = token.size();
  const auto word = [&](std::size_t at) {
    std::uint64_t w = 0;
    // Eight bytes are there from every place read in a token of eight or
    // more: one load each.
    if (size >= 8) {
      std::memcpy(&w, token.data() + at, 8);
    } else {
      std::memcpy(&w, token.data() + at, size - at);
    }
    return w | kFold;
  };
  const std::size_t last = size > 8 ? size - 8 : 0;
  std::uint64_t hash = (word(0) * 0x9e3779b97f4a7c15ull) ^
                       (word(last / 2) * 0xc2b2ae3d27d4eb4full) ^
                       (word(last) * 0xff51afd7ed558ccdull) ^ size;
  hash ^= hash >> 29;
  hash *= 0xbf58476d1ce4e5b9ull;
  return hash ^ (hash >> 32);
}

// The node's token, in `name` when it is made from the name.
std::string_view TokenOf(const ThreadNode& node, std::array<char, 16>& name) {
  const std::string_view id = node.MessageId.view();
  bool usable = !id.empty() && id.front() != '<';
  for (char c : id) usable = usable && !IsSeparator(c);
  if (usable) return id;
  const std::size_t length = strnlen(node.Name.data(), node.Name.size());
  name[0] = '<';
  std::copy_n(node.Name.data(), length, name.begin() + 1);
  return {name.data(), length + 1};
}

}  // namespace

std::string MuteToken(const ThreadNode& node) {
  std::array<char, 16> name;
  return std::string(TokenOf(node, name));
}

ThreadNode* ThreadRoot(ThreadNode* node) {
  while (node->Depth > 0 && node->Prev != nullptr) node = node->Prev;
  return node;
}

ThreadNode* ThreadEnd(ThreadNode* root) {
  ThreadNode* node = root->Next;
  while (node != nullptr && node->Depth > 0) node = node->Next;
  return node;
}

MuteList::MuteList(const settings::IniText& text) {
  text.ForEachKey(kMuteSection, [this](std::string_view key, std::string_view value) {
    if (platform::EqualsIgnoringAsciiCase(key, kVersionKey)) has_version_ = true;
    if (!IsRecordKey(key)) return;
    MuteRecord record;
    record.Key = std::string(key);
    std::size_t at = 0;
    while (at < value.size()) {
      while (at < value.size() && IsSeparator(value[at])) ++at;
      std::size_t end = at;
      while (end < value.size() && !IsSeparator(value[end])) ++end;
      if (end > at) record.Tokens.emplace_back(value.substr(at, end - at));
      at = end;
    }
    if (!record.Tokens.empty()) AddRecord(std::move(record));
  });
}

MuteList MuteList::Read(const std::string& folder_path) {
  const settings::IniReader in(platform::JoinPath(folder_path, kFolderSettingsFile));
  return MuteList(in.Text());
}

int MuteList::Find(std::string_view token) const {
  if (!MayHold(PrintOf(token))) return -1;
  return Find(token, TokenHash(token));
}

// The identifier's print answers most nodes. Only one it may hold, or a node
// whose token may be its name (its identifier empty or no token) when some
// record holds a name, needs the token itself.
int MuteList::Find(const ThreadNode& node) const {
  const std::string_view id = node.MessageId.view();
  if (!holds_names_ && !id.empty() && !MayHold(PrintOf(id))) return -1;
  std::array<char, 16> name;
  return Find(TokenOf(node, name));
}

bool MuteList::MayHold(std::uint64_t print) const {
  return (filter_[(print >> 6) % kFilterWords] & (std::uint64_t{1} << (print & 63))) != 0;
}

int MuteList::Find(std::string_view token, std::uint64_t hash) const {
  const auto found = by_token_.find(hash);
  if (found == by_token_.end()) return -1;
  // Tell a 64-bit collision from the token itself.
  const std::vector<std::string>& tokens = records_[found->second.record].Tokens;
  if (found->second.token >= tokens.size()) return -1;  // its record was taken out
  return SameIdentifier(tokens[found->second.token], token) ? static_cast<int>(found->second.record)
                                                            : -1;
}

void MuteList::Index(int record, const std::string& token) {
  const auto index =
      static_cast<std::uint32_t>(records_[static_cast<std::size_t>(record)].Tokens.size());
  Remember(token, TokenAt{static_cast<std::uint32_t>(record), index});
}

void MuteList::Remember(std::string_view token, TokenAt at) {
  const std::uint64_t print = PrintOf(token);
  if (!token.empty() && token.front() == '<') holds_names_ = true;
  filter_[(print >> 6) % kFilterWords] |= std::uint64_t{1} << (print & 63);
  by_token_.emplace(TokenHash(token), at);
}

void MuteList::AddRecord(MuteRecord record) {
  // A key read twice (two windows' records of one thread) is one record.
  const auto [at, added] =
      by_key_.emplace(FoldIdentifier(record.Key), static_cast<int>(records_.size()));
  if (!added) {
    for (std::string& token : record.Tokens) {
      if (Find(token) >= 0) continue;
      Index(at->second, token);
      records_[static_cast<std::size_t>(at->second)].Tokens.push_back(std::move(token));
    }
    return;
  }
  const auto index = static_cast<std::uint32_t>(records_.size());
  for (std::uint32_t t = 0; t < record.Tokens.size(); ++t) {
    Remember(record.Tokens[t], TokenAt{index, t});
  }
  records_.push_back(std::move(record));
  ++live_;
}

std::vector<MuteRecord> MuteList::Apply(ThreadNode* head) {
  MuteMarker marker(*this);
  for (ThreadNode* node = head; node != nullptr; node = node->Next) marker.Add(node);
  return marker.Finish();
}

void MuteMarker::Add(ThreadNode* node) {
  if (root_ == nullptr || node->Depth <= 0) {
    EndThread();
    root_ = node;
  }
  if (list_.live_ == 0) {
    node->Muted = false;
    return;
  }
  if (record_ >= 0) {
    Join(node);
    return;
  }
  // Written only when set: most nodes are not muted, and their memory stays
  // clean.
  if (node->Muted) node->Muted = false;
  record_ = list_.Find(*node);
  if (record_ < 0) return;
  // The thread's messages up to this one join the record too.
  had_ = list_.records_[static_cast<std::size_t>(record_)].Tokens.size();
  for (ThreadNode* at = root_; at != node; at = at->Next) Join(at);
  Join(node);
}

void MuteMarker::Join(ThreadNode* node) {
  node->Muted = true;
  std::array<char, 16> name;
  const std::string_view token = TokenOf(*node, name);
  if (list_.Find(token) >= 0) return;
  const std::string copy(token);
  list_.Index(record_, copy);
  list_.records_[static_cast<std::size_t>(record_)].Tokens.push_back(copy);
}

void MuteMarker::EndThread() {
  if (record_ >= 0) {
    const MuteRecord& held = list_.records_[static_cast<std::size_t>(record_)];
    if (held.Tokens.size() > had_) grown_.push_back(held);
  }
  record_ = -1;
}

std::vector<MuteRecord> MuteMarker::Finish() {
  EndThread();
  root_ = nullptr;
  return std::move(grown_);
}

MuteRecord MuteList::Mute(ThreadNode* node) {
  ThreadNode* const root = ThreadRoot(node);
  ThreadNode* const end = ThreadEnd(root);
  if (root->Muted) return {};
  MuteRecord record;
  for (ThreadNode* n = root; n != end; n = n->Next) {
    n->Muted = true;
    record.Tokens.push_back(MuteToken(*n));
  }
  record.Key = RecordKey(record.Tokens.front());
  AddRecord(record);
  return record;
}

std::vector<std::string> MuteList::Unmute(ThreadNode* node) {
  ThreadNode* const root = ThreadRoot(node);
  ThreadNode* const end = ThreadEnd(root);
  std::vector<std::string> keys;
  for (ThreadNode* n = root; n != end; n = n->Next) {
    n->Muted = false;
    const int found = Find(MuteToken(*n));
    if (found >= 0) keys.push_back(TakeOut(found));
  }
  return keys;
}

std::string MuteList::TakeOut(int found) {
  MuteRecord& record = records_[static_cast<std::size_t>(found)];
  for (const std::string& token : record.Tokens) {
    const auto at = by_token_.find(TokenHash(token));
    if (at != by_token_.end() && at->second.record == static_cast<std::uint32_t>(found)) {
      by_token_.erase(at);
    }
  }
  by_key_.erase(FoldIdentifier(record.Key));
  std::string key = std::move(record.Key);
  record = {};
  --live_;
  return key;
}

std::vector<MutedThread> MuteList::Threads(ThreadNode* head) const {
  std::vector<MutedThread> threads;
  std::vector<bool> met(records_.size(), false);
  for (ThreadNode* root = head; root != nullptr;) {
    ThreadNode* const end = ThreadEnd(root);
    if (root->Muted) {
      MutedThread thread{root, {}, root->Subject.str(), 0, 0};
      for (ThreadNode* node = root; node != end; node = node->Next) {
        thread.Last = std::max(thread.Last, StampSeconds(*node));
        ++thread.Count;
        const int record = Find(*node);
        if (record >= 0) met[static_cast<std::size_t>(record)] = true;
      }
      threads.push_back(std::move(thread));
    }
    root = end;
  }
  for (std::size_t r = 0; r < records_.size(); ++r) {
    if (met[r] || records_[r].Tokens.empty()) continue;
    // Its first message by what it was recorded by: "<" + identifier + ">",
    // or the message's name.
    const std::string& first = records_[r].Tokens.front();
    threads.push_back({nullptr, records_[r].Key,
                       first.front() == '<' ? first.substr(1) : "<" + first + ">", 0, 0});
  }
  return threads;
}

std::vector<std::string> MuteList::Unmute(const MutedThread& thread) {
  if (thread.Root != nullptr) return Unmute(thread.Root);
  const auto found = by_key_.find(FoldIdentifier(thread.Key));
  if (found == by_key_.end()) return {};
  return {TakeOut(found->second)};
}

bool WriteMutes(const std::string& folder_path, const MuteList& list,
                const std::vector<MuteRecord>& put, const std::vector<std::string>& removed) {
  if (put.empty() && removed.empty()) return true;
  settings::IniWriter out(platform::JoinPath(folder_path, kFolderSettingsFile));
  if (!list.HasVersion()) out.WriteInteger(kMuteSection, kVersionKey, kMuteVersion);
  for (const MuteRecord& record : put) {
    if (!record.Key.empty()) out.WriteString(kMuteSection, record.Key, JoinTokens(record.Tokens));
  }
  for (const std::string& key : removed) out.DeleteKey(kMuteSection, key);
  return out.Commit();
}

bool ToggleMute(const std::string& folder_path, MuteList& list, ThreadNode* node) {
  if (ThreadRoot(node)->Muted) return WriteMutes(folder_path, list, {}, list.Unmute(node));
  return WriteMutes(folder_path, list, {list.Mute(node)}, {});
}

}  // namespace thread
