#include "nkf/cp932.h"

#include <vector>

#include "nkf/cp932_table.h"

namespace nkf {

bool IsCp932DoubleByte(unsigned char lead, unsigned char trail) {
  if (!IsCp932LeadByte(lead)) return false;
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
