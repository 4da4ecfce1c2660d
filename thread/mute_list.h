#pragma once
// Muted threads of one folder, kept in its "VLTR.fol" in a section of their
// own ("Mute"), beside the display settings of section "Property", which
// nothing here reads or writes.
//
// What a mute names. A thread has no identity of its own: the threading makes
// it afresh at every build from the messages there are. So a mute record holds
// the messages of the thread when it was muted, each by its Message-ID (a
// message without one by its file name, as "<" + Name: no identifier begins
// with "<", the brackets are taken off when it is read), and a message is
// muted exactly when the thread list places it in a thread holding any of
// them: a reply that arrives later is muted because the threading puts it
// there (by In-Reply-To, References or the subject, whichever options link
// it), and it is added to the record when the folder is shown, so the mute
// outlives its first message leaving the folder, the cache's rebuild and the
// program's restart. Identifiers match ignoring ASCII letter case, as the
// threading matches them.
//
// The section: "Version=1", then one key per record, "T" + 16 hex digits (a
// hash of the identifier of the thread's first message when it was muted),
// whose value is the identifiers separated by blanks. One key per thread
// keeps two windows on one mailbox from undoing each other: each write reads
// the file again and changes only its own keys (settings::IniWriter), so the
// last writer wins per thread. Unmuting takes the thread's keys out.
//
// Reading takes what it can: keys of another form (a newer version's) are
// skipped and kept in the file, a value is split at every blank or control
// byte, and a section of any size is read in one pass.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mailbox/folder_discovery.h"
#include "settings/ini_profile.h"
#include "thread/thread_node.h"

namespace thread {

using mailbox::kMuteSection;
inline constexpr std::int32_t kMuteVersion = 1;

struct MuteRecord {
  std::string Key;                  // "T" + 16 hex digits
  std::vector<std::string> Tokens;  // identifiers, or "<" + Name
};

// The token a node is recorded by (see above).
std::string MuteToken(const ThreadNode& node);

// A muted thread as the list of muted threads shows it: a thread of the
// list, or a record none of whose messages is in the folder any more.
struct MutedThread {
  ThreadNode* Root = nullptr;  // the thread's first message; null for a record alone
  std::string Key;             // the record alone's key
  std::string Subject;         // Root's subject; for a record alone, "<" + its first
                               // identifier + ">" (or that message's name)
  std::uint32_t Last = 0;      // the newest date stamp of its messages (catch_up.h); 0 for none
  std::size_t Count = 0;       // its messages in the list
};

class MuteList {
 public:
  MuteList() = default;
  explicit MuteList(const settings::IniText& text);
  // The records of the folder's "VLTR.fol"; none when it is missing.
  static MuteList Read(const std::string& folder_path);

  bool Empty() const { return live_ == 0; }
  std::size_t size() const { return live_; }
  // Whether the section said which version wrote it.
  bool HasVersion() const { return has_version_; }

  // Sets every node's Muted flag from the records, by thread, and adds to
  // each record the messages of its thread it does not hold yet. The records
  // that gained messages, for writing. (MuteMarker over the list.)
  std::vector<MuteRecord> Apply(ThreadNode* head);
  // Mutes the thread of `node` (a node of the list Apply saw): its flags are
  // set and the new record is returned for writing. An already muted thread
  // gives a record with no key and nothing changes.
  MuteRecord Mute(ThreadNode* node);
  // Unmutes the thread of `node`: its flags are cleared and the keys of the
  // records it met are returned for taking out of the file.
  std::vector<std::string> Unmute(ThreadNode* node);
  // The muted threads of the list from `head` (flags as Apply set them), in
  // list order, then the records no message of the list meets, in the
  // file's order.
  std::vector<MutedThread> Threads(ThreadNode* head) const;
  // Unmutes one of Threads(): Unmute of its Root, or its record taken out.
  std::vector<std::string> Unmute(const MutedThread& thread);

 private:
  friend class MuteMarker;
  // The record holding `token`, or -1.
  int Find(std::string_view token) const;
  int Find(const ThreadNode& node) const;
  // The record holding `token` of exact hash `hash`, or -1.
  int Find(std::string_view token, std::uint64_t hash) const;
  // Whether a token of this print may be held (filter_): false for most.
  bool MayHold(std::uint64_t print) const;
  void Index(int record, const std::string& token);
  void AddRecord(MuteRecord record);
  // Takes a live record out and returns its key.
  std::string TakeOut(int record);

  std::vector<MuteRecord> records_;  // a record taken out keeps its place, emptied
  struct TokenAt {
    std::uint32_t record;
    std::uint32_t token;  // index in its Tokens
  };
  void Remember(std::string_view token, TokenAt at);
  std::unordered_map<std::uint64_t, TokenAt> by_token_;  // a token's hash -> where it is
  // One bit per slot of the tokens' prints (a slot once set stays set).
  static constexpr std::size_t kFilterWords = 4096;
  std::vector<std::uint64_t> filter_ = std::vector<std::uint64_t>(kFilterWords, 0);
  bool holds_names_ = false;                     // a token "<" + Name was remembered
  std::unordered_map<std::string, int> by_key_;  // a live record's key, lowered
  std::size_t live_ = 0;
  bool has_version_ = false;
};

// MuteList::Apply node by node, for the walk over the list the rows' fill
// makes anyway: a walk of its own cost 1.5 ms for 100,000 messages, reading
// every node from memory again. In the fill it costs nothing measurable: the
// fill of a list just read from its cache took 1.8 ms with it and 5.1
// without (reading each identifier, stored just after its node, keeps the
// memory prefetcher ahead of the walk; a fill that only touched them took
// 0.9).
//
// Nodes are given in list order, each once, the head first. A node's flag is
// final once its thread has ended (at the next thread's first node, or at
// Finish): a record met further down a thread mutes the nodes before it.
class MuteMarker {
 public:
  explicit MuteMarker(MuteList& list) : list_(list) {}
  void Add(ThreadNode* node);
  // After the last node: the records that gained messages, for writing.
  std::vector<MuteRecord> Finish();

 private:
  void EndThread();
  // Mutes `node` in the thread's record, which gains its token when no
  // record holds it yet.
  void Join(ThreadNode* node);

  MuteList& list_;
  ThreadNode* root_ = nullptr;  // the first node of the thread being given
  int record_ = -1;             // the record the thread met, or -1
  std::size_t had_ = 0;         // that record's tokens when the thread met it
  std::vector<MuteRecord> grown_;
};

// The first node of `node`'s thread, and the node after the thread (null at
// the end of the list).
ThreadNode* ThreadRoot(ThreadNode* node);
ThreadNode* ThreadEnd(ThreadNode* root);

// Writes `put` and takes `removed` out of the folder's "VLTR.fol" (adding the
// version when the file had none); false when the file could not be replaced.
bool WriteMutes(const std::string& folder_path, const MuteList& list,
                const std::vector<MuteRecord>& put, const std::vector<std::string>& removed);

// Mutes (or unmutes) the thread of `node` in `list` and in the folder's file;
// false when the file could not be written (the flags have changed anyway).
bool ToggleMute(const std::string& folder_path, MuteList& list, ThreadNode* node);

}  // namespace thread
