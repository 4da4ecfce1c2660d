#include "thread/mute_list.h"

#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/text_bytes.h"
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

}  // namespace

std::string MuteToken(const ThreadNode& node) {
  const std::string_view id = node.MessageId.view();
  bool usable = !id.empty() && id.front() != '<';
  for (char c : id) usable = usable && !IsSeparator(c);
  if (usable) return std::string(id);
  return "<" + std::string(node.Name.data(), strnlen(node.Name.data(), node.Name.size()));
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
  const auto found = by_token_.find(HashIdentifier(token));
  if (found == by_token_.end()) return -1;
  // Tell a 64-bit collision from the token itself.
  for (const std::string& held : records_[static_cast<std::size_t>(found->second)].Tokens) {
    if (SameIdentifier(held, token)) return found->second;
  }
  return -1;
}

void MuteList::Index(int record, const std::string& token) {
  by_token_.emplace(HashIdentifier(token), record);
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
  const int index = static_cast<int>(records_.size());
  for (const std::string& token : record.Tokens) Index(index, token);
  records_.push_back(std::move(record));
  ++live_;
}

std::vector<MuteRecord> MuteList::Apply(ThreadNode* head) {
  std::vector<MuteRecord> grown;
  if (live_ == 0) {
    for (ThreadNode* node = head; node != nullptr; node = node->Next) node->Muted = false;
    return grown;
  }
  std::vector<std::string> missing;
  for (ThreadNode* root = head; root != nullptr;) {
    ThreadNode* const end = ThreadEnd(root);
    int record = -1;
    missing.clear();
    for (ThreadNode* node = root; node != end; node = node->Next) {
      std::string token = MuteToken(*node);
      const int found = Find(token);
      if (found < 0) {
        missing.push_back(std::move(token));
      } else if (record < 0) {
        record = found;
      }
    }
    for (ThreadNode* node = root; node != end; node = node->Next) node->Muted = record >= 0;
    if (record >= 0 && !missing.empty()) {
      MuteRecord& held = records_[static_cast<std::size_t>(record)];
      for (std::string& token : missing) {
        Index(record, token);
        held.Tokens.push_back(std::move(token));
      }
      grown.push_back(held);
    }
    root = end;
  }
  return grown;
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
    if (found < 0) continue;
    MuteRecord& record = records_[static_cast<std::size_t>(found)];
    for (const std::string& token : record.Tokens) {
      const auto at = by_token_.find(HashIdentifier(token));
      if (at != by_token_.end() && at->second == found) by_token_.erase(at);
    }
    by_key_.erase(FoldIdentifier(record.Key));
    keys.push_back(std::move(record.Key));
    record = {};
    --live_;
  }
  return keys;
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
