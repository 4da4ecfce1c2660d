#include "nkf/nkf_convert.h"

#include <algorithm>
#include <cstring>

#include "nkf/cp932.h"
#include "nkf/nkf_decode.h"

// Output bound. The input is cut into pieces (nkf/nkf_decode.h) that cover it without overlap,
// each taking L >= 1 input bytes and writing:
//   - a single byte (ASCII, control, half-width katakana): 1 <= 2L;
//   - a double-byte code or "〓": 2 <= 2L;
//   - nothing (escape sequences, SO/SI, byte-order mark): 0;
//   - for Shift-JIS input, its own L bytes unchanged, L <= 2L.
// Summed over the pieces, the output is at most twice the input length, so 2 * n + 1 bytes hold
// any conversion of n bytes with its terminating zero. Independently of that sum, the writer
// below checks every write against the capacity it was given.

namespace nkf {
namespace {

// Writes into a caller's buffer and never past `capacity`. Once a piece does not fit whole,
// it and everything after it are dropped, so the output never ends in half a character.
class BoundedOutput {
 public:
  BoundedOutput(char* data, std::size_t capacity) : data_(data), capacity_(capacity) {}

  bool full() const { return full_; }
  std::size_t size() const { return size_; }
  std::size_t room() const { return capacity_ - size_; }

  void PutBytes(const char* bytes, std::size_t count) {
    if (count == 0 || !Reserve(count)) return;  // an empty text may have no data pointer
    std::memcpy(data_ + size_, bytes, count);
    size_ += count;
  }

  void PutByte(unsigned char byte) {
    if (!Reserve(1)) return;
    data_[size_++] = static_cast<char>(byte);
  }

  void PutDoubleByte(std::uint16_t code) {
    if (!Reserve(2)) return;
    data_[size_++] = static_cast<char>(code >> 8);
    data_[size_++] = static_cast<char>(code & 0xFF);
  }

 private:
  bool Reserve(std::size_t count) {
    if (full_ || capacity_ - size_ < count) full_ = true;
    return !full_;
  }

  char* data_;
  std::size_t capacity_;
  std::size_t size_ = 0;
  bool full_ = false;
};

void WritePiece(const Piece& piece, BoundedOutput& out) {
  switch (piece.kind) {
    case PieceKind::kByte:
      out.PutByte(static_cast<unsigned char>(piece.code));
      return;
    case PieceKind::kDoubleByte:
      out.PutDoubleByte(piece.code);
      return;
    case PieceKind::kUnmappable:
    case PieceKind::kInvalid:
      out.PutDoubleByte(kGetaMark);
      return;
    case PieceKind::kNothing:
      return;
  }
}

template <typename NextPiece>
void WritePieces(std::string_view text, NextPiece&& next_piece, BoundedOutput& out) {
  for (std::size_t pos = 0; pos < text.size() && !out.full();) {
    const Piece piece = next_piece(text, pos);
    WritePiece(piece, out);
    pos += piece.length;
  }
}

// Shift-JIS text is written unchanged: whole when it fits, else piece by piece so that the cut
// falls between two characters.
void CopyShiftJis(std::string_view text, BoundedOutput& out) {
  if (text.size() <= out.room()) {
    out.PutBytes(text.data(), text.size());
    return;
  }
  for (std::size_t pos = 0; pos < text.size() && !out.full();) {
    const std::size_t length = NextShiftJisPiece(text, pos).length;
    out.PutBytes(text.data() + pos, length);
    pos += length;
  }
}

// Writes `text`, read as `code`, into `data` (at most `capacity` bytes); returns the size.
std::size_t ConvertInto(std::string_view text, InputCode code, char* data, std::size_t capacity) {
  BoundedOutput out(data, capacity);
  switch (code) {
    case InputCode::Ascii:
      out.PutBytes(text.data(), std::min(text.size(), out.room()));  // no character to split
      break;
    case InputCode::ShiftJis:
      CopyShiftJis(text, out);
      break;
    case InputCode::EucJp:
      WritePieces(text, NextEucJpPiece, out);
      break;
    case InputCode::Utf8:
      WritePieces(text, NextUtf8Piece, out);
      break;
    case InputCode::Jis: {
      JisDecoder decoder;
      WritePieces(
          text, [&decoder](std::string_view t, std::size_t pos) { return decoder.Next(t, pos); },
          out);
      break;
    }
  }
  return out.size();
}

}  // namespace

std::string ConvertToShiftJis(std::string_view text) {
  const InputCode code = DetectInputCode(text);
  if (code == InputCode::Ascii || code == InputCode::ShiftJis) return std::string(text);
  std::string result(2 * text.size(), '\0');
  result.resize(ConvertInto(text, code, result.data(), result.size()));
  return result;
}

std::size_t ConvertIntoBuffer(const char* input, char* output, std::size_t output_size) {
  if (output_size == 0) return 0;
  const std::string_view text = input != nullptr ? std::string_view(input) : std::string_view();
  const std::size_t written = ConvertInto(text, DetectInputCode(text), output, output_size - 1);
  output[written] = '\0';
  return written;
}

}  // namespace nkf
