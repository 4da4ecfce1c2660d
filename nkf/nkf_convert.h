#pragma once
// Japanese code conversion to Shift-JIS (CP932), written to print what `nkf -s` prints: detects
// whether a text is ISO-2022-JP, EUC-JP, Shift-JIS or UTF-8 and rewrites it in Shift-JIS.
// ASCII, control bytes and line ends (CR, LF) pass through unchanged; Shift-JIS text comes back
// byte for byte except for its half-width katakana and the NEC-selected IBM extensions, which
// take their IBM codes as in nkf (0xED40 纊 becomes 0xFA5C; see PreferredCp932 in nkf/cp932.h).
//
// Half-width katakana, in every input code, come out full-width (ｱ ア, ｰ ー, ｡ 。), a letter and
// its sound mark as one letter (ｶﾞ ガ, ﾊﾟ パ, ｳﾞ ヴ). MIME encoded words in the text
// (=?ISO-2022-JP?B?...?=, UTF-8, Shift_JIS, EUC-JP, US-ASCII or ISO-8859-1, B or Q) are decoded
// in their own charset, the white space between two of them dropped (nkf/nkf_mime.h).
//
// Characters CP932 cannot write vanish (JIS X 0212, emoji and other Unicode characters), as in
// nkf. "〓" (0x81 0xAC) marks JIS X 0208 codes CP932 does not define and invalid byte sequences
// of EUC-JP, UTF-8 and ISO-2022-JP (one mark per broken sequence). A UTF-8 byte-order mark
// (U+FEFF) is dropped; ISO-2022-JP escape sequences and SO/SI vanish.

#include <cstddef>
#include <string>
#include <string_view>

namespace nkf {

enum class InputCode { Ascii, Jis, EucJp, ShiftJis, Utf8 };

// The input code of the whole text:
//   - Jis when it holds an ISO-2022-JP escape sequence (ESC ( B, ESC ( J, ESC ( I, ESC $ @,
//     ESC $ B, ESC $ ( D, ESC & @, ESC ) I), whatever else it holds;
//   - otherwise, when no byte is 0x80 or above, Jis if it holds a shift-out byte (SO, 0x0E)
//     and Ascii if not (the empty text too);
//   - otherwise Utf8 when it begins with a UTF-8 byte-order mark, or when it is valid UTF-8
//     with a sequence of three or four bytes (nkf may take such text for Shift-JIS);
//   - otherwise, among EUC-JP, Shift-JIS and UTF-8 readings valid over the whole text, the
//     least unusual as nkf judges it (level-2 kanji, then half-width katakana, then NEC special
//     characters, then characters without a CP932 form make a reading unusual, the worst one
//     counting), EUC-JP before Shift-JIS before UTF-8 when equal: so the two bytes A1 A2 are
//     EUC-JP;
//   - otherwise (no valid reading) whichever reads the text most plausibly: each character
//     scores by how common it is in Japanese text (kana highest), each invalid sequence costs
//     heavily; a tie goes to Shift-JIS, then UTF-8.
InputCode DetectInputCode(std::string_view text);

// The whole text in Shift-JIS, converted from the code DetectInputCode finds. Never fails; the
// result is at most twice as long as `text`.
std::string ConvertToShiftJis(std::string_view text);

// The same, read as `code` instead of the code DetectInputCode finds (for text whose code is
// known, such as the text of an encoded word).
std::string ConvertToShiftJis(std::string_view text, InputCode code);

// The library call: converts the zero-terminated `input` into `output`, which has room for
// `output_size` bytes (callers give 2 * strlen(input) + 1, which always suffices). Always
// zero-terminates when output_size >= 1; never writes more than output_size bytes and never
// reads past input's terminating zero. A result that does not fit is cut before the first
// character that does not fit whole. Returns the bytes written without the zero (0 when
// output_size is 0: nothing is written). A null `input` counts as empty.
std::size_t ConvertIntoBuffer(const char* input, char* output, std::size_t output_size);

}  // namespace nkf
