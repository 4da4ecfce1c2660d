// Writing one folder's changes into the index: the messages that left it marked, the new
// and changed ones read, decoded and added, in batches.
#include <chrono>

#include "platform/files.h"
#include "search/folder_scan.h"
#include "search/index_file.h"
#include "search/ja_texts.h"
#include "search/mail_index.h"
#include "search/message_text.h"
#include "thread/identifier_hash.h"
#include "thread/message_headers.h"

namespace search {
namespace {

// A batch of new messages is committed, and so becomes searchable and survives a stop,
// after this many messages or this much time, whichever comes first. Short enough that a
// second program updating the same index gets its turn, and that the memory of a batch
// stays small (SQLite keeps at most 8 MB of new tokens before it writes them out; see
// search/index_file.cpp). Each commit writes the batch's tokens as one segment of the
// index: larger batches mean fewer segments to merge.
constexpr int kBatchMessages = 2000;
constexpr auto kBatchTime = std::chrono::milliseconds(2000);

// A message file that exists but cannot be read now (the mail client holds it, or it
// vanished between the listing and the read) is left for the next update.
bool ExistsButUnreadable(const ListedMessage& message) {
  return message.file.Size != 0 || message.file.WriteTime != 0;
}

}  // namespace

bool MailIndex::AddMessages(const std::string& folder_dir, std::int64_t folder_id,
                            const std::vector<ListedMessage>& listed, const FolderPlan& plan,
                            const std::function<bool()>& stop, const std::function<void()>& step) {
  if (plan.leave.empty() && plan.add.empty() && plan.reflag.empty()) return true;
  int result = db_.Exec("BEGIN IMMEDIATE");
  if (result != SQLITE_OK) return Failed(result, ja::kCannotUpdate);

  Statement leave(db_.Get(), "UPDATE messages SET folder = 0 WHERE id = ?1");
  for (const std::int64_t id : plan.leave) {
    if ((result = leave.Bind(1, id).Run()) != SQLITE_DONE) return Failed(result, ja::kCannotUpdate);
    ++summary_.removed;
  }
  Statement reflag(db_.Get(), "UPDATE messages SET flags = ?1 WHERE id = ?2");
  for (const auto& [id, flags] : plan.reflag) {
    reflag.Bind(1, std::int64_t{flags}).Bind(2, id);
    if ((result = reflag.Run()) != SQLITE_DONE) return Failed(result, ja::kCannotUpdate);
  }

  Statement last_in_slot(db_.Get(), "SELECT max(id) FROM messages WHERE id BETWEEN ?1 AND ?2");
  Statement taken(db_.Get(), "SELECT 1 FROM messages WHERE id = ?1");
  Statement words(db_.Get(),
                  "INSERT INTO words(rowid, unquoted, quoted, sender, recipients, subject, names)"
                  " VALUES(?1,?2,?3,?4,?5,?6,?7)");
  Statement row(db_.Get(),
                "INSERT INTO messages(id, folder, name, sig, stamp, mid, flags)"
                " VALUES(?1,?2,?3,?4,?5,?6,?7)");
  if (!words.Ok() || !row.Ok())
    return Failed(sqlite3_extended_errcode(db_.Get()), ja::kCannotUpdate);

  int in_batch = 0;
  auto batch_start = std::chrono::steady_clock::now();
  for (const std::size_t i : plan.add) {
    if (stop && stop()) {
      result = db_.Exec("COMMIT");
      return result == SQLITE_OK ? false : Failed(result, ja::kCannotUpdate);
    }
    const ListedMessage& message = listed[i];
    const std::string path =
        platform::JoinPath(folder_dir, message.name + mailbox::kMessageExtension);
    std::optional<MessageFields> fields = ReadMessageFields(path, message.flags);
    if (!fields && ExistsButUnreadable(message)) {
      ++summary_.skipped;
      continue;
    }
    // A message whose file is missing is listed all the same: its sender and subject
    // are still found.
    if (!fields) fields.emplace();
    // The Message-ID as the thread list reads it and compares it (letter case ignored).
    const std::string mid =
        thread::FoldIdentifier(thread::ReadMessageHeaders(path, false).MessageId);

    const std::int64_t base = std::int64_t{message.stamp} << kSlotBits;
    last_in_slot.Bind(1, base).Bind(2, base + (1 << kSlotBits) - 1);
    std::int64_t id = base;
    if (last_in_slot.Step() == SQLITE_ROW && !last_in_slot.IsNull(0)) id = last_in_slot.Int(0) + 1;
    last_in_slot.Reset();
    for (;;) {
      const bool used = taken.Bind(1, id).Step() == SQLITE_ROW;
      taken.Reset();
      if (!used) break;
      ++id;
    }

    std::string sender = SjisToUtf8(message.sender);
    sender += '\n';
    sender += fields->from;
    words.Bind(1, id).Bind(2, fields->unquoted).Bind(3, fields->quoted).Bind(4, sender);
    words.Bind(5, fields->recipients).Bind(6, SjisToUtf8(message.subject)).Bind(7, fields->names);
    if ((result = words.Run()) != SQLITE_DONE) return Failed(result, ja::kCannotUpdate);
    row.Bind(1, id).Bind(2, folder_id).BindBlob(3, message.name).Bind(4, message.sig);
    row.Bind(5, std::int64_t{message.stamp}).BindBlob(6, mid).Bind(7, std::int64_t{message.flags});
    if ((result = row.Run()) != SQLITE_DONE) return Failed(result, ja::kCannotUpdate);
    ++summary_.added;
    if (step) step();

    const auto now = std::chrono::steady_clock::now();
    if (++in_batch >= kBatchMessages || now - batch_start >= kBatchTime) {
      if ((result = db_.Exec("COMMIT")) != SQLITE_OK) return Failed(result, ja::kCannotUpdate);
      if ((result = db_.Exec("BEGIN IMMEDIATE")) != SQLITE_OK)
        return Failed(result, ja::kCannotUpdate);
      in_batch = 0;
      batch_start = now;
    }
  }
  if ((result = db_.Exec("COMMIT")) != SQLITE_OK) return Failed(result, ja::kCannotUpdate);
  return true;
}

}  // namespace search
