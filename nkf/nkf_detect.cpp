#include "nkf/cp932.h"
#include "nkf/nkf_convert.h"
#include "nkf/nkf_decode.h"

namespace nkf {
namespace {

// An invalid sequence outweighs any run of plausible characters that is shorter than a few
// characters, yet a long text with one stray byte still reads as its real code.
constexpr long kInvalidCost = 10;
// A valid UTF-8 multi-byte sequence is itself strong evidence: Shift-JIS and EUC-JP text almost
// never forms one by chance.
constexpr long kUtf8SequenceBonus = 2;

long PieceScore(const Piece& piece) {
  switch (piece.kind) {
    case PieceKind::kByte:
      // Half-width katakana: as a lone 8-bit byte weak evidence (rare in mail, and pairs of such
      // bytes are how EUC-JP reads as Shift-JIS); after EUC-JP's SS2 a deliberate choice.
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
long Score(std::string_view text, NextPiece next_piece, long multi_byte_bonus) {
  long score = 0;
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
  bool eight_bit = false;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (JisEscapeLength(text, pos) != 0) return InputCode::Jis;
    if (static_cast<unsigned char>(text[pos]) >= 0x80) eight_bit = true;
  }
  if (!eight_bit) return InputCode::Ascii;
  if (StartsWithUtf8Bom(text)) return InputCode::Utf8;

  const long shift_jis = Score(text, NextShiftJisPiece, 0);
  const long utf8 = Score(text, NextUtf8Piece, kUtf8SequenceBonus);
  const long euc_jp = Score(text, NextEucJpPiece, 0);
  if (shift_jis >= utf8 && shift_jis >= euc_jp) return InputCode::ShiftJis;
  return utf8 >= euc_jp ? InputCode::Utf8 : InputCode::EucJp;
}

}  // namespace nkf
