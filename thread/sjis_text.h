#pragma once
// Text helpers over Shift-JIS (CP932) bytes (platform::IsSjisLeadByte says
// where a double-byte character starts); searches never match starting on the
// second byte of such a character.

#include <cstddef>
#include <string_view>

namespace thread {

// Length in bytes (1 or 2) of the character that starts at `pos` (< size). A
// lead byte at the very end counts as one byte.
std::size_t SjisCharLength(std::string_view text, std::size_t pos);

// Position of the first occurrence of `needle` that starts on a character
// boundary at or after `from` (which must itself be a boundary), or npos. An
// empty needle is never found. Matching is byte-exact (letter case counts).
std::size_t SjisFind(std::string_view text, std::string_view needle, std::size_t from = 0);
bool SjisContains(std::string_view text, std::string_view needle);

// A subject has a reply mark when it contains "Re:" or "RE:" (other letter
// cases are no reply marks).
bool HasReplyMark(std::string_view subject);

// The part of a subject compared in subject threading, also what the thread
// list shows when mailing-list tags are hidden. When `skip_list_tag` is set,
// the second character is "[" and a "]" follows it, the text starts after that
// first "]"; otherwise at the beginning. In both cases one more character is
// skipped when the text is not at its end (the character after the "]", or
// the first character of the subject). Steps by whole characters.
std::string_view SubjectKey(std::string_view subject, bool skip_list_tag);

}  // namespace thread
