// Any bytes as a message file: the text-part extraction, the whole-file reading
// and the header split must never fail, and keep their promises.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/text_reader.h"
#include "viewer/ja_texts.h"
#include "viewer/message_parts.h"
#include "viewer/message_view.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  platform::TextReader reader;
  reader.OpenBytes(bytes);
  viewer::TextLines lines;
  if (viewer::ExtractTextPartFrom(reader, lines)) {
    Check(lines.size() >= 2);
    Check(lines.back() == viewer::ja::kAttachmentNotice);
    Check(lines[lines.size() - 2].empty());
    for (const std::string& line : lines) Check(line.size() <= viewer::kMaxPieceChars);
  }

  reader.OpenBytes(bytes);
  viewer::ReadAllLines(reader, lines);
  const std::size_t count = lines.size();
  viewer::TextLines header;
  viewer::SplitHeader(lines, header);
  Check(header.size() + lines.size() == count);
  for (std::size_t i = 0; i + 1 < header.size(); ++i) Check(!header[i].empty());
  if (!lines.empty()) Check(!header.empty() && header.back().empty());

  Check(viewer::SplitAtCrLf(viewer::JoinLines(lines)) == lines || lines == viewer::TextLines{""});
  return 0;
}
