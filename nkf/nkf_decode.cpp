#include "nkf/nkf_decode.h"

#include "nkf/cp932.h"
#include "platform/text_bytes.h"

namespace nkf {
namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kShiftOut = 0x0E;
constexpr unsigned char kShiftIn = 0x0F;

unsigned char ByteAt(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]);
}

// The byte at `pos`, or 0 past the end (0 is valid as no trail or continuation byte).
unsigned char ByteOrZero(std::string_view text, std::size_t pos) {
  return pos < text.size() ? ByteAt(text, pos) : 0;
}

constexpr Piece Byte(unsigned char byte, std::size_t length) {
  return {PieceKind::kByte, byte, length};
}
constexpr Piece Invalid(std::size_t length) { return {PieceKind::kInvalid, 0, length}; }
constexpr Piece Unmappable(std::size_t length) { return {PieceKind::kUnmappable, 0, length}; }
constexpr Piece Nothing(std::size_t length) { return {PieceKind::kNothing, 0, length}; }

// A CP932 double-byte code taken from `length` input bytes: invalid when CP932 does not define it.
Piece DoubleByte(std::uint16_t code, std::size_t length) {
  if (!IsCp932DoubleByte(static_cast<unsigned char>(code >> 8), code & 0xFF)) {
    return Invalid(length);
  }
  return {PieceKind::kDoubleByte, code, length};
}

// A Unicode code point from U+0080 taken from `length` UTF-8 bytes.
Piece FromUnicode(char32_t code_point, std::size_t length) {
  const auto code = UnicodeToCp932(code_point);
  if (!code) return Unmappable(length);
  if (*code < 0x100) return Byte(static_cast<unsigned char>(*code), length);
  return {PieceKind::kDoubleByte, *code, length};
}

bool IsEucByte(unsigned char byte) { return byte >= 0xA1 && byte <= 0xFE; }
bool IsJisGraphic(unsigned char byte) { return byte >= 0x21 && byte <= 0x7E; }

}  // namespace

Piece NextShiftJisPiece(std::string_view text, std::size_t pos) {
  const unsigned char byte = ByteAt(text, pos);
  if (byte < 0x80 || IsHalfWidthKatakana(byte)) return Byte(byte, 1);
  if (!platform::IsSjisLeadByte(byte)) return Invalid(1);
  const unsigned char trail = ByteOrZero(text, pos + 1);
  if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return Invalid(1);
  return DoubleByte(static_cast<std::uint16_t>(byte << 8 | trail), 2);
}

Piece NextEucJpPiece(std::string_view text, std::size_t pos) {
  const unsigned char byte = ByteAt(text, pos);
  if (byte < 0x80) return Byte(byte, 1);
  const unsigned char second = ByteOrZero(text, pos + 1);
  if (byte == 0x8E) {
    return IsHalfWidthKatakana(second) ? Byte(second, 2) : Invalid(1);
  }
  if (byte == 0x8F) {
    const bool complete = IsEucByte(second) && IsEucByte(ByteOrZero(text, pos + 2));
    return complete ? Unmappable(3) : Invalid(1);
  }
  if (!IsEucByte(byte) || !IsEucByte(second)) return Invalid(1);
  return DoubleByte(JisToShiftJis(byte - 0x80u, second - 0x80u), 2);
}

Utf8Sequence ReadUtf8Sequence(std::string_view text, std::size_t pos) {
  const unsigned char byte = ByteAt(text, pos);
  // Lead byte: sequence length, first code point bits, and the range of the second byte
  // (narrowed for E0, ED, F0 and F4 to exclude overlong forms, surrogates and > U+10FFFF).
  std::size_t length = 0;
  char32_t code_point = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (byte >= 0xC2 && byte <= 0xDF) {
    length = 2;
    code_point = byte & 0x1F;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    length = 3;
    code_point = byte & 0x0F;
    if (byte == 0xE0) low = 0xA0;
    if (byte == 0xED) high = 0x9F;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    length = 4;
    code_point = byte & 0x07;
    if (byte == 0xF0) low = 0x90;
    if (byte == 0xF4) high = 0x8F;
  } else {
    return {false, 0, 1};
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = ByteOrZero(text, pos + i);
    if (next < low || next > high) return {false, 0, i};
    code_point = code_point << 6 | (next & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {true, code_point, length};
}

Piece NextUtf8Piece(std::string_view text, std::size_t pos) {
  const unsigned char byte = ByteAt(text, pos);
  if (byte < 0x80) return Byte(byte, 1);
  const Utf8Sequence sequence = ReadUtf8Sequence(text, pos);
  if (!sequence.valid) return Invalid(sequence.length);
  return FromUnicode(sequence.code_point, sequence.length);
}

Piece NextLatin1Piece(std::string_view text, std::size_t pos) {
  const unsigned char byte = ByteAt(text, pos);
  return byte < 0x80 ? Byte(byte, 1) : FromUnicode(byte, 1);
}

std::size_t JisEscapeLength(std::string_view text, std::size_t pos) {
  if (ByteAt(text, pos) != kEsc) return 0;
  const unsigned char first = ByteOrZero(text, pos + 1);
  const unsigned char second = ByteOrZero(text, pos + 2);
  switch (first) {
    case '(':
      return second == 'B' || second == 'J' || second == 'I' ? 3 : 0;
    case '$':
      if (second == '@' || second == 'B') return 3;
      return second == '(' && ByteOrZero(text, pos + 3) == 'D' ? 4 : 0;
    case '&':
      return second == '@' ? 3 : 0;
    case ')':
      return second == 'I' ? 3 : 0;
    default:
      return 0;
  }
}

Piece JisDecoder::Next(std::string_view text, std::size_t pos) {
  const unsigned char byte = ByteAt(text, pos);
  if (byte == kEsc) {
    const std::size_t length = JisEscapeLength(text, pos);
    if (length == 0) return Byte(byte, 1);
    const unsigned char first = ByteAt(text, pos + 1);
    const unsigned char last = ByteAt(text, pos + length - 1);
    if (first == '(') {
      set_ = last == 'I' ? CharacterSet::kKatakana : CharacterSet::kAscii;
    } else if (first == '$') {
      set_ = last == 'D' ? CharacterSet::kJisX0212 : CharacterSet::kJisX0208;
    }
    return Nothing(length);
  }
  if (byte == kShiftOut || byte == kShiftIn) {
    shifted_out_ = byte == kShiftOut;
    return Nothing(1);
  }
  if (byte >= 0x80) return IsHalfWidthKatakana(byte) ? Byte(byte, 1) : Invalid(1);
  if (!IsJisGraphic(byte)) return Byte(byte, 1);  // controls, space, line ends, DEL
  if (shifted_out_ || set_ == CharacterSet::kKatakana) {
    return byte <= 0x5F ? Byte(static_cast<unsigned char>(byte + 0x80), 1) : Invalid(1);
  }
  if (set_ == CharacterSet::kAscii) return Byte(byte, 1);
  const unsigned char second = ByteOrZero(text, pos + 1);
  if (!IsJisGraphic(second)) return Invalid(1);
  if (set_ == CharacterSet::kJisX0212) return Unmappable(2);
  return DoubleByte(JisToShiftJis(byte, second), 2);
}

}  // namespace nkf
