#pragma once
// The quick filter of the thread list: the typed text split at blanks into
// words, and the test whether a row's subject or sender holds every word.
// Both sides are folded first, so that the letters a user types match however
// the mail wrote them: ASCII letters to lower case, full-width ASCII to ASCII
// (then lower case), the ideographic space to a blank, and half-width katakana
// to full-width, a voiced or semi-voiced mark joined to the kana before it
// where one character exists for the pair (else the spacing mark). Hiragana
// and katakana stay distinct. All texts are Shift-JIS bytes.

#include <string>
#include <string_view>
#include <vector>

namespace thread {

// `text` folded as above, appended to `out`. Character boundaries are kept:
// every character of the result is a whole Shift-JIS character.
void AppendFolded(std::string_view text, std::string& out);
std::string FoldForFilter(std::string_view text);

class QuickFilter {
 public:
  QuickFilter() = default;
  explicit QuickFilter(std::string_view text);

  // An empty text, or one of blanks only, is no filter.
  bool Empty() const { return words_.empty(); }
  // True when every word occurs in the subject as shown or in the sender
  // (each word in either). Keeps scratch space: one filter per thread.
  bool Matches(std::string_view shown_subject, std::string_view sender);
  // The whole text folded. A filter whose folded text starts with another's
  // lets through only rows the other lets through.
  const std::string& Folded() const { return folded_; }

 private:
  std::string folded_;              // the whole text folded
  std::vector<std::string> words_;  // folded, in typed order
  std::vector<char> row_;           // scratch: the row's folded texts
};

}  // namespace thread
