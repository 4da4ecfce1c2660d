#pragma once
// The quick filter's folding, one Unicode character at a time, for the code
// that searches Unicode text (find in the message, the full-text index):
// ASCII letters to lower case, full-width ASCII to ASCII (then lower case),
// the ideographic space to a blank, and half-width katakana to full-width, a
// voiced or semi-voiced mark joined to the kana before it where one character
// exists for the pair (else the spacing mark). The kana forms come from the
// converter's tables, so that this folding and the thread list's, which works
// on Shift-JIS, give the same characters.

namespace viewer {

struct FoldedChar {
  char32_t c = 0;
  bool took_next = false;  // `next` was a sound mark joined into `c`
};

// `c` folded; `next` is the character after it (0 at the end), looked at only
// when `c` is a half-width katakana that may take a following sound mark.
FoldedChar FoldChar(char32_t c, char32_t next);

}  // namespace viewer
