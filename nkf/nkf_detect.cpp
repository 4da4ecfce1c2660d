#include <algorithm>
#include <cstdint>

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

bool StartsWithUtf8Bom(std::string_view text) { return text.substr(0, 3) == "\xEF\xBB\xBF"; }

}  // namespace

InputCode DetectInputCode(std::string_view text) {
  for (std::size_t esc = text.find('\x1B'); esc != std::string_view::npos;
       esc = text.find('\x1B', esc + 1)) {
    if (JisEscapeLength(text, esc) != 0) return InputCode::Jis;
  }
  const bool eight_bit = std::any_of(text.begin(), text.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (!eight_bit) return InputCode::Ascii;
  if (StartsWithUtf8Bom(text)) return InputCode::Utf8;

  const std::int64_t shift_jis = Score(text, NextShiftJisPiece, 0);
  const std::int64_t utf8 = Score(text, NextUtf8Piece, kUtf8SequenceBonus);
  const std::int64_t euc_jp = Score(text, NextEucJpPiece, 0);
  if (shift_jis >= utf8 && shift_jis >= euc_jp) return InputCode::ShiftJis;
  return utf8 >= euc_jp ? InputCode::Utf8 : InputCode::EucJp;
}

}  // namespace nkf
