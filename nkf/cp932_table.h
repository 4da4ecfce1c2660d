#pragma once
// Data generated from iconv's CP932 tables by nkf/gen_cp932_table.py (see nkf/cp932_table.cpp).
// Use the lookups in nkf/cp932.h rather than these arrays.

#include <cstddef>
#include <cstdint>

namespace nkf {

// One Unicode BMP code point (from U+0080) and the CP932 code Windows writes for it:
// a value below 0x100 is a single byte (half-width katakana, 0x5C for U+00A5, 0x7E for U+203E),
// otherwise lead byte << 8 | trail byte. Where CP932 has two codes for one character (NEC and IBM
// extensions) the pair holds the one CP932 writes.
struct Cp932Pair {
  std::uint16_t unicode;
  std::uint16_t cp932;
};

// Sorted by `unicode`, no duplicates.
extern const Cp932Pair kUnicodeToCp932[];
extern const std::size_t kUnicodeToCp932Count;

// Lead bytes 0x81-0x9F then 0xE0-0xFC; for each, a 256-bit map of the trail bytes that make a
// double-byte code CP932 defines (bit trail & 7 of byte trail >> 3).
inline constexpr std::size_t kCp932LeadCount = 60;
extern const std::uint8_t kCp932DoubleByteMap[kCp932LeadCount][32];

}  // namespace nkf
