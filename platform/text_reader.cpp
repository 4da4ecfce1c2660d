#include "platform/text_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/file_open.h"

namespace platform {

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
}

TextReader::~TextReader() { Close(); }

bool TextReader::Open(const std::string& path) {
  Close();
  file_ = OpenFileForReading(path);
  return file_ != nullptr;
}

void TextReader::OpenBytes(std::string_view bytes) {
  Close();
  buffer_.assign(bytes.data(), bytes.size());
  memory_open_ = true;
}

void TextReader::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  memory_open_ = false;
  buffer_.clear();
  pos_ = 0;
  at_line_start_ = true;
  piece_started_line_ = true;
}

bool TextReader::Fill() {
  if (file_ == nullptr) return false;
  // Keep the unread tail (at most one byte: a CR waiting for its LF).
  buffer_.erase(0, pos_);
  pos_ = 0;
  const std::size_t old_size = buffer_.size();
  buffer_.resize(old_size + kBlockSize);
  const std::size_t got = std::fread(buffer_.data() + old_size, 1, kBlockSize, file_);
  buffer_.resize(old_size + got);
  return got > 0;
}

bool TextReader::ReadPiece(std::string& piece, std::size_t max_chars) {
  piece.clear();
  if (max_chars == 0) return false;
  piece_started_line_ = at_line_start_;
  while (piece.size() < max_chars) {
    if (pos_ >= buffer_.size() && !Fill()) break;
    // Copy the run up to the next CR or LF in one go.
    const std::size_t avail = std::min(buffer_.size() - pos_, max_chars - piece.size());
    const char* start = buffer_.data() + pos_;
    const void* lf = std::memchr(start, '\n', avail);
    std::size_t run = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : avail;
    if (const void* cr = std::memchr(start, '\r', run)) {
      run = static_cast<std::size_t>(static_cast<const char*>(cr) - start);
    }
    piece.append(start, run);
    pos_ += run;
    if (run == avail) continue;
    if (buffer_[pos_] == '\n') {
      ++pos_;
      piece.push_back('\n');
      break;
    }
    // A CR: with a following LF it is one line end; the LF may lie in the next block.
    if (pos_ + 1 >= buffer_.size()) Fill();
    if (pos_ + 1 < buffer_.size() && buffer_[pos_ + 1] == '\n') {
      pos_ += 2;
      piece.push_back('\n');
      break;
    }
    ++pos_;
    piece.push_back('\r');
  }
  if (piece.empty()) return false;
  at_line_start_ = piece.back() == '\n';
  return true;
}

bool TextPieces::Next(TextPiece& piece, std::size_t max_chars) {
  if (AtEnd() || max_chars == 0) return false;
  piece.StartedLine = at_line_start_;
  // The line end, if the piece reaches it, lies within max_chars + 1 bytes:
  // max_chars - 1 characters, then CR LF.
  const std::size_t window = std::min(text_.size() - pos_, max_chars + 1);
  const char* start = text_.data() + pos_;
  const void* lf = std::memchr(start, '\n', window);
  std::size_t length = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : window;
  std::size_t line_end = 0;  // bytes of the line end: 0, 1 (LF) or 2 (CR LF)
  if (lf != nullptr) {
    line_end = 1;
    if (length > 0 && start[length - 1] == '\r') {
      --length;
      line_end = 2;
    }
  }
  if (line_end != 0 && length + 1 > max_chars) line_end = 0;  // the line end does not fit
  if (line_end == 0) length = std::min(length, max_chars);
  piece.Text = std::string_view(start, length);
  piece.LineEnd = line_end != 0;
  pos_ += length + line_end;
  at_line_start_ = piece.LineEnd;
  return true;
}

}  // namespace platform
