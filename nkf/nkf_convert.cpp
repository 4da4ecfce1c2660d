#include "nkf/nkf_convert.h"

#include <cstring>

#include "nkf/cp932.h"
#include "nkf/nkf_decode.h"
#include "nkf/nkf_mime.h"

// Output bound. The input is cut into pieces (nkf/nkf_decode.h) and encoded words
// (nkf/nkf_mime.h) that cover it without overlap. A piece taking L >= 1 input bytes writes:
//   - an ASCII or control byte: 1 <= 2L;
//   - a half-width katakana as its full-width form, 2 bytes: from 1 byte (Shift-JIS, JIS 8-bit,
//     SO/SI or ESC ( I), 2 (EUC-JP SS2) or 3 (UTF-8), so 2 <= 2L; a sound mark joined to the
//     letter before it rewrites that letter's two bytes and adds none;
//   - a double-byte code or "〓": 2 <= 2L;
//   - nothing (escape sequences, SO/SI, byte-order mark, characters CP932 lacks): 0;
//   - for bytes Shift-JIS input does not define, its own L bytes unchanged, L <= 2L.
// An encoded word of W bytes writes its decoded text, which is shorter than W (base64 gives 3
// bytes for 4, Q at most 1 byte for 1, and "=?", the charset and "?X?...?=" add at least 12
// more), converted piece by piece as above: at most 2 bytes per decoded byte, so less than 2W.
// White space after a word writes at most its own bytes: dropped, or blanks as they are and a
// fold (a line end and a blank, 2 or 3 bytes) as one space. Summed up, the output is at most
// twice the input length, so 2 * n + 1 bytes hold any conversion of n bytes with its
// terminating zero. Independently of that sum, the writer below checks every write against its
// capacity.

namespace nkf {
namespace {

// Writes into a caller's buffer and never past `capacity`. Once a piece does not fit whole,
// it and everything after it are dropped, so the output never ends in half a character.
class BoundedOutput {
 public:
  BoundedOutput(char* data, std::size_t capacity) : data_(data), capacity_(capacity) {}

  bool full() const { return full_; }
  std::size_t size() const { return size_; }

  void PutBytes(const char* bytes, std::size_t count) {
    if (!Reserve(count)) return;
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

  // Overwrites the last two bytes written, which the caller knows to be one double-byte code.
  void ReplaceLastDoubleByte(std::uint16_t code) {
    data_[size_ - 2] = static_cast<char>(code >> 8);
    data_[size_ - 1] = static_cast<char>(code & 0xFF);
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

// Writes pieces, half-width katakana as full-width, a sound mark joined to the letter before it.
class Writer {
 public:
  explicit Writer(BoundedOutput& out) : out_(out) {}

  bool full() const { return out_.full(); }

  // A single byte other than a half-width katakana: ASCII, a control byte.
  void WriteSingleByte(char byte) {
    last_letter_ = 0;
    out_.PutByte(static_cast<unsigned char>(byte));
  }

  // `input` is the piece's own bytes, written unchanged when `copy_input` (Shift-JIS text)
  // unless the piece is a katakana or a code nkf writes in another form.
  void Write(const Piece& piece, const char* input, bool copy_input) {
    switch (piece.kind) {
      case PieceKind::kByte:
        if (IsHalfWidthKatakana(static_cast<unsigned char>(piece.code))) {
          WriteKatakana(static_cast<unsigned char>(piece.code));
          return;
        }
        WriteSingleByte(static_cast<char>(piece.code));
        return;
      case PieceKind::kDoubleByte:
        last_letter_ = 0;
        out_.PutDoubleByte(PreferredCp932(piece.code));
        return;
      case PieceKind::kInvalid:
        last_letter_ = 0;
        if (copy_input) {
          out_.PutBytes(input, piece.length);
        } else {
          out_.PutDoubleByte(kGetaMark);
        }
        return;
      case PieceKind::kUnmappable:  // dropped, as nkf drops it, rather than marked
        last_letter_ = 0;
        return;
      case PieceKind::kNothing:
        // A shift or escape between a letter and its sound mark leaves them joined (ｶ SI SO ﾞ
        // gives ガ), as in nkf.
        return;
    }
  }

 private:
  void WriteKatakana(unsigned char half_width) {
    const std::uint16_t joined = last_letter_ != 0 ? JoinSoundMark(last_letter_, half_width) : 0;
    last_letter_ = 0;
    if (joined != 0) {
      out_.ReplaceLastDoubleByte(joined);
      return;
    }
    out_.PutDoubleByte(FullWidthKatakana(half_width));
    if (!out_.full()) last_letter_ = half_width;
  }

  BoundedOutput& out_;
  unsigned char last_letter_ = 0;  // the half-width letter just written, 0 after anything else
};

// Writes the decoded text of an encoded word, read in its own charset.
void WriteWord(const EncodedWord& word, Writer& writer);

// Writes `text` read with `next_piece`, decoding the encoded words it holds while
// `reads_ascii()` says the text is in ASCII. Shift-JIS input (`copy_input`) is copied
// unchanged but for its half-width katakana.
template <typename NextPiece, typename ReadsAscii>
void WriteText(std::string_view text, NextPiece&& next_piece, ReadsAscii&& reads_ascii,
               bool copy_input, Writer& writer) {
  for (std::size_t pos = 0; pos < text.size() && !writer.full();) {
    if (text[pos] == '=' && reads_ascii()) {
      if (auto word = ReadEncodedWord(text, pos)) {
        WriteWord(*word, writer);
        pos += word->length;
        const std::size_t white_end = pos + WhiteSpaceAfterWordLength(text, pos);
        if (white_end < text.size() && text[white_end] == '=') pos = white_end;
        while (pos < white_end) {
          const std::size_t line_end = LineEndLength(text, pos);
          writer.WriteSingleByte(line_end != 0 ? ' ' : text[pos]);
          pos += line_end != 0 ? line_end + 1 : 1;  // a fold: its line end and first blank
        }
        continue;
      }
    }
    const Piece piece = next_piece(text, pos);
    writer.Write(piece, text.data() + pos, copy_input);
    pos += piece.length;
  }
}

void WriteCode(std::string_view text, InputCode code, Writer& writer) {
  const auto always_ascii = [] { return true; };
  switch (code) {
    case InputCode::Ascii:
    case InputCode::ShiftJis:
      WriteText(text, NextShiftJisPiece, always_ascii, true, writer);
      return;
    case InputCode::EucJp:
      WriteText(text, NextEucJpPiece, always_ascii, false, writer);
      return;
    case InputCode::Utf8:
      WriteText(text, NextUtf8Piece, always_ascii, false, writer);
      return;
    case InputCode::Jis: {
      JisDecoder decoder;
      WriteText(
          text, [&decoder](std::string_view t, std::size_t pos) { return decoder.Next(t, pos); },
          [&decoder] { return decoder.ReadsAscii(); }, false, writer);
      return;
    }
  }
}

void WriteWord(const EncodedWord& word, Writer& writer) {
  // A word's text holds no further words: its "=?" are plain text.
  const auto never = [] { return false; };
  switch (word.charset) {
    case WordCharset::kJis: {
      JisDecoder decoder;
      WriteText(
          word.decoded,
          [&decoder](std::string_view t, std::size_t pos) { return decoder.Next(t, pos); }, never,
          false, writer);
      return;
    }
    case WordCharset::kUtf8:
      WriteText(word.decoded, NextUtf8Piece, never, false, writer);
      return;
    case WordCharset::kShiftJis:
      WriteText(word.decoded, NextShiftJisPiece, never, true, writer);
      return;
    case WordCharset::kEucJp:
      WriteText(word.decoded, NextEucJpPiece, never, false, writer);
      return;
    case WordCharset::kLatin1:
      WriteText(word.decoded, NextLatin1Piece, never, false, writer);
      return;
  }
}

// Writes `text`, read as `code`, into `data` (at most `capacity` bytes); returns the size.
std::size_t ConvertInto(std::string_view text, InputCode code, char* data, std::size_t capacity) {
  BoundedOutput out(data, capacity);
  Writer writer(out);
  WriteCode(text, code, writer);
  return out.size();
}

}  // namespace

std::string ConvertToShiftJis(std::string_view text) {
  return ConvertToShiftJis(text, DetectInputCode(text));
}

std::string ConvertToShiftJis(std::string_view text, InputCode code) {
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
