#pragma once
// Message text straight to Unicode. Inside the viewer, Unicode text is held as
// UTF-8 (so that lines, headers and links work on the same byte strings as the
// Shift-JIS text); the window turns it into UTF-16 at the very end. Every
// character is kept, those Shift-JIS has no place for included.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace viewer {

// What a declared charset (a Content-Type parameter) means for the viewer.
enum class CharsetKind {
  kNone,        // no charset declared
  kUtf8,        // decoded straight to Unicode
  kSingleByte,  // a single-byte code page Windows knows: decoded straight to Unicode
  kOther,       // Japanese or unknown: left to the code converter, as always
};

struct Charset {
  CharsetKind kind = CharsetKind::kNone;
  unsigned code_page = 0;  // for kSingleByte: the Windows code page
};

// The meaning of a charset name, any letter case: UTF-8; ISO-8859-1 to -9, -13
// and -15, Windows-1250 to -1258, KOI8-R, KOI8-U and US-ASCII (the ones Windows
// has a code page for); an empty name is kNone, anything else kOther.
Charset CharsetNamed(std::string_view name);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t code_point);

// The text as UTF-8, every invalid sequence (overlong forms, surrogates, bytes
// that begin or continue nothing) replaced by U+FFFD up to the first byte that
// breaks it; a byte-order mark at the start is dropped, as the converter drops it.
std::string ValidUtf8(std::string_view text);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Valid UTF-8 to UTF-16 (what ValidUtf8 gives); an invalid sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Shift-JIS (CP932) text as UTF-8, as the window has always shown it.
std::string Cp932ToUtf8(std::string_view text);

// Text in a single-byte Windows code page as UTF-8.
std::string SingleByteToUtf8(unsigned code_page, std::string_view text);

// UTF-8 text with its MIME encoded words (=?charset?B|Q?...?=) decoded as the
// code converter decodes them (the same charsets, the same white space: dropped
// between two words, a fold after a word written as one space), but to Unicode:
// a UTF-8 or ISO-8859-1 word keeps every character.
std::string DecodeEncodedWords(std::string_view text);

// Code points in the first `bytes` bytes of UTF-8 text.
std::size_t CodePointsIn(std::string_view text, std::size_t bytes);

// A range [first, last) of UTF-16 units.
struct UnitRun {
  int first = 0;
  int last = 0;
  bool operator==(const UnitRun&) const = default;
};

// The parts of `runs` (ranges of `text`) whose characters Shift-JIS (CP932)
// has: what a Japanese fallback face can be trusted to draw. Characters
// beyond it (emoji, Hangul, Thai, a surrogate pair) are left out, for the
// text control to find a face of its own.
std::vector<UnitRun> ShiftJisRuns(std::u16string_view text, const std::vector<UnitRun>& runs);

}  // namespace viewer
