#pragma once
// The quick filter of the thread list: the test whether a row holds the
// parsed query. Texts are folded first, so that the letters a user types match however
// the mail wrote them: ASCII letters to lower case, full-width ASCII to ASCII
// (then lower case), the ideographic space to a blank, and half-width katakana
// to full-width, a voiced or semi-voiced mark joined to the kana before it
// where one character exists for the pair (else the spacing mark). Hiragana
// and katakana stay distinct. All texts are Shift-JIS bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "thread/search_query.h"
#include "thread/thread_node.h"

namespace thread {

// `text` folded as above, appended to `out`. Character boundaries are kept:
// every character of the result is a whole Shift-JIS character.
void AppendFolded(std::string_view text, std::string& out);
std::string FoldForFilter(std::string_view text);

// The parsed query (thread/search_query.h) as the thread list reads it, one
// message at a time. A row holds a text leaf by its own texts, folded as
// above: a bare word or phrase when the subject as shown or the sender holds
// it, from: the sender, subject: the subject; or by the full-text index, when
// its name is among that leaf's hits (to:, body:, nq:, file: by the hits
// alone). A date by the node's date stamp, a flag by the record's flag word,
// folder: by the title of the folder shown.
class QuickFilter {
 public:
  QuickFilter() = default;
  // `folder_title` in Shift-JIS. `hits`: one sorted list of names for each
  // leaf that AskedOfIndex(leaf, body_search) says the index answers, in
  // ForEachLeaf order; a leaf past the lists has no hits.
  QuickFilter(ParsedQuery query, bool body_search, std::string_view folder_title,
              std::vector<std::vector<std::string>> hits = {});
  // The leaves point into the query's tree, whose nodes a move keeps in place.
  QuickFilter(QuickFilter&&) = default;
  QuickFilter& operator=(QuickFilter&&) = default;
  QuickFilter(const QuickFilter&) = delete;
  QuickFilter& operator=(const QuickFilter&) = delete;

  // No query (an empty text, blanks only, or one that failed) is no filter.
  bool Empty() const { return query_.Empty(); }
  // Whether the message passes. Keeps scratch space: one filter per thread.
  bool Matches(const ThreadNode& node, std::string_view shown_subject);
  // A query of positive bare words only, none asked of the index: then a
  // filter whose Folded() starts with another's lets through only rows the
  // other lets through.
  bool Narrows() const { return narrows_; }
  // The words of such a query folded, parted by a blank.
  const std::string& Folded() const { return folded_; }

 private:
  struct Leaf {
    const QueryNode* node = nullptr;
    // The node's sjis_folded with each run of blanks made one blank, as the
    // row's texts are when a phrase holds blanks.
    std::optional<std::string> text;
    const std::vector<std::string>* hits = nullptr;  // null when not asked
    bool folder_holds = false;                       // kFolder
  };
  bool Holds(const Leaf& leaf, const ThreadNode& node, std::string_view shown_subject);
  void FoldRow(std::string_view shown_subject, std::string_view sender);

  ParsedQuery query_;
  std::vector<std::vector<std::string>> hits_;
  std::vector<Leaf> leaves_;  // in ForEachLeaf order
  bool narrows_ = false;
  bool one_blank_ = false;  // a phrase holds blanks: the row's runs become one
  std::string folded_;
  std::vector<char> row_;        // scratch: the row's folded subject, "\n", sender
  std::string_view row_text_;    // into row_, while one message is tested
  std::size_t subject_end_ = 0;  // where the subject ends in row_text_
  std::string name_;             // scratch: the message's name
};

}  // namespace thread
