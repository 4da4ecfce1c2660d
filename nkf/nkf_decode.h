#pragma once
// Decoders that read one input code a piece at a time and say what each piece becomes in
// Shift-JIS (CP932). Code detection scores the pieces; conversion writes them.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nkf {

enum class PieceKind {
  kByte,        // writes the single byte `code` (ASCII, control, half-width katakana)
  kDoubleByte,  // writes the CP932 double-byte `code`
  kUnmappable,  // a well-formed character with no CP932 form; writes nothing
  kInvalid,     // bytes that are not a valid sequence of the input code; writes "〓"
  kNothing,     // writes nothing and ends no katakana: an escape sequence, a shift
};

// Every piece takes at least one input byte and writes at most two output bytes, so no piece
// writes more than twice the bytes it takes (the converter's output bound rests on this).
struct Piece {
  PieceKind kind;
  std::uint16_t code;  // for kByte and kDoubleByte
  std::size_t length;  // input bytes taken, at least 1
};

// The piece starting at `pos` (< text.size()) of Shift-JIS text. The converter copies the
// input bytes of an invalid piece unchanged, so Shift-JIS text comes back as it was but for the
// forms nkf rewrites; for detection the kind tells whether the bytes are plausible Shift-JIS.
Piece NextShiftJisPiece(std::string_view text, std::size_t pos);

// EUC-JP: JIS X 0208 pairs 0xA1-0xFE, SS2 (0x8E) half-width katakana, SS3 (0x8F) JIS X 0212
// characters (no CP932 form). JIS X 0208 codes CP932 does not define count as invalid.
Piece NextEucJpPiece(std::string_view text, std::size_t pos);

// The UTF-8 sequence at `pos` (text[pos] >= 0x80), read strictly: no overlong forms, no
// surrogates, nothing above U+10FFFF. An invalid sequence is one piece up to the first byte that
// breaks it (at least 1 byte), with no code point.
struct Utf8Sequence {
  bool valid;
  char32_t code_point;  // when valid
  std::size_t length;   // input bytes taken
};
Utf8Sequence ReadUtf8Sequence(std::string_view text, std::size_t pos);

// UTF-8, read as ReadUtf8Sequence reads it. A byte-order mark (U+FEFF) has no CP932 form, so
// it writes nothing wherever it stands.
Piece NextUtf8Piece(std::string_view text, std::size_t pos);

// ISO-8859-1 (and so US-ASCII): every byte is the code point of the same value.
Piece NextLatin1Piece(std::string_view text, std::size_t pos);

// Length of the ISO-2022-JP escape sequence at `pos` that the JIS decoder acts on, or 0:
// ESC ( B, ESC ( J (ASCII), ESC ( I (half-width katakana), ESC $ @, ESC $ B (JIS X 0208),
// ESC $ ( D (JIS X 0212), ESC & @ (revision announcer) and ESC ) I (katakana for SO/SI).
std::size_t JisEscapeLength(std::string_view text, std::size_t pos);

// ISO-2022-JP, with the state the escape sequences and SO/SI set. Line ends do not reset the
// state. Bytes 0xA1-0xDF (8-bit half-width katakana) pass through; other 8-bit bytes are invalid.
class JisDecoder {
 public:
  Piece Next(std::string_view text, std::size_t pos);
  // True when graphic bytes read as ASCII (no kanji or katakana set, not shifted out).
  bool ReadsAscii() const { return set_ == CharacterSet::kAscii && !shifted_out_; }

 private:
  enum class CharacterSet { kAscii, kKatakana, kJisX0208, kJisX0212 };
  CharacterSet set_ = CharacterSet::kAscii;
  bool shifted_out_ = false;  // after SO, until SI: graphic bytes are half-width katakana
};

}  // namespace nkf
