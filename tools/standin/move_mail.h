#pragma once
// What the stand-in does for the move-to-trash command
// "MoveMail(" + relative message name + "," + '"' + account + "\ごみ箱" + '"' + ")":
// it moves the message file and its index record into the account's folder
// titled "ごみ箱" (made when the account has none) and adjusts both folders'
// Total and UnOpen, as the mail client would. Every file it changes is
// replaced atomically.

#include <string>
#include <string_view>

namespace standin {

struct MoveCommand {
  std::string relative_name;  // Acc1\Inbox.box\00000001
  std::string account_name;   // the account's Title, Shift-JIS
};

// The parts of a move-to-trash command; false for any other text.
bool ParseMoveMail(std::string_view command, MoveCommand& move);

enum class MoveResult {
  kMoved,
  kNotFound,     // no such account, folder, record or message file
  kWriteFailed,  // a file could not be written; what was written stays
};

MoveResult MoveMailToTrash(const std::string& mailbox_dir, const MoveCommand& move);

}  // namespace standin
