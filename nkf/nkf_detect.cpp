#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

#include "nkf/cp932.h"
#include "nkf/nkf_convert.h"
#include "nkf/nkf_decode.h"

namespace nkf {
namespace {

// An invalid sequence outweighs any run of plausible characters that is shorter than a few
// characters, yet a long text with one stray byte still reads as its real code.
constexpr std::int64_t kInvalidCost = 10;
// A valid UTF-8 multi-byte sequence is itself strong evidence: Shift-JIS and EUC-JP text almost
// never forms one by chance.
constexpr std::int64_t kUtf8SequenceBonus = 2;

std::int64_t PieceScore(const Piece& piece) {
  switch (piece.kind) {
    case PieceKind::kByte:
      // Half-width katakana. A lone 8-bit byte is weak evidence: rare in mail, and pairs of such
      // bytes are how EUC-JP kanji read as Shift-JIS. After EUC-JP's SS2 it counts as much as
      // the Shift-JIS level-1 kanji the same two bytes make, so that the tie stays Shift-JIS.
      if (piece.code < 0x80) return 0;
      return piece.length == 1 ? 1 : 2;
    case PieceKind::kDoubleByte:
      return Cp932Plausibility(piece.code);
    case PieceKind::kInvalid:
      return -kInvalidCost;
    case PieceKind::kUnmappable:
    case PieceKind::kNothing:
      return 0;
  }
  return 0;
}

template <typename NextPiece>
std::int64_t Score(std::string_view text, NextPiece next_piece, std::int64_t multi_byte_bonus) {
  std::int64_t score = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const Piece piece = next_piece(text, pos);
    score += PieceScore(piece);
    if (piece.length > 1 && piece.kind != PieceKind::kInvalid) score += multi_byte_bonus;
    pos += piece.length;
  }
  return score;
}

// What makes a reading of a text unusual, as nkf weighs it when a text reads validly in more
// than one code. The worst feature decides: the flags are or-ed, and the lower value wins.
constexpr unsigned kLevel2Kanji = 1;        // JIS X 0208 level-2 kanji
constexpr unsigned kHalfWidthKatakana = 2;  // Shift-JIS 0xA1-0xDF, EUC-JP SS2
constexpr unsigned kNecSpecial = 4;         // NEC row 13: circled digits, units (nkf lets the
                                            // IBM extensions pass unmarked)
constexpr unsigned kNoShiftJisForm = 8;     // JIS X 0212, characters CP932 lacks

unsigned UnusualFeatures(const Piece& piece) {
  switch (piece.kind) {
    case PieceKind::kByte:
      return piece.code >= 0x80 ? kHalfWidthKatakana : 0;
    case PieceKind::kDoubleByte:
      if (piece.code >= 0x989F && piece.code <= 0xEAA4) return kLevel2Kanji;
      return piece.code >= 0x8740 && piece.code <= 0x879C ? kNecSpecial : 0;
    case PieceKind::kUnmappable:
      return kNoShiftJisForm;
    case PieceKind::kInvalid:
    case PieceKind::kNothing:
      return 0;
  }
  return 0;
}

// The or-ed features of the whole text read with `next_piece`, or empty when the text is not
// valid in that code. Sets `*long_sequence` when a piece takes three bytes or more.
template <typename NextPiece>
std::optional<unsigned> Features(std::string_view text, NextPiece next_piece,
                                 bool* long_sequence = nullptr) {
  unsigned features = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const Piece piece = next_piece(text, pos);
    if (long_sequence != nullptr && piece.length >= 3) *long_sequence = true;
    if (piece.kind == PieceKind::kInvalid) return std::nullopt;
    // The user-defined area appears in misread text, not in mail: a reading that needs it is
    // left to the plausibility scores below (nkf would take it, as garbage, over EUC-JP
    // text with one JIS X 0212 character or one broken byte).
    if (piece.kind == PieceKind::kDoubleByte && piece.code >= 0xF040 && piece.code <= 0xF9FC) {
      return std::nullopt;
    }
    features |= UnusualFeatures(piece);
    pos += piece.length;
  }
  return features;
}

bool StartsWithUtf8Bom(std::string_view text) { return text.substr(0, 3) == "\xEF\xBB\xBF"; }

}  // namespace

InputCode DetectInputCode(std::string_view text) {
  for (std::size_t esc = text.find('\x1B'); esc != std::string_view::npos;
       esc = text.find('\x1B', esc + 1)) {
    if (JisEscapeLength(text, esc) != 0) return InputCode::Jis;
  }
  const bool eight_bit = std::any_of(text.begin(), text.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  // A shift-out byte alone makes 7-bit text ISO-2022-JP: its katakana are shifted in by SO/SI.
  if (!eight_bit)
    return text.find('\x0E') != std::string_view::npos ? InputCode::Jis : InputCode::Ascii;
  if (StartsWithUtf8Bom(text)) return InputCode::Utf8;

  // Valid UTF-8 with a three- or four-byte sequence (kana, kanji, emoji) is UTF-8: Shift-JIS or
  // EUC-JP text hardly ever forms one by chance. nkf would take "あ①" or "café です" for
  // Shift-JIS when that reading is valid and less unusual, and print them as garbage.
  bool utf8_long_sequence = false;
  const std::optional<unsigned> utf8_features = Features(text, NextUtf8Piece, &utf8_long_sequence);
  if (utf8_features && utf8_long_sequence) return InputCode::Utf8;

  // Readings valid over the whole text: the least unusual one, EUC-JP before Shift-JIS before
  // UTF-8 when equal. This is how nkf decides short texts (the two bytes A1 A2 are EUC-JP "、"
  // rather than the half-width "｡｢"), and long ones are rarely valid in two codes.
  const struct {
    InputCode code;
    std::optional<unsigned> features;
  } readings[] = {{InputCode::EucJp, Features(text, NextEucJpPiece)},
                  {InputCode::ShiftJis, Features(text, NextShiftJisPiece)},
                  {InputCode::Utf8, utf8_features}};
  const auto* best =
      std::min_element(std::begin(readings), std::end(readings), [](const auto& a, const auto& b) {
        return a.features.has_value() && (!b.features || *a.features < *b.features);
      });
  if (best->features) return best->code;

  // No code reads the text validly: the most plausible reading, ties to Shift-JIS.
  const std::int64_t shift_jis = Score(text, NextShiftJisPiece, 0);
  const std::int64_t utf8 = Score(text, NextUtf8Piece, kUtf8SequenceBonus);
  const std::int64_t euc_jp = Score(text, NextEucJpPiece, 0);
  if (shift_jis >= utf8 && shift_jis >= euc_jp) return InputCode::ShiftJis;
  return utf8 >= euc_jp ? InputCode::Utf8 : InputCode::EucJp;
}

}  // namespace nkf
