#include "viewer/message_parts.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/text_bytes.h"
#include "viewer/part_name.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

bool IsShownType(const MimePart& part) {
  return part.type == "text/plain" || part.type == "text/html";
}

// The text `index` gives, or kNoPart.
std::size_t TextOf(const MimeTree& tree, std::size_t index) {
  const MimePart& part = tree.parts[index];
  if (part.IsLeaf()) {
    const bool shown = index == 0 ? part.IsText() || part.type.starts_with("multipart/")
                                  : IsShownType(part) && !part.attachment;
    return shown ? index : kNoPart;
  }
  if (part.type == "multipart/alternative") {
    std::size_t first = kNoPart;
    for (const std::size_t child : part.children) {
      const std::size_t text = TextOf(tree, child);
      if (text == kNoPart) continue;
      if (tree.parts[text].type == "text/plain") return text;
      if (first == kNoPart) first = text;
    }
    return first;
  }
  if (part.type == "multipart/related") {
    std::size_t root = part.children.front();
    for (const std::size_t child : part.children) {
      if (!part.start.empty() && tree.parts[child].content_id == part.start) root = child;
    }
    return TextOf(tree, root);
  }
  for (const std::size_t child : part.children) {
    const std::size_t text = TextOf(tree, child);
    if (text != kNoPart) return text;
  }
  return kNoPart;
}

// The index of the nearest multipart/alternative holding `index`, or kNoPart.
std::size_t AlternativeAround(const MimeTree& tree, std::size_t index) {
  std::size_t found = kNoPart;
  for (std::size_t i = 0; i < tree.parts.size() && i < index; ++i) {
    const MimePart& part = tree.parts[i];
    // Parts come before their children, and a part's descendants follow it
    // within its byte range: the last alternative whose range holds it is the nearest.
    if (part.type == "multipart/alternative" && !part.IsLeaf() &&
        part.begin <= tree.parts[index].begin && tree.parts[index].end <= part.end &&
        part.depth < tree.parts[index].depth) {
      found = i;
    }
  }
  return found;
}

}  // namespace

bool ReadMessageFile(const std::string& path, MessageFile& file) {
  file = {};
  if (!platform::ReadWholeFile(path, file.bytes)) return false;
  file.tree = ParseMime(file.bytes);
  return true;
}

std::size_t ShownTextPart(const MimeTree& tree) { return TextOf(tree, 0); }

std::vector<std::size_t> AttachmentLeaves(const MimeTree& tree, std::size_t shown) {
  const std::size_t alternative = shown == kNoPart ? kNoPart : AlternativeAround(tree, shown);
  std::vector<std::size_t> leaves;
  for (std::size_t leaf = 0; leaf < tree.leaves.size(); ++leaf) {
    const std::size_t index = tree.leaves[leaf];
    if (index == shown) continue;
    if (alternative != kNoPart) {
      const MimePart& around = tree.parts[alternative];
      const MimePart& part = tree.parts[index];
      if (around.begin <= part.begin && part.end <= around.end && around.depth < part.depth)
        continue;
    }
    leaves.push_back(leaf);
  }
  return leaves;
}

std::string SizeText(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%llu B", static_cast<unsigned long long>(bytes));
  } else if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024 * 1024));
  }
  return text;
}

std::string AttachmentLineText(const MimePart& part, std::uint64_t size) {
  return "  " + (part.name.empty() ? part.type : part.name) + " (" + SizeText(size) + ")";
}

std::string LeafBytes(const MessageFile& file, std::size_t leaf) {
  if (leaf >= file.tree.leaves.size()) return {};
  return DecodedBody(file.bytes, file.tree.parts[file.tree.leaves[leaf]]);
}

std::string LeafSaveName(const MessageFile& file, std::size_t leaf) {
  const std::string fallback = "part" + std::to_string(leaf + 1);
  if (leaf >= file.tree.leaves.size()) return fallback;
  const MimePart& part = file.tree.parts[file.tree.leaves[leaf]];
  if (part.type != "message/rfc822") return SafeFileName(part.name, fallback);

  std::string name = part.name;
  if (name.empty()) {
    const std::string inner = DecodedBody(file.bytes, part);
    const MimeTree tree = ParseMime(inner);
    name = DecodeNameText(HeaderField(PartHeader(inner, tree.parts[0]), "subject"), "");
  }
  name = SafeFileName(name, "message");
  if (!platform::AsciiLower(name).ends_with(".eml")) name = SafeFileName(name + ".eml");
  return name;
}

}  // namespace viewer
