// Any bytes as a message file: the MIME walk, the choice of the shown text,
// the decoding of every leaf and the header split must never fail, and keep
// their promises.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "viewer/message_parts.h"
#include "viewer/message_view.h"
#include "viewer/mime_parts.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const viewer::MimeTree tree = viewer::ParseMime(bytes);
  Check(!tree.parts.empty() && tree.parts.size() <= viewer::kMaxMimeParts);
  std::size_t leaves = 0;
  for (std::size_t i = 0; i < tree.parts.size(); ++i) {
    const viewer::MimePart& part = tree.parts[i];
    Check(part.begin <= part.body && part.body <= part.end && part.end <= bytes.size());
    Check(part.depth <= viewer::kMaxMimeDepth);
    Check(!part.type.empty());
    for (const std::size_t child : part.children) {
      Check(child > i && tree.parts[child].depth == part.depth + 1);
      Check(part.body <= tree.parts[child].begin && tree.parts[child].end <= part.end);
    }
    if (part.IsLeaf()) {
      Check(leaves < tree.leaves.size() && tree.leaves[leaves] == i);
      ++leaves;
      Check(viewer::DecodedSize(bytes, part) == viewer::DecodedBody(bytes, part).size());
    }
  }
  Check(leaves == tree.leaves.size());

  const std::size_t shown = viewer::ShownTextPart(tree);
  Check(shown == viewer::kNoPart || tree.parts[shown].IsLeaf());
  for (const std::size_t leaf : viewer::AttachmentLeaves(tree, shown)) {
    Check(leaf < tree.leaves.size() && tree.leaves[leaf] != shown);
  }

  viewer::TextLines lines = viewer::BytesToLines(bytes);
  const std::size_t count = lines.size();
  viewer::TextLines header;
  viewer::SplitHeader(lines, header);
  Check(header.size() + lines.size() == count);
  for (std::size_t i = 0; i + 1 < header.size(); ++i) Check(!header[i].empty());
  if (!lines.empty()) Check(!header.empty() && header.back().empty());
  // The header the walk finds is the one SplitHeader finds.
  Check(viewer::BytesToLines(viewer::PartHeader(bytes, tree.parts[0])) == header);
  return 0;
}
