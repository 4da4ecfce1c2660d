#pragma once
// Facts about code page 932 (Shift-JIS with the NEC and IBM extensions) that the converter needs.

#include <cstdint>
#include <optional>

namespace nkf {

// "〓" (geta mark), written for every byte sequence that is invalid in its input code.
inline constexpr std::uint16_t kGetaMark = 0x81AC;

// True for the single bytes of half-width katakana, 0xA1-0xDF.
constexpr bool IsHalfWidthKatakana(unsigned char byte) { return byte >= 0xA1 && byte <= 0xDF; }

// The full-width form (a CP932 double-byte code) of the half-width katakana byte `half_width`
// (0xA1-0xDF): ｱ gives ア, ｰ gives ー, the half-width punctuation ｡｢｣､･ the full-width one, a lone
// sound mark ﾞ or ﾟ the full-width mark ゛ or ゜.
std::uint16_t FullWidthKatakana(unsigned char half_width);

// The one full-width letter that half-width `letter` followed by the sound mark `mark` (0xDE ﾞ,
// 0xDF ﾟ) make, as in ｶﾞ ガ, ﾊﾟ パ, ｳﾞ ヴ; 0 when the letter cannot take that mark.
std::uint16_t JoinSoundMark(unsigned char letter, unsigned char mark);

// The code nkf writes for the CP932 double-byte `code`: an IBM extension in its IBM form
// (0xFA40-0xFC4B) rather than the NEC-selected copy (0xED40-0xEEFC: 0xED40 纊 gives 0xFA5C,
// 0xEEEF ⅰ gives 0xFA40), and the three characters CP932 also has among its symbols in that
// form (￢ 0x81CA, ∵ 0x81E6). Any other code comes back unchanged.
std::uint16_t PreferredCp932(std::uint16_t code);

// True when `lead` `trail` is a double-byte code that CP932 defines (user-defined area included).
bool IsCp932DoubleByte(unsigned char lead, unsigned char trail);

// The CP932 code for a Unicode code point from U+0080: below 0x100 a single byte, otherwise
// lead << 8 | trail. Empty when CP932 has no form for it (code points above U+FFFF included)
// and for ASCII, which callers write as it is.
std::optional<std::uint16_t> UnicodeToCp932(char32_t code_point);

// The Shift-JIS code of the JIS X 0208 row/cell pair `first` `second` (both 0x21-0x7E; the EUC-JP
// bytes less 0x80). Pure arithmetic: the result need not be a defined character.
constexpr std::uint16_t JisToShiftJis(unsigned first, unsigned second) {
  const unsigned lead = ((first + 1) >> 1) + (first <= 0x5E ? 0x70 : 0xB0);
  unsigned trail = second + 0x7E;
  if (first & 1) trail = second + (second < 0x60 ? 0x1F : 0x20);
  return static_cast<std::uint16_t>(lead << 8 | trail);
}

// How typical the CP932 double-byte `code` is of Japanese prose, used to tell input codes apart:
// kana 4, punctuation and level-1 kanji 2, level-2 kanji, NEC symbols and full-width letters 1,
// IBM extensions and the rest 0, the user-defined area -5 (it appears in misread text, not in
// mail).
int Cp932Plausibility(std::uint16_t code);

}  // namespace nkf
