#pragma once
// MIME encoded words (RFC 2047) as quoted headers carry them into mail bodies:
// =?charset?B?base64?= and =?charset?Q?quoted-printable?=.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nkf {

// The charsets decoded; a word in any other charset stays as it stands.
enum class WordCharset { kJis, kUtf8, kShiftJis, kEucJp, kLatin1 };

struct EncodedWord {
  WordCharset charset;
  std::string decoded;  // the bytes of the word's text, in `charset`
  std::size_t length;   // input bytes the word takes, "=?" to "?=" included
};

// The encoded word starting at `pos`, or empty when there is none or it is malformed: a charset
// other than ISO-2022-JP, UTF-8, Shift_JIS, EUC-JP, US-ASCII or ISO-8859-1 (any letter case), an
// encoding other than B or Q, a missing "?=", white space or a control byte inside, base64 with
// a stray character, a bad length or bad padding. Malformed words are left for the caller to
// write as plain text. The decoded text is always shorter than the word.
std::optional<EncodedWord> ReadEncodedWord(std::string_view text, std::size_t pos);

// Length of the white space at `pos` that separates two encoded words and is dropped between
// them: spaces and tabs, or a folded line (a line end followed by at least one space or tab).
// 0 when the white space at `pos` is not of that form (a line end that does not fold included).
std::size_t FoldingWhiteSpaceLength(std::string_view text, std::size_t pos);

}  // namespace nkf
