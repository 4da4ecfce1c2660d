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
// encoding other than B or Q (and Q in Shift_JIS or EUC-JP, which nkf leaves undecoded), a
// missing "?=", white space or a control byte inside, base64 with a stray character, a bad
// length or bad padding. Malformed words are left for the caller to write as plain text (nkf
// turns broken base64 into garbage and zero bytes). The decoded text is shorter than the word.
std::optional<EncodedWord> ReadEncodedWord(std::string_view text, std::size_t pos);

// Length of the white space at `pos`, after an encoded word, that nkf treats as a header's
// folding white space: spaces, tabs and folds (a line end followed by a space or tab), up to the
// first other byte or a line end that does not fold. nkf drops all of it when a "=" follows (so
// between two encoded words), and otherwise writes each fold's line end and first blank as one
// space.
std::size_t WhiteSpaceAfterWordLength(std::string_view text, std::size_t pos);

// Length of the line end at `pos`: 2 for CR LF, 1 for LF or a CR alone, 0 for anything else.
std::size_t LineEndLength(std::string_view text, std::size_t pos);

// The value of a base64 digit (A-Z a-z 0-9 + /) or a hexadecimal digit
// (either letter case); -1 for any other byte.
int Base64Value(char c);
int HexValue(char c);

}  // namespace nkf
