#include "nkf/cp932.h"

#include <vector>

#include "nkf/cp932_table.h"
#include "platform/text_bytes.h"

namespace nkf {

bool IsCp932DoubleByte(unsigned char lead, unsigned char trail) {
  if (!platform::IsSjisLeadByte(lead)) return false;
  const std::size_t row = lead <= 0x9F ? lead - 0x81u : lead - 0xE0u + 0x1Fu;
  return (kCp932DoubleByteMap[row][trail >> 3] >> (trail & 7)) & 1;
}

namespace {

// The pairs spread into one slot per BMP code point (0: no CP932 form), built on first use:
// a direct look-up is several times faster than a binary search of the pairs.
std::vector<std::uint16_t> BuildBmpTable() {
  std::vector<std::uint16_t> table(0x10000, 0);
  for (std::size_t i = 0; i < kUnicodeToCp932Count; ++i) {
    table[kUnicodeToCp932[i].unicode] = kUnicodeToCp932[i].cp932;
  }
  return table;
}

}  // namespace

std::optional<std::uint16_t> UnicodeToCp932(char32_t code_point) {
  static const std::vector<std::uint16_t> table = BuildBmpTable();
  if (code_point < 0x80 || code_point > 0xFFFF) return std::nullopt;
  const std::uint16_t code = table[code_point];
  if (code == 0) return std::nullopt;
  return code;
}

std::uint16_t FullWidthKatakana(unsigned char half_width) {
  // Indexed by half_width - 0xA1: ｡｢｣､･ｦ, the small letters ｧ-ｯ, ｰ, ｱ-ﾝ, ﾞﾟ.
  static constexpr std::uint16_t kFullWidth[] = {
      0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
      0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
      0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
      0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
      0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
      0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};
  static_assert(sizeof kFullWidth / sizeof kFullWidth[0] == 0xDF - 0xA1 + 1);
  return IsHalfWidthKatakana(half_width) ? kFullWidth[half_width - 0xA1] : kGetaMark;
}

std::uint16_t JoinSoundMark(unsigned char letter, unsigned char mark) {
  constexpr unsigned char kVoiced = 0xDE;
  constexpr unsigned char kSemiVoiced = 0xDF;
  const bool ka_to_to = letter >= 0xB6 && letter <= 0xC4;  // ｶ-ﾄ: ガ-ド
  const bool ha_to_ho = letter >= 0xCA && letter <= 0xCE;  // ﾊ-ﾎ: バ-ボ, パ-ポ
  // In the full-width table the voiced letter follows its plain one, the semi-voiced one next.
  if (mark == kVoiced && (ka_to_to || ha_to_ho)) return FullWidthKatakana(letter) + 1;
  if (mark == kVoiced && letter == 0xB3) return 0x8394;  // ｳﾞ: ヴ
  if (mark == kSemiVoiced && ha_to_ho) return FullWidthKatakana(letter) + 2;
  return 0;
}

namespace {

// Double-byte codes counted in order from 0x..40, 188 trail bytes a lead byte (0x7F is none).
constexpr unsigned kTrailsPerLead = 188;

unsigned OrdinalOf(std::uint16_t code) {
  const unsigned trail = code & 0xFF;
  return (code >> 8) * kTrailsPerLead + trail - 0x40 - (trail > 0x7F ? 1 : 0);
}

std::uint16_t CodeAt(unsigned ordinal) {
  const unsigned trail = ordinal % kTrailsPerLead + 0x40;
  return static_cast<std::uint16_t>((ordinal / kTrailsPerLead) << 8 |
                                    (trail + (trail >= 0x7F ? 1 : 0)));
}

}  // namespace

std::uint16_t PreferredCp932(std::uint16_t code) {
  constexpr std::uint16_t kNot = 0x81CA;            // ￢
  constexpr std::uint16_t kBecause = 0x81E6;        // ∵
  if (code < 0xED40 || code > 0xFA5B) return code;  // the common case, one comparison
  // 0xED40-0xEEEC hold the IBM kanji 0xFA5C-0xFC4B in the same order.
  if (code <= 0xEEEC) return CodeAt(OrdinalOf(code) - OrdinalOf(0xED40) + OrdinalOf(0xFA5C));
  if (code >= 0xEEEF && code <= 0xEEF8) return code - 0xEEEF + 0xFA40;  // ⅰ-ⅹ
  if (code == 0xEEF9 || code == 0xFA54) return kNot;
  if (code >= 0xEEFA && code <= 0xEEFC) return code - 0xEEFA + 0xFA55;  // ￤＇＂
  if (code == 0xFA5B) return kBecause;
  return code;
}

int Cp932Plausibility(std::uint16_t code) {
  if (code >= 0x829F && code <= 0x82F1) return 4;   // hiragana
  if (code >= 0x8340 && code <= 0x8396) return 4;   // katakana
  if (code >= 0x8140 && code <= 0x81FC) return 2;   // punctuation and symbols
  if (code >= 0x889F && code <= 0x9872) return 2;   // level-1 kanji
  if (code >= 0x989F && code <= 0xEAA4) return 1;   // level-2 kanji
  if (code >= 0x8740 && code <= 0x879C) return 1;   // NEC symbols (circled digits, units)
  if (code >= 0x824F && code <= 0x829A) return 1;   // full-width digits and letters
  if (code >= 0xF040 && code <= 0xF9FC) return -5;  // user-defined area
  return 0;
}

}  // namespace nkf
