#pragma once
// The query terms the thread list's commands put into the quick filter box:
// "this sender" (from:W), "this subject" and "this thread" (subject:"…"), and
// the senders offered after "from:" as the user types. Texts are Shift-JIS
// (the rows' sender and subject are), stepped by whole characters.
//
// What stands for a thread: a thread has no identity the filter could name
// (the threading makes it afresh at each build), so the thread is named by
// its first message's subject without reply marks, the text every reply in it
// carries after its "Re:". A reply threaded by its headers alone under a
// different subject is then left out; the subject is what the user reads in
// the list, and what the filter can match in every row.

#include <string>
#include <string_view>
#include <vector>

#include "thread/thread_node.h"

namespace thread {

// The subject without what mail clients put before it: reply and forward
// marks ("Re:", "RE:", "Fwd:", "Fw:", any letter case, with a count such as
// "Re[2]:" or "Re^2:", a full-width colon as well as ":"; "返信:", "転送:"),
// mailing-list tags ("[list:0123]", "【…】"), in any order and number, and the
// blanks around them and at the end.
std::string BareSubject(std::string_view subject);

// The sender's word for a from: term: the address when the record's sender
// holds one ("Name <a@b>", "<a@b>", "a@b"), else the name, without the double
// quotes around it and the blanks at its ends.
std::string SenderWord(std::string_view sender);

// `field` + ":" + `value`, the value in double quotes when it holds a blank
// (ASCII or ideographic), a double quote or a parenthesis, or starts with "-";
// inside the quotes a double quote and a backslash are escaped with a
// backslash. An empty value gives an empty text.
std::string FieldTerm(std::string_view field, std::string_view value);

// The terms of the three commands for a message of the list.
std::string SenderTerm(const ThreadNode& node);
std::string SubjectTerm(const ThreadNode& node);
// The thread of `node`: its first message's subject (see above).
std::string ThreadTerm(const ThreadNode& node);

// The senders (SenderWord) of a folder's messages, most frequent first (equal
// counts in the order the list first shows them), each once.
class SenderRanking {
 public:
  // `head`: the folder's list, followed through Next.
  explicit SenderRanking(const ThreadNode* head);
  SenderRanking() = default;

  // Up to `limit` senders that hold `typed` (folded as the quick filter
  // folds), in rank order; all of them for an empty `typed`.
  std::vector<std::string> Matching(std::string_view typed, std::size_t limit) const;
  std::size_t size() const { return senders_.size(); }

 private:
  struct Sender {
    std::string word;
    std::string folded;
    int count = 0;
  };
  std::vector<Sender> senders_;
};

}  // namespace thread
