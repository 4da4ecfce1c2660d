#pragma once
// Base64 decoding into any sink that has push_back(char): a string, or a
// counter when only the decoded size is wanted (a 20 MB attachment is sized
// without being kept). Bytes base64 does not use (line ends, blanks, stray
// characters) are skipped; "=" ends a group early.

#include <cstdint>
#include <string_view>

namespace viewer {

// Base64 digit values by byte (-1 for any other byte), looked up inline: the
// size of a 20 MB attachment is counted digit by digit.
struct Base64Table {
  signed char value[256];
  constexpr Base64Table() : value() {
    for (int c = 0; c < 256; ++c) value[c] = -1;
    for (int i = 0; i < 26; ++i) {
      value['A' + i] = static_cast<signed char>(i);
      value['a' + i] = static_cast<signed char>(26 + i);
    }
    for (int i = 0; i < 10; ++i) value['0' + i] = static_cast<signed char>(52 + i);
    value[static_cast<unsigned char>('+')] = 62;
    value[static_cast<unsigned char>('/')] = 63;
  }
};
inline constexpr Base64Table kBase64Digits;

template <class Out>
void DecodeBase64Into(std::string_view text, Out& out) {
  std::uint32_t bits = 0;
  int count = 0;
  const auto flush = [&] {
    if (count >= 2) out.push_back(static_cast<char>(bits >> (6 * count - 8)));
    if (count == 3) out.push_back(static_cast<char>(bits >> (6 * count - 16)));
    bits = 0;
    count = 0;
  };
  for (const char c : text) {
    const int value = kBase64Digits.value[static_cast<unsigned char>(c)];
    if (value < 0) {
      if (c == '=') flush();  // padding ends a group early
      continue;
    }
    bits = bits << 6 | static_cast<std::uint32_t>(value);
    if (++count == 4) {
      out.push_back(static_cast<char>(bits >> 16));
      out.push_back(static_cast<char>(bits >> 8));
      out.push_back(static_cast<char>(bits));
      bits = 0;
      count = 0;
    }
  }
  flush();
}

}  // namespace viewer
