#pragma once
// Reads a text file in pieces the way C's fgets does in text mode: a CR LF pair
// becomes one line end ("\n") before pieces are cut, a lone CR is an ordinary
// byte, and each piece holds at most `max_chars` bytes counting its line end.
// A line of exactly max_chars bytes plus its line end therefore reads as the
// max_chars bytes, then a piece holding only "\n".
//
// The file is read in blocks, so a reader that stops early (a header scan)
// never reads the rest of a large file. TextPieces cuts the same pieces from
// text already in memory, without copying them.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

class TextReader {
 public:
  TextReader() = default;
  ~TextReader();
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  // Opens a file; false when it cannot be opened.
  bool Open(const std::string& path);
  // Reads from bytes held in memory (copied); always succeeds.
  void OpenBytes(std::string_view bytes);
  void Close();
  bool IsOpen() const { return file_ != nullptr || memory_open_; }

  // Next piece into `piece` (replacing its contents). False at the end of the
  // text, when nothing was read. A piece ends with "\n" when its line end fit.
  bool ReadPiece(std::string& piece, std::size_t max_chars);

  // True when the previous piece started a line (the piece before it ended
  // with "\n", or it was the first piece).
  bool PieceStartedLine() const { return piece_started_line_; }

 private:
  bool Fill();  // refills buffer_ from the file; false at the end

  std::FILE* file_ = nullptr;
  bool memory_open_ = false;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool at_line_start_ = true;
  bool piece_started_line_ = true;
};

// One piece cut by TextPieces: a view into the text, never holding its line
// end (so a CR LF line end needs no rewriting of the text).
struct TextPiece {
  std::string_view Text;    // the piece's bytes without its line end
  bool LineEnd = false;     // the line end followed and fit (TextReader's "\n")
  bool StartedLine = true;  // as TextReader::PieceStartedLine
};

// The pieces TextReader reads, from bytes held by the caller: Text plus "\n"
// when LineEnd is set is exactly TextReader's piece. Whole files are parsed
// this way because a piece then costs one memchr and no copy: the cached open
// of 100,000 messages spent most of its time copying pieces into strings.
class TextPieces {
 public:
  explicit TextPieces(std::string_view text) : text_(text) {}

  // Next piece; false at the end of the text.
  bool Next(TextPiece& piece, std::size_t max_chars);
  bool AtEnd() const { return pos_ >= text_.size(); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool at_line_start_ = true;
};

}  // namespace platform
