// The library call's buffer contract: output within 2 * length + 1 bytes whatever the input,
// always zero-terminated, cut between characters when the caller's buffer is smaller, and no
// read past the input's terminating zero (inputs sit in exactly sized heap buffers, so the
// sanitizer build catches an over-read).

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "nkf/nkf_convert.h"

namespace {

constexpr char kGuard = '\x5A';
constexpr std::size_t kGuardSize = 16;

struct LibraryCall {
  std::size_t written = 0;
  std::string output;          // the bytes before the terminating zero
  bool terminated = false;     // output[written] is zero
  bool guards_intact = false;  // nothing written before or past the buffer
};

// Calls ConvertIntoBuffer on `text` (no zero bytes in it) copied into a heap buffer of exactly
// text.size() + 1 bytes, with an output buffer of `output_size` bytes between guard bytes.
LibraryCall Call(std::string_view text, std::size_t output_size) {
  auto input = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(input.get(), text.data(), text.size());
  input[text.size()] = '\0';
  std::vector<char> buffer(kGuardSize + output_size + kGuardSize, kGuard);
  char* output = buffer.data() + kGuardSize;

  LibraryCall call;
  call.written = nkf::ConvertIntoBuffer(input.get(), output, output_size);
  call.terminated = call.written < output_size && output[call.written] == '\0';
  call.output.assign(output, std::min(call.written, output_size));
  call.guards_intact = true;
  for (std::size_t i = 0; i < kGuardSize; ++i) {
    if (buffer[i] != kGuard || buffer[kGuardSize + output_size + i] != kGuard) {
      call.guards_intact = false;
    }
  }
  return call;
}

// Checks the call with the viewer's buffer size against the whole-text conversion.
void ExpectWithinBound(std::string_view text) {
  const LibraryCall call = Call(text, 2 * text.size() + 1);
  ASSERT_TRUE(call.guards_intact);
  ASSERT_TRUE(call.terminated);
  EXPECT_LE(call.written, 2 * text.size());
  EXPECT_EQ(call.output, nkf::ConvertToShiftJis(text));
}

std::string RandomText(std::mt19937& rng, std::string_view alphabet, std::size_t length) {
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string text(length, ' ');
  for (char& c : text) c = alphabet[pick(rng)];
  return text;
}

std::string Repeat(std::string_view piece, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text.append(piece);
  return text;
}

TEST(NkfBound, RandomBytesStayWithinTwiceTheInput) {
  std::string every_byte;
  for (int b = 1; b < 256; ++b) every_byte.push_back(static_cast<char>(b));
  // Bytes that start or continue the sequences of every input code, so that random texts are
  // dense in escapes, shifts and multi-byte sequences.
  const std::string_view special =
      "\x1B$()BJI@D&\x0E\x0F!~\x8E\x8F\xA1\xA4\xDF\xE3\x80\xBF\xEF\xBB\x82\xF0\x9F\r\n";
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<std::size_t> length(0, 400);
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    ExpectWithinBound(RandomText(rng, every_byte, length(rng)));
    ExpectWithinBound(RandomText(rng, special, length(rng)));
  }
}

TEST(NkfBound, LongRunsOfShiftsAndBrokenSequencesStayWithinTwiceTheInput) {
  // clang-format off
  const struct {
    const char* why;
    std::string text;
  } cases[] = {
      {"escape sequences only", Repeat("\x1B$B\x1B(B\x1B(I\x1B$(D", 2000)},
      {"JIS X 0212 pairs", "\x1B$(D" + Repeat("0!", 3000)},
      {"shift out and in", "\x1B)I" + Repeat("\x0E" "1\x0F", 3000)},
      {"EUC-JP SS2 katakana", Repeat("\x8E\xB1", 4000)},
      {"EUC-JP SS3 characters", "\xA4\xA2" + Repeat("\x8F\xB0\xA1", 3000)},
      {"lone SS3 bytes", "\xA4\xA2\xA4\xA4" + Repeat("\x8F", 5000)},
      {"8-bit bytes in JIS text, two bytes out each", "\x1B(B" + Repeat("\x80", 5000)},
      {"broken UTF-8 after a BOM, two bytes out each", "\xEF\xBB\xBF" + Repeat("\xFF", 5000)},
      {"UTF-8 three-byte characters", Repeat("\xE3\x81\x82", 3000)},
      {"kanji mode cut by escapes", Repeat("\x1B$B$\x1B(B", 3000)},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    ExpectWithinBound(c.text);
  }
}

TEST(NkfBound, BrokenBytesCanReachTheBound) {
  // The bound is tight: each stray 8-bit byte of JIS text becomes a two-byte "〓".
  const std::string text = "\x1B(B" + Repeat("\x80", 1000);
  const LibraryCall call = Call(text, 2 * text.size() + 1);
  EXPECT_EQ(call.written, 2000u);
  EXPECT_EQ(call.output, Repeat("\x81\xAC", 1000));
}

// Offsets in Shift-JIS `text` at which a character starts, and its end.
std::vector<std::size_t> CharacterBoundaries(std::string_view text) {
  std::vector<std::size_t> boundaries{0};
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    pos += (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 2 : 1;
    boundaries.push_back(pos);
  }
  return boundaries;
}

TEST(NkfBound, SmallBuffersCutBetweenCharacters) {
  // clang-format off
  const std::string_view texts[] = {
      "\xA4\xA2\xA4\xA4" "a\x8E\xB1\xA4\xA6\r\n\xC6\xFC",       // EUC-JP あいaｱう CR LF 日
      "\x1B$B$\"$$\x1B(Ba\x1B(I1\x1B$B$&\x1B(B",                // JIS あいaｱう
      "\xE3\x81\x82\xE3\x81\x84" "a\xEF\xBD\xB1\xE3\x81\x86",  // UTF-8 あいaｱう
      "\x82\xA0\x82\xA2" "a\xB1\x82\xA4",                       // Shift-JIS あいaｱう
  };
  // clang-format on
  for (std::string_view text : texts) {
    const std::string whole = nkf::ConvertToShiftJis(text);
    const std::vector<std::size_t> boundaries = CharacterBoundaries(whole);
    for (std::size_t size = 0; size <= 2 * text.size() + 1; ++size) {
      SCOPED_TRACE(size);
      const LibraryCall call = Call(text, size);
      ASSERT_TRUE(call.guards_intact);
      if (size == 0) {
        EXPECT_EQ(call.written, 0u);
        continue;
      }
      ASSERT_TRUE(call.terminated);
      // The longest run of whole characters that fits in size - 1 bytes.
      std::size_t expected = 0;
      for (std::size_t b : boundaries) {
        if (b <= size - 1) expected = b;
      }
      EXPECT_EQ(call.output, whole.substr(0, expected));
    }
  }
}

TEST(NkfBound, BytesAfterTheTerminatingZeroAreNotRead) {
  // An EUC-JP text followed, past its zero, by a JIS escape: the escape must not decide the code.
  const char input[] = "\xA4\xA2\xA4\xA4\0\x1B$B";
  char output[16];
  const std::size_t written = nkf::ConvertIntoBuffer(input, output, 2 * 4 + 1);
  EXPECT_EQ(std::string(output, written), "\x82\xA0\x82\xA2");
}

}  // namespace
